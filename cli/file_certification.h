#pragma once
// One file of a pipeline run: checked as the batch command line checks its
// LAS file name, certified with exactly the batch run's verdict, its report
// written where the run asks for reports, and the result kept in the shape
// every output format reads.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/input_files.h"
#include "run/certification.h"
#include "run/drivers.h"

namespace korrivan::cli {

enum class Verdict { Passed, Failed, NotCertified };

// What every file of one run shares.
struct CertifySettings {
  bool doWrap = false;
  run::RepairPolicy repair = run::RepairPolicy::ReportOnly;
  std::string programFolder;  // where the command log is kept
};

// The first check that failed or was not performed, and its group.
struct FirstFailure {
  int group = 0;
  std::string groupTitle;
  std::string id;  // "04e"
  std::string name;
};

struct FileResult {
  std::string path;
  std::optional<std::uint64_t> size;  // none when the file could not be looked at
  std::string version;                // "1.2", "2.0", "3.0", another number read from VERS, or "" when none was read
  Verdict verdict = Verdict::NotCertified;
  std::string resultText;  // passed or failed: the report's result after "Result: "
  std::string reasonCode;  // not certified: why, as a word ("version-unsupported")
  std::string reasonText;  // not certified: the message of the command log
  std::optional<FirstFailure> firstFailure;
  // Why the file is no LAS well log at all, in plain words ("UTF-16 text");
  // "" for other files.
  std::string notLasReason;
  std::vector<run::GroupResult> groups;  // the groups the report lists, in order
  std::string reportPath;                // the report written ("" when none)
  std::string reportError;               // why the report asked for was not written
};

// "04e": two-digit group number and the row's letter.
std::string checkId(const run::CheckResult& check);

// Certifies one file and writes its report to `reportPath` unless that is
// empty or `reportRefusal` says why it must not be written. Never throws.
FileResult certifyInputFile(const InputFile& file, const std::string& reportPath, const std::string& reportRefusal,
                            const CertifySettings& settings);

}  // namespace korrivan::cli
