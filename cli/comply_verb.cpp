#include "cli/comply_verb.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <thread>

#include "base/text_utils.h"
#include "cli/verbs.h"
#include "compliance/compliance_check.h"
#include "compliance/content_spec_file.h"

namespace korrivan::cli {

using compliance::ComplianceFinding;
using compliance::ComplianceResult;
using compliance::ComplianceVerdict;

namespace {

// The version as the report writes it ("3", "2", "1.2"); "" when none was read.
std::string versionOf(const ComplianceResult& r) {
  return r.version == 0 ? std::string() : base::numberText(r.version);
}

void writeText(std::ostream& out, const ComplianceResult& r) {
  out << r.lasFileName << ": " << compliance::verdictText(r.verdict);
  if (r.verdict == ComplianceVerdict::NotTested) out << ": " << r.error;
  if (r.verdict == ComplianceVerdict::DoesNotComply)
    out << " (" << r.findingCount() << (r.findingCount() == 1 ? " finding)" : " findings)");
  out << '\n';
  for (const ComplianceFinding& f : r.findings) out << "  ~" << f.section << " " << compliance::findingText(f) << '\n';
  if (r.unlistedFindings > 0) out << "  ... " << r.unlistedFindings << " further findings not listed\n";
}

void writeJson(std::ostream& out, const std::string& contentSpecFile, const ComplianceResult& r) {
  nlohmann::json j;
  j["path"] = r.lasFileName;
  j["content_spec"] = contentSpecFile;
  j["version"] = versionOf(r);
  j["result"] = compliance::verdictText(r.verdict);
  if (r.verdict == ComplianceVerdict::NotTested) j["reason"] = r.error;
  j["findings"] = nlohmann::json::array();
  for (const ComplianceFinding& f : r.findings) {
    nlohmann::json fj;
    fj["section"] = f.section;
    fj["mnemonic"] = f.mnemonic;
    fj["part"] = compliance::partName(f.part);
    fj["message"] = f.finding.message;
    fj["line"] = f.finding.line;
    fj["lineText"] = f.finding.lineText;
    fj["contentSpecLine"] = f.contentSpecLine;
    j["findings"].push_back(std::move(fj));
  }
  j["unlistedFindings"] = r.unlistedFindings;
  // Names and lines of LAS files need not be UTF-8: such bytes are replaced.
  out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  return "\"" + base::replaceAll(text, "\"", "\"\"") + "\"";
}

void writeCsv(std::ostream& out, const ComplianceResult& r) {
  const ComplianceFinding* first = r.findings.empty() ? nullptr : &r.findings.front();
  out << csvField(r.lasFileName) << ',' << versionOf(r) << ',' << compliance::verdictText(r.verdict) << ','
      << r.findingCount() << ',' << (first && first->finding.line > 0 ? std::to_string(first->finding.line) : "") << ','
      << csvField(r.verdict == ComplianceVerdict::NotTested ? r.error
                  : first                                   ? "~" + first->section + " " + first->finding.message
                                                            : std::string())
      << '\n';
}

// Tests the files on `jobs` threads and hands each result to `emit` in
// input order, as soon as it and all before it are done.
template <typename Emit>
void testInOrder(const compliance::ContentSpec& contentSpec, const std::vector<std::string>& files, unsigned jobs,
                 Emit emit) {
  std::vector<std::optional<ComplianceResult>> results(files.size());
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) {
      ComplianceResult r = compliance::testCompliance(contentSpec, files[i]);
      std::lock_guard<std::mutex> lock(mutex);
      results[i] = std::move(r);
      done.notify_all();
    }
  };
  std::vector<std::thread> workers;
  const unsigned count = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(files.size())));
  for (unsigned t = 0; t < count; ++t) workers.emplace_back(work);
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [&] { return results[i].has_value(); });
    ComplianceResult r = std::move(*results[i]);
    results[i].reset();
    lock.unlock();
    emit(r);
  }
  for (std::thread& w : workers) w.join();
}

}  // namespace

CLI::App* addComplyVerb(CLI::App& app, ComplyOptions& options) {
  CLI::App* verb = app.add_subcommand("comply", "Test LAS files against a content specification");
  verb->add_option("CONTENT_SPEC", options.contentSpecFile, "Content specification file (.def)")->required();
  verb->add_option("FILE", options.lasFiles, "LAS files to test")->required();
  const std::map<std::string, ComplyFormat> formats{
      {"text", ComplyFormat::Text}, {"jsonl", ComplyFormat::JsonLines}, {"csv", ComplyFormat::Csv}};
  verb->add_option("--format", options.format, "Output: text (default), jsonl or csv")
      ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case));
  verb->add_option("--jobs,-j", options.jobs, "Files tested at the same time (default: one per core)")
      ->check(CLI::Range(1u, 4096u));
  return verb;
}

int runComply(const ComplyOptions& options, std::ostream& out, std::ostream& err) {
  const compliance::ContentSpecReading contentSpec = compliance::readContentSpecFile(options.contentSpecFile);
  if (!contentSpec.ok()) {
    for (const compliance::ContentSpecError& e : contentSpec.errors)
      err << "korrivan-cli comply: " << (e.line > 0 ? options.contentSpecFile + ": " : std::string()) << e.text()
          << '\n';
    return 2;
  }
  const unsigned jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  std::size_t complying = 0, failing = 0, untested = 0;
  if (options.format == ComplyFormat::Csv) out << "path,version,result,findings,first_line,first_finding\n";
  testInOrder(contentSpec.contentSpec, options.lasFiles, jobs, [&](const ComplianceResult& r) {
    switch (r.verdict) {
      case ComplianceVerdict::Complies: ++complying; break;
      case ComplianceVerdict::DoesNotComply: ++failing; break;
      case ComplianceVerdict::NotTested: ++untested; break;
    }
    switch (options.format) {
      case ComplyFormat::Text: writeText(out, r); break;
      case ComplyFormat::JsonLines: writeJson(out, options.contentSpecFile, r); break;
      case ComplyFormat::Csv: writeCsv(out, r); break;
    }
    out.flush();
  });
  if (options.format == ComplyFormat::Text)
    out << options.lasFiles.size() << (options.lasFiles.size() == 1 ? " file: " : " files: ") << complying
        << " comply, " << failing << " do not comply, " << untested << " not tested\n";
  out.flush();
  if (!out) {
    err << "korrivan-cli comply: the results could not be written\n";
    return 2;
  }
  return failing + untested > 0 ? 1 : 0;
}

namespace {

// The verb in the pipeline tool: its options, and its run on the standard streams.
class ComplyVerb : public Verb {
public:
  explicit ComplyVerb(CLI::App& app) : sub_(addComplyVerb(app, options_)) {}
  bool chosen() const override { return sub_->parsed(); }
  int run(const ProgramContext&) override { return runComply(options_, std::cout, std::cerr); }

private:
  ComplyOptions options_;
  CLI::App* sub_;
};

}  // namespace

std::unique_ptr<Verb> addComplyVerb(CLI::App& app) { return std::make_unique<ComplyVerb>(app); }

}  // namespace korrivan::cli
