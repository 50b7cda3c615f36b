#pragma once
// The certification drivers: aaCertify3 for version 3.0 files and aaCertify2
// for versions 1.2 and 2.0. Each runs the check families group by group,
// records their outcomes and stops at the first group that leaves a failure.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/las_file_lock.h"
#include "certify/check_table.h"
#include "certify/command_log.h"
#include "certify/outcome.h"
#include "certify/run_hooks.h"
#include "las/data_facts.h"

namespace korrivan::run {

// Whether a ~Well STOP left NULL in a real-time file may be rewritten with the
// last index read from the data.
enum class RepairPolicy { Repair, ReportOnly };

struct DriverSetup {
  std::string fileName;
  float version = 0;
  bool doWrap = false;  // the 1.2/2.0 WRAP line-length check
  RepairPolicy repair = RepairPolicy::Repair;
  certify::RunHooks& hooks;
  certify::CommandLogContext log;     // the context of the driver's command-log lines
  base::LasFileLock* lock = nullptr;  // the run's shared lock on the file, if it holds one
  las::ScanSettings dataScan{};       // threads of the pass over the data sections
};

// What a run of a driver leaves: its check table (catalogue and outcome
// cells), the findings of every check that failed, and how it ended.
struct DriverRun {
  certify::CheckTable table{9};
  std::map<std::pair<int, int>, std::vector<certify::Finding>> findings;  // by group and row
  certify::RunResult result = certify::RunResult::Completed;
};

DriverRun aaCertify3(const DriverSetup& setup);
DriverRun aaCertify2(const DriverSetup& setup);

inline constexpr const char* kCancelQuestion = "Do you want to cancel the certification in progress?";
inline constexpr const char* kCancelTitle = "Please Confirm!";

// Asks the cancel question in the window; false (go on) in batch mode.
bool askToCancel(certify::RunHooks& hooks);

// The poll of long walks: lets window events run and, when the user pressed
// ESC, asks the cancel question; throws RunCancelled on Yes.
void pollForCancel(certify::RunHooks& hooks);

}  // namespace korrivan::run
