#pragma once
// One certification of one LAS file, as a value a front end receives: the
// version found, how the run ended, and every check of the catalogue with
// its outcome and findings. The report and the results grid read it through
// one conversion to the check table's cell texts (table()).
#include <cstdint>
#include <string>
#include <vector>

#include "certify/check_table.h"
#include "certify/outcome.h"
#include "certify/run_hooks.h"
#include "run/drivers.h"

namespace korrivan::run {

using certify::Finding;
using certify::Outcome;

enum class LasVersion { Unknown, V1_2, V2_0, V3_0, Other };

LasVersion lasVersionOf(float detected);

struct CheckResult {
  int group = 0;
  int row = 0;
  std::string name;  // as shown in this run
  Outcome outcome = Outcome::Passed;
  std::string cellText;  // "" passed, " " not performed, else the error text exactly as the report shows it
  std::vector<Finding> findings;

  // "4e": the group number and the row's letter.
  std::string idText() const;
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

struct CertifyOptions {
  CertifyMode mode = CertifyMode::Batch;
  bool doWrap = false;  // the 1.2/2.0 WRAP line-length check
  RepairPolicy repair = RepairPolicy::Repair;
  // Context of command-log entries written during the run.
  certify::CommandLogContext log;
  // The version shown when a pre-check fails before any version is read
  // (the window keeps the version of its previous run).
  float priorVersion = -999.25f;
  // How the pass over the data sections uses the cores.
  las::ScanSettings dataScan{};
};

struct Certification {
  std::string lasFileName;
  float detectedVersion = -999.25f;  // as read from VERS; -999.25 when not determined
  LasVersion version = LasVersion::Unknown;
  CertifyEnd end = CertifyEnd::Stopped;
  bool doWrap = false;
  std::vector<GroupResult> groups;  // every group of the catalogue used, in order
  // Why the file is no LAS well log at all, in plain words ("LiDAR point
  // cloud, not a well log", "UTF-16 text", ...; see certify::notLasReason),
  // for the front ends to show beside the report; "" for other files.
  std::string notLasReason;

  // True when any check of the catalogue failed or was not performed.
  bool anyCheckFailed() const;
  // The check table: version 3.0 table (9 groups) or 1.2/2.0 (7 groups).
  certify::CheckTable table() const;
  // The report's result text after "Result: ".
  std::string resultText() const;
  const CheckResult* check(int group, int row) const;
  // The first check that failed or was not performed, or null.
  const CheckResult* firstFailure() const;
};

// Certifies one file: pre-checks, version detection, the driver of its
// version. Every call starts from a fresh state; nothing is kept between
// calls, so one process may certify many files, one after the other or at
// the same time on several threads.
Certification certifyFile(const std::string& lasFileName, const CertifyOptions& options, certify::RunHooks& hooks);

// The certification of a check table (its cells and the findings of its
// failed checks); used by certifyFile and by tests. The table's cells and
// the findings are moved into it.
Certification certificationOfTable(certify::CheckTable table,
                                   std::map<std::pair<int, int>, std::vector<Finding>> findings);

}  // namespace korrivan::run
