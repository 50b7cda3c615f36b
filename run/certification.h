#pragma once
// One certification of one LAS file, as a value a front end receives: the
// version found, how the run ended, and every check of the catalogue with
// its outcome and findings. The report and the results grid read it through
// one conversion to the legacy cell texts (table()).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "certify/check_table.h"
#include "certify/run_hooks.h"

namespace korrivan::run {

enum class LasVersion { Unknown, V1_2, V2_0, V3_0, Other };

LasVersion lasVersionOf(float detected);

enum class Outcome { Passed, NotPerformed, Failed };

// One defect found by a check: the message as the report shows it and, where
// the check knows it, the line of the LAS file it is about.
struct Finding {
  std::string message;
  std::int64_t line = 0;  // 1-based line number; 0 when the finding is not about one line
  std::string lineText;
};

struct CheckResult {
  int group = 0;
  int row = 0;
  std::string name;  // as shown in this run
  Outcome outcome = Outcome::Passed;
  std::vector<Finding> findings;

  // "4e": the group number and the row's letter.
  std::string idText() const;
  // The check table's cell text: "" passed, " " not performed, else the errors joined by CR LF.
  std::string cellText() const;
};

struct GroupResult {
  int number = 0;
  std::string title;
  std::vector<CheckResult> checks;
};

// How a certification ended.
enum class CertifyEnd {
  PreCheckFailed,      // group 1 file checks failed; nothing else was examined
  Completed,           // the driver ran to its end or to the first failing group
  Cancelled,           // the user confirmed the cancel question
  Stopped,             // stopped by an internal error (logged in the command log)
  VersionNotRead,      // batch: no readable VERS before the data section; no report
  VersionUnsupported,  // batch: a version other than 1.2, 2.0 or 3.0; no report
};

enum class CertifyMode { Batch, Interactive };

// Whether a ~Well STOP left NULL in a real-time file may be rewritten with the
// last index read from the data.
enum class RepairPolicy { Repair, ReportOnly };

struct CertifyOptions {
  CertifyMode mode = CertifyMode::Batch;
  bool doWrap = false;  // the 1.2/2.0 WRAP line-length check
  RepairPolicy repair = RepairPolicy::Repair;
  // Context of command-log entries written during the run.
  std::string programFolder;
  std::string logFileName;
  std::string statusText = "Korrivan";
  // The version shown when a pre-check fails before any version is read
  // (the window keeps the version of its previous run).
  float priorVersion = -999.25f;
};

struct Certification {
  std::string lasFileName;
  float detectedVersion = -999.25f;  // as read from VERS; -999.25 when not determined
  LasVersion version = LasVersion::Unknown;
  CertifyEnd end = CertifyEnd::Stopped;
  bool doWrap = false;
  std::vector<GroupResult> groups;  // every group of the catalogue used, in order

  // True when any check of the catalogue failed or was not performed.
  bool anyCheckFailed() const;
  // The legacy check table: version 3.0 table (9 groups) or 1.2/2.0 (7 groups).
  certify::CheckTable table() const;
  // The report's result text after "Result: ".
  std::string resultText() const;
  const CheckResult* check(int group, int row) const;
};

// Certifies one file: pre-checks, version detection, the driver of its
// version. Every call starts from a fresh state; nothing is kept between calls.
Certification certifyFile(const std::string& lasFileName, const CertifyOptions& options, certify::RunHooks& hooks);

}  // namespace korrivan::run
