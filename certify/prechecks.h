#pragma once
// Group 1 file checks made on the raw file before anything is parsed, and
// the detection of the LAS version the file claims.
#include <array>
#include <string>

#include "base/run_error.h"

namespace korrivan::certify {

// Outcome texts of the six file checks: exists, size, access, CR LF
// termination, pure ASCII, .LAS extension (index 0 is slot 1).
using PreCheckSlots = std::array<std::string, 6>;

enum class PreCheckResult { AllPassed = -1, AnyFailed = 1 };

PreCheckResult preCheckFile(const std::string& fileName, PreCheckSlots& slots);

enum class TerminationResult { CrLf = -1, Flagged = 1, Unclean = 0 };

struct TerminationScan {
  TerminationResult result = TerminationResult::Unclean;
  std::string slot4;  // termination outcome
  std::string slot5;  // ASCII structure outcome
  std::string message;
  base::PendingError error;  // the run-time error met while reading, if any
};

// Looks at the first and last 4096 bytes for NUL bytes and line ends.
TerminationScan scanTermination(const std::string& fileName);

// The plain reason why a file is no LAS well log at all, read from its
// first bytes: "LiDAR point cloud, not a well log" (the LASF signature of a
// point cloud, which shares the .las extension), "UTF-16 text", "UTF-32
// text", "UTF-8 byte-order mark before the first section"; "" for any
// other file. The report does not show it; the front ends do.
std::string notLasReason(const std::string& fileName);

// The VERS value of the ~Version section, 0 when none is found before the
// data section or the file cannot be read.
float detectVersion(const std::string& fileName);

}  // namespace korrivan::certify
