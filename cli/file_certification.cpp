#include "cli/file_certification.h"

#include <sys/stat.h>

#include <filesystem>

#include "base/file_names.h"
#include "base/run_error.h"
#include "base/text_utils.h"
#include "certify/command_log.h"
#include "certify/report.h"
#include "run/batch_run.h"

namespace korrivan::cli {

namespace {

using run::Certification;
using run::CertifyEnd;

std::string versionText(const Certification& c) {
  switch (c.version) {
    case run::LasVersion::V1_2: return "1.2";
    case run::LasVersion::V2_0: return "2.0";
    case run::LasVersion::V3_0: return "3.0";
    case run::LasVersion::Other: return base::numberText(c.detectedVersion);
    case run::LasVersion::Unknown: break;
  }
  return "";
}

std::optional<std::uint64_t> sizeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

void setNotCertified(FileResult& result, std::string code, std::string text) {
  result.verdict = Verdict::NotCertified;
  result.reasonCode = std::move(code);
  result.reasonText = std::move(text);
}

// The groups as the report lists them: up to the first group holding a
// check that ends the listing.
std::vector<run::GroupResult> listedGroups(const Certification& c) {
  std::vector<run::GroupResult> groups;
  for (const run::GroupResult& group : c.groups) {
    groups.push_back(group);
    bool ends = false;
    for (const run::CheckResult& check : group.checks)
      ends = ends || (check.outcome != certify::Outcome::Passed &&
                      certify::failureEndsListing(group.number, check.row, c.detectedVersion));
    if (ends) break;
  }
  return groups;
}

const char* reasonCodeOf(CertifyEnd end) {
  switch (end) {
    case CertifyEnd::Cancelled: return "cancelled";
    case CertifyEnd::Stopped: return "stopped";
    case CertifyEnd::VersionNotRead: return "version-not-read";
    case CertifyEnd::VersionUnsupported: return "version-unsupported";
    case CertifyEnd::PreCheckFailed:
    case CertifyEnd::Completed: break;
  }
  return "";
}

// Where the report of a certified file goes: "" when none is asked for or
// it must not be written (`refusal` then says why).
std::string reportNameFor(const FileResult& result, const std::string& refusal, std::string& error) {
  if (result.reportPath.empty()) return "";
  if (!refusal.empty()) {
    error = refusal;
    return "";
  }
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(result.reportPath).parent_path(), ec);
  if (base::namesSameFile(result.reportPath, result.path)) {
    error = "the report name " + result.reportPath + " is the LAS file itself";
    return "";
  }
  return result.reportPath;
}

// The certification and what the batch run does after it.
void certifyAndSettle(FileResult& result, const std::string& reportRefusal, const CertifySettings& settings) {
  certify::CommandLogContext log{settings.programFolder, result.path, result.reportPath, "Korrivan"};
  run::CertifyOptions options;
  options.mode = run::CertifyMode::Batch;
  options.doWrap = settings.doWrap;
  options.repair = settings.repair;
  options.log = log;
  certify::SilentHooks hooks;
  const Certification c = run::certifyFile(result.path, options, hooks);
  result.version = versionText(c);
  result.notLasReason = c.notLasReason;

  if (c.end != CertifyEnd::Completed && c.end != CertifyEnd::PreCheckFailed) {
    std::string message = run::settleBatchCertification(log, c, "", hooks);
    if (message.empty()) message = "The certification was cancelled.";
    setNotCertified(result, reasonCodeOf(c.end), message);
    return;
  }
  std::string reportError;
  const std::string reportName = reportNameFor(result, reportRefusal, reportError);
  const std::string message = run::settleBatchCertification(log, c, reportName, hooks);
  result.reportError = reportName.empty() ? reportError : message;
  result.verdict = c.anyCheckFailed() ? Verdict::Failed : Verdict::Passed;
  result.resultText = c.resultText();
  result.groups = listedGroups(c);
  if (const run::CheckResult* first = c.firstFailure()) {
    const run::GroupResult* group = nullptr;
    for (const run::GroupResult& g : c.groups)
      if (g.number == first->group) group = &g;
    result.firstFailure = FirstFailure{first->group, group ? group->title : "", checkId(*first), first->name};
  }
}

}  // namespace

std::string checkId(const run::CheckResult& check) {
  return (check.group < 10 ? "0" : "") + std::to_string(check.group) + certify::rowLetter(check.row);
}

FileResult certifyInputFile(const InputFile& file, const std::string& reportPath, const std::string& reportRefusal,
                            const CertifySettings& settings) {
  FileResult result;
  result.path = file.path;
  result.reportPath = reportPath;
  certify::CommandLogContext log{settings.programFolder, file.path, reportPath, "Korrivan"};
  try {
    result.size = sizeOf(file.path);
    // The batch command line's own checks of the LAS file name, in its order.
    if (!base::fileExists(file.path)) {
      setNotCertified(result, "file-not-accessible",
                      "LAS file name, " + file.path + ", is not a valid file name or file is not accessible.");
      certify::appendCommandLog(log, "Error:" + result.reasonText);
    } else if (!hasLasExtension(file.path)) {
      setNotCertified(result, "no-las-extension",
                      "Supplied LAS file name, " + file.path + ", must have a .las extension.");
      certify::appendCommandLog(log, "Error:" + result.reasonText);
    } else {
      certifyAndSettle(result, reportRefusal, settings);
    }
  } catch (const std::exception& e) {
    const base::PendingError pe = base::pendingError(e);
    setNotCertified(result, "internal-error",
                    "Error: VB Error in certify: " + pe.text + ". Error #" + std::to_string(pe.number) +
                        ". LAS file was: " + file.path);
    result.resultText.clear();
    result.groups.clear();
    result.firstFailure.reset();
    certify::appendCommandLog(log, result.reasonText);
  }
  // Only a report written is named in the result.
  if (result.verdict == Verdict::NotCertified || !result.reportError.empty()) result.reportPath.clear();
  return result;
}

}  // namespace korrivan::cli
