#pragma once
// The certification report built from a check table, and its file.
#include <chrono>
#include <string>

#include "base/run_error.h"
#include "base/limits.h"
#include "certify/check_table.h"

namespace korrivan::certify {

class RunHooks;

inline constexpr const char* kAppTitle = "Korrivan";
inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;

struct ReportHeader {
  std::string lasFileName;
  float version = 0;
  std::chrono::system_clock::time_point when;
};

// "dd-mmm-yyyy hh:mm:ss" and "mmm-dd-yyyy hh:mm:ss" in local time, English months.
std::string reportDate(std::chrono::system_clock::time_point when);
std::string commandLogDate(std::chrono::system_clock::time_point when);

// The result line's text after "Result: ".
std::string resultText(const CheckTable& table, float version);

// Whether a failed or not-performed check ends the report's listing after
// its group (it does for every check but one).
bool failureEndsListing(int group, int row, float version);

// A report lists at most this many bytes of one check's errors, and is at
// most about kMaxReportText long; past that a check's errors end with the
// line "Errors: (further findings of this check are not listed)".
inline constexpr std::size_t kMaxCheckReport = base::limits::kReportPerCheck;
inline constexpr std::size_t kMaxReportText = base::limits::kReportText;

// The report, every line ending in CR LF; listing stops after the first
// group that holds a failed or not-performed check. The file name is shown
// with its control characters escaped. Empty when the text could not be
// built (out of memory): such a text must not be written as a report.
std::string buildReport(const CheckTable& table, const ReportHeader& header);

// Replaces the file with the report text and a line end through a temporary
// file beside it (links followed; owner and mode of an old report kept where
// the system allows), then hands the text to the clipboard. True when the
// report is in place; otherwise the old file, if any, is untouched and
// `failure` says why.
bool writeReport(const std::string& fileName, const std::string& reportText, RunHooks& hooks,
                 base::PendingError* failure = nullptr);

}  // namespace korrivan::certify
