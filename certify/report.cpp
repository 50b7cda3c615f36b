#include "certify/report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/file_names.h"
#include "base/safe_file.h"
#include "base/text_utils.h"
#include "certify/run_hooks.h"

namespace korrivan::certify {

using namespace korrivan::base;

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm localTime(std::chrono::system_clock::time_point when) {
  std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

std::string twoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string clockTime(const std::tm& tm) {
  return twoDigits(tm.tm_hour) + ":" + twoDigits(tm.tm_min) + ":" + twoDigits(tm.tm_sec);
}

bool isCertifiedVersion(float v) { return v == 1.2f || v == 2.0f || v == 3.0f; }

// "Errors: " + the outcome text, every CR LF in it followed by "Errors: ",
// and a line end; within the report's budgets.
void appendErrors(std::string& out, std::string_view outcome) {
  constexpr std::string_view kCrLf = "\r\n", kErrors = "Errors: ";
  const std::size_t room = kMaxReportText > out.size() ? std::min(kMaxCheckReport, kMaxReportText - out.size()) : 0;
  const std::size_t limit = out.size() + room;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = outcome.find(kCrLf, from);
    const std::string_view piece = outcome.substr(from, at == std::string_view::npos ? at : at - from);
    if (out.size() + kErrors.size() + piece.size() + kCrLf.size() > limit) {
      out.append(kErrors).append(kFindingsNotListed).append(kCrLf);
      return;
    }
    out.append(kErrors).append(piece).append(kCrLf);
    if (at == std::string_view::npos) return;
    from = at + kCrLf.size();
  }
}

}  // namespace

// The country-specific mnemonics (5b) of a version 1.2/2.0 run are the one
// failure that does not stop the run, so the groups it went on to are listed too.
bool failureEndsListing(int group, int row, float version) { return !(version != 3.0f && group == 5 && row == 2); }

std::string reportDate(std::chrono::system_clock::time_point when) {
  std::tm tm = localTime(when);
  return twoDigits(tm.tm_mday) + "-" + kMonths[tm.tm_mon] + "-" + std::to_string(tm.tm_year + 1900) + " " +
         clockTime(tm);
}

std::string commandLogDate(std::chrono::system_clock::time_point when) {
  std::tm tm = localTime(when);
  return std::string(kMonths[tm.tm_mon]) + "-" + twoDigits(tm.tm_mday) + "-" + std::to_string(tm.tm_year + 1900) + " " +
         clockTime(tm);
}

std::string resultText(const CheckTable& table, float version) {
  std::string v = base::numberText(version);
  if (!anyCheckFailed(table)) return "LAS file PASSED Ver " + v + " Certification";
  if (isCertifiedVersion(version)) return "LAS file FAILS Ver " + v + " Certification";
  return "LAS file FAILS Certification";
}

std::string buildReport(const CheckTable& table, const ReportHeader& header) {
  try {
    const std::string crlf = "\r\n";
    std::string out;
    out += "LAS Certification Result for: " + printableName(header.lasFileName) + crlf;
    out += std::string(kAppTitle) + " Ver: " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           "." + std::to_string(kVersionRevision) + " Date: " + reportDate(header.when) + crlf;
    out += crlf;
    out += "Result: " + resultText(table, header.version) + crlf;
    out += crlf;
    for (int g = 1; g <= table.lastGroup(); ++g) {
      if (table.title(g).empty()) continue;
      out += twoDigits(g) + ": " + table.title(g) + crlf;
      bool groupFailed = false;
      for (int r = 1; r <= kLastRow; ++r) {
        const std::string& name = table.checkName(g, r);
        if (name.empty()) continue;
        const std::string& outcome = table.outcome(g, r);
        if (outcome.empty()) {
          out += std::string(8, ' ') + rowLetter(r) + ". " + name + crlf;
        } else {
          groupFailed = groupFailed || failureEndsListing(g, r, header.version);
          out += std::string("Failed: ") + rowLetter(r) + ". " + name + crlf;
          appendErrors(out, outcome);
        }
      }
      if (groupFailed) break;
    }
    return out;
  } catch (const std::exception&) {
    return "";
  }
}

bool writeReport(const std::string& fileName, const std::string& reportText, RunHooks& hooks, PendingError* failure) {
  try {
    replaceFileContent(fileName, reportText + "\r\n", IdentityPolicy::BestEffort);
  } catch (const std::exception& e) {
    if (failure) *failure = pendingError(e);
    return false;
  }
  hooks.setClipboardText(reportText);
  return true;
}

}  // namespace korrivan::certify
