#include "cli/convert_verb.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <ostream>

#include "base/file_names.h"
#include "certify/run_hooks.h"
#include "cli/verbs.h"
#include "run/conversion.h"

namespace korrivan::cli {

namespace {

constexpr int kWritten = 0;
constexpr int kNotWritten = 2;
constexpr const char* kPrefix = "korrivan-cli convert: ";

run::DataDelimiter delimiterOf(const std::string& word) {
  if (word == "tab") return run::DataDelimiter::Tab;
  if (word == "comma") return run::DataDelimiter::Comma;
  return run::DataDelimiter::Space;
}

bool nameTaken(const std::string& name) {
  struct stat st {};
  return ::lstat(name.c_str(), &st) == 0;
}

int fail(std::ostream& err, const std::string& line) {
  err << kPrefix << line << "\n";
  return kNotWritten;
}

int unwrapOnly(const ConvertRequest& request, std::ostream& out, std::ostream& err) {
  certify::SilentHooks hooks;
  const run::UnwrapReport r = run::unwrapFile(request.input, request.output, hooks);
  switch (r.end) {
    case run::ConversionEnd::Written: break;
    case run::ConversionEnd::NothingToDo:
      return fail(err, request.input + ": the data section is not wrapped; nothing was written");
    default: return fail(err, request.input + ": " + r.message);
  }
  if (r.copiedWhole) {
    out << "Copied " << request.input << " to " << request.output
        << " as it stands: its data section is no ~ASCII section, so no record was unwrapped\n";
    return kWritten;
  }
  out << "Wrote " << request.output << ": " << r.records << " depth records, each joined from " << r.linesPerDepth
      << " wrapped lines" << (r.wrapSetToNo ? "; WRAP set to NO" : "; no WRAP line in ~Version to set to NO") << "\n";
  if (r.droppedLines > 0) out << r.droppedLines << " blank or comment lines among the data were left out\n";
  return kWritten;
}

}  // namespace

int runConvert(const ConvertRequest& request, std::ostream& out, std::ostream& err) {
  if (!base::fileExists(request.input)) return fail(err, request.input + ": no such LAS file");
  if (!request.force && nameTaken(request.output))
    return fail(err, request.output + " exists; give --force to replace it");
  if (request.unwrapOnly) return unwrapOnly(request, out, err);

  const run::ConversionOptions options{request.titles == "log" ? run::TitleStyle::Log : run::TitleStyle::Short,
                                       delimiterOf(request.dlm), ""};
  certify::SilentHooks hooks;
  const run::ConversionReport report = run::convertToVersion3(request.input, request.output, options, hooks);
  if (report.end != run::ConversionEnd::Written) return fail(err, request.input + ": " + report.message);
  for (const std::string& line : run::conversionSummary(report, request.output, options)) out << line << "\n";
  return kWritten;
}

ConvertVerb::ConvertVerb(CLI::App& app) {
  command_ = app.add_subcommand("convert", "Write a version 1.2 or 2.0 LAS file as a version 3.0 file.");
  command_->add_option("IN", request_.input, "The LAS file to convert")->required();
  command_->add_option("OUT", request_.output, "The version 3.0 file to write")->required();
  command_->add_option("--dlm", request_.dlm, "Delimiter of the data: space, tab or comma")
      ->check(CLI::IsMember({"space", "tab", "comma"}))
      ->capture_default_str();
  command_
      ->add_option("--titles", request_.titles,
                   "Section titles: short (~Parameter ~Curve ~ASCII) or log (~Log_Parameter ~Log_Definition "
                   "~Log_Data)")
      ->check(CLI::IsMember({"short", "log"}))
      ->capture_default_str();
  command_->add_flag("--unwrap-only", request_.unwrapOnly,
                     "Only join the lines of each depth record of a wrapped file (WRAP NO), keeping its version");
  command_->add_flag("--force", request_.force, "Replace OUT when it exists");
}

bool ConvertVerb::chosen() const { return command_ && command_->parsed(); }

namespace {

// The verb in the pipeline tool, on the standard streams.
class ConvertVerbInTool : public Verb {
public:
  explicit ConvertVerbInTool(CLI::App& app) : verb_(app) {}
  bool chosen() const override { return verb_.chosen(); }
  int run(const ProgramContext&) override { return verb_.run(std::cout, std::cerr); }

private:
  ConvertVerb verb_;
};

}  // namespace

std::unique_ptr<Verb> addConvertVerb(CLI::App& app) { return std::make_unique<ConvertVerbInTool>(app); }

}  // namespace korrivan::cli
