// korrivan-cli certify: every LAS file named or found, certified with the
// batch run's verdict, results in input order in one of the output formats.
#include <sched.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unordered_map>

#include "base/file_names.h"
#include "certify/command_log.h"
#include "cli/file_certification.h"
#include "cli/input_files.h"
#include "cli/ordered_runner.h"
#include "cli/progress_line.h"
#include "cli/result_formats.h"
#include "cli/verbs.h"

namespace korrivan::cli {

namespace {

constexpr int kAllPassed = 0;
constexpr int kNotAllPassed = 1;
constexpr int kToolError = 2;

// Results held while an earlier file is still being certified, per job.
constexpr std::size_t kWindowPerJob = 4;

// The processors a container's CPU limit (cgroup v2 "cpu.max": quota and
// period) allows, rounded up; 0 when there is no limit.
unsigned cpuLimit() {
  std::ifstream in("/sys/fs/cgroup/cpu.max");
  std::string quota;
  double period = 0;
  if (!(in >> quota >> period) || quota == "max" || period <= 0) return 0;
  const double cpus = std::strtod(quota.c_str(), nullptr) / period;
  return cpus > 0 ? static_cast<unsigned>(std::ceil(cpus)) : 0;
}

// The processors this run may use: its CPU affinity (a Slurm allocation, a
// taskset), within a container's CPU limit.
unsigned processorCount() {
  unsigned n = std::thread::hardware_concurrency();
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) n = static_cast<unsigned>(CPU_COUNT(&set));
  if (const unsigned limit = cpuLimit(); limit > 0 && limit < n) n = limit;
  return n ? n : 1;
}

// One line on standard error; names in it are shown with their control characters escaped.
void writeError(const std::string& text) {
  const std::string line = "korrivan-cli: " + base::printableName(text) + "\n";
  if (::write(2, line.data(), line.size()) < 0) {
    // nowhere left to say it
  }
}

// Standard output, written whole result by whole result; the first failure
// is kept and nothing more is written.
class ResultOutput {
public:
  bool write(const std::string& text) {
    std::size_t done = 0;
    while (!failed() && done < text.size()) {
      ssize_t n = ::write(1, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        error_ = n < 0 ? errno : EIO;
      else
        done += static_cast<std::size_t>(n);
    }
    return !failed();
  }
  bool failed() const { return error_ != 0; }
  // The reader went away (as `| head` does): no message, only the status.
  bool brokenPipe() const { return error_ == EPIPE; }
  std::string errorText() const { return std::strerror(error_); }

private:
  int error_ = 0;
};

struct CertifyArgs {
  std::vector<std::string> paths;
  bool recursive = false;
  bool wrapCheck = false;
  unsigned jobs = 0;  // 0: every processor the run may use
  std::string shard;
  std::string format;  // "": text on a terminal, else jsonl
  std::string reportDir;
  bool repair = false;
  bool failFast = false;
  bool quiet = false;
};

// A report name and, when it must not be written, why.
struct ReportName {
  std::string path;
  std::string refusal;
};

// DIR/<key>.log for every file. Keys are unique below one argument, so a
// name can be claimed twice only by files of two arguments: the later one
// gets no report rather than replacing the first one's.
std::vector<ReportName> reportNames(const std::vector<InputFile>& files, const std::string& folder) {
  std::vector<ReportName> names(files.size());
  if (folder.empty()) return names;
  std::unordered_map<std::string, std::size_t> claimed;
  for (std::size_t i = 0; i < files.size(); ++i) {
    names[i].path = (folder.back() == '/' ? folder : folder + "/") + std::string(files[i].key()) + ".log";
    auto [it, fresh] = claimed.emplace(names[i].path, i);
    if (!fresh)
      names[i].refusal = "the report name " + names[i].path + " is already the report of " + files[it->second].path;
  }
  return names;
}

// What the printing thread receives of one file.
struct FileOutput {
  std::string text;
  Verdict verdict = Verdict::NotCertified;
  std::string path;
  std::string reportError;
};

OutputFormat formatOf(const std::string& word) {
  if (word == "jsonl") return OutputFormat::Jsonl;
  if (word == "csv") return OutputFormat::Csv;
  if (word == "text") return OutputFormat::Text;
  return ::isatty(1) ? OutputFormat::Text : OutputFormat::Jsonl;
}

bool prepareReportFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!ec && !std::filesystem::is_directory(folder, ec)) ec = std::make_error_code(std::errc::not_a_directory);
  if (!ec) return true;
  writeError("the report folder " + folder + " cannot be used: " + ec.message());
  return false;
}

class CertifyVerb : public Verb {
public:
  explicit CertifyVerb(CLI::App& app) {
    sub_ = app.add_subcommand("certify", "Certify every LAS file named, or found in the folders named.");
    sub_->add_option("PATH", args_.paths, "LAS files and folders of LAS files (names ending in .las, any case)")
        ->required();
    sub_->add_flag("--recursive", args_.recursive, "Walk the folders and all their subfolders (links not followed)");
    sub_->add_flag("--wrap-check", args_.wrapCheck,
                   "Also check ~ASCII line lengths against WRAP (1.2/2.0), as the /W switch of korrivan");
    sub_->add_option("--jobs", args_.jobs, "Files certified at a time (default: every processor core)")
        ->check(CLI::Range(1u, 4096u))
        ->type_name("N");
    sub_->add_option("--shard", args_.shard, "Take share I of N shares of the files (0 <= I < N)")
        ->check([](const std::string& text) {
          Shard shard;
          return parseShard(text, shard) ? std::string() : std::string("expected I/N with 0 <= I < N");
        })
        ->type_name("I/N");
    sub_->add_option("--format", args_.format, "text, jsonl or csv (default: text on a terminal, else jsonl)")
        ->check(CLI::IsMember({"text", "jsonl", "csv"}))
        ->type_name("FORMAT");
    sub_->add_option("--report-dir", args_.reportDir, "Also write each file's certification report there")
        ->type_name("DIR");
    sub_->add_flag("--repair", args_.repair,
                   "Rewrite a ~Well STOP left at the NULL value (files are read-only without it)");
    sub_->add_flag("--fail-fast", args_.failFast, "Start no further file once one failed or was not certified");
    sub_->add_flag("--quiet", args_.quiet, "No progress line; text format lists only files that did not pass");
  }

  bool chosen() const override { return sub_->parsed(); }
  int run(const ProgramContext& context) override;

private:
  CLI::App* sub_ = nullptr;
  CertifyArgs args_;
};

int CertifyVerb::run(const ProgramContext& context) {
  const OutputFormat format = formatOf(args_.format);
  Shard shard;
  if (!args_.shard.empty()) parseShard(args_.shard, shard);
  if (!args_.reportDir.empty() && !prepareReportFolder(args_.reportDir)) return kToolError;

  const certify::CommandLogContext runLog{context.programFolder, "", "", "Korrivan"};
  if (certify::commandLogPath(context.programFolder).empty()) std::fputs(certify::kNoCommandLogNote, stderr);
  certify::appendCommandLog(runLog, "Command line :" + context.commandLine);

  bool toolError = false;
  const InputListing listing = listInputFiles(args_.paths, args_.recursive, shard);
  for (const std::string& e : listing.errors) writeError(e);
  toolError = !listing.errors.empty();
  const std::vector<InputFile>& files = listing.files;
  const std::vector<ReportName> reports = reportNames(files, args_.reportDir);

  CertifySettings settings;
  settings.doWrap = args_.wrapCheck;
  settings.repair = args_.repair ? run::RepairPolicy::Repair : run::RepairPolicy::ReportOnly;
  settings.programFolder = context.programFolder;

  const unsigned jobs = args_.jobs ? args_.jobs : processorCount();
  OrderedRunner<FileOutput> runner(jobs, kWindowPerJob * jobs);
  ProgressLine progress(::isatty(2) && !args_.quiet, files.size());
  const bool resultsOnTerminal = ::isatty(1);
  ResultOutput output;
  RunCounts counts;
  counts.listed = files.size();

  auto work = [&](std::size_t i) {
    FileOutput out;
    out.path = files[i].path;
    try {
      const FileResult result = certifyInputFile(files[i], reports[i].path, reports[i].refusal, settings);
      out.verdict = result.verdict;
      out.reportError = result.reportError;
      out.text = formatResult(result, format, args_.quiet);
    } catch (const std::exception& e) {  // out of memory while formatting
      out.reportError = std::string("the result could not be written: ") + e.what();
    }
    if (args_.failFast && out.verdict != Verdict::Passed) runner.stop();
    return out;
  };
  auto emit = [&](std::size_t, FileOutput& out) {
    switch (out.verdict) {
      case Verdict::Passed: ++counts.passed; break;
      case Verdict::Failed: ++counts.failed; break;
      case Verdict::NotCertified: ++counts.notCertified; break;
    }
    if (!out.reportError.empty()) {
      toolError = true;
      progress.clear();
      writeError(out.path + ": " + out.reportError);
    }
    if (resultsOnTerminal) progress.clear();
    if (!output.failed() && !output.write(out.text)) {
      runner.stop();
      progress.clear();
      if (!output.brokenPipe()) writeError("the results could not be written: " + output.errorText());
    }
    progress.show(runner.finished(), counts.failed + counts.notCertified);
  };
  auto idle = [&] { progress.show(runner.finished(), counts.failed + counts.notCertified); };

  if (!output.write(formatPreamble(format)))
    writeError("the results could not be written: " + output.errorText());
  else
    runner.run(files.size(), work, emit, idle);
  progress.clear();
  output.write(formatSummary(counts, format));

  if (toolError || output.failed()) return kToolError;
  if (counts.failed + counts.notCertified > 0 || counts.total() < files.size()) return kNotAllPassed;
  return kAllPassed;
}

}  // namespace

std::unique_ptr<Verb> addCertifyVerb(CLI::App& app) { return std::make_unique<CertifyVerb>(app); }

}  // namespace korrivan::cli
