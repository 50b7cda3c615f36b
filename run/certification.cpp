#include "run/certification.h"

#include "certify/drivers.h"
#include "certify/las_file_lock.h"
#include "certify/safe_file.h"
#include "certify/prechecks.h"
#include "certify/report.h"
#include "certify/session.h"

namespace korrivan::run {

using certify::CheckTable;

namespace {

constexpr const char* kVersionNotFoundTitle = "LAS Version Not Found!";
constexpr const char* kVersionNotFoundText = "LAS Version was not determined. Proceeding as if Ver 2.0. ";

Outcome outcomeOfCell(const std::string& cell) {
  if (cell.empty()) return Outcome::Passed;
  if (cell == " ") return Outcome::NotPerformed;
  return Outcome::Failed;
}

// The errors of a failed cell, one per CR LF-separated text.
std::vector<Finding> findingsOfCell(const std::string& cell) {
  std::vector<Finding> findings;
  if (outcomeOfCell(cell) != Outcome::Failed) return findings;
  std::size_t from = 0;
  for (;;) {
    std::size_t at = cell.find("\r\n", from);
    findings.push_back({cell.substr(from, at == std::string::npos ? std::string::npos : at - from), 0, {}});
    if (at == std::string::npos) break;
    from = at + 2;
  }
  return findings;
}

std::vector<GroupResult> groupsOfTable(const CheckTable& table) {
  std::vector<GroupResult> groups;
  for (int g = 1; g <= table.lastGroup(); ++g) {
    GroupResult group{g, table.title(g), {}};
    for (int row = 1; row <= certify::kLastRow; ++row) {
      const std::string& name = table.checkName(g, row);
      if (name.empty()) continue;
      const std::string& cell = table.outcome(g, row);
      group.checks.push_back({g, row, name, outcomeOfCell(cell), findingsOfCell(cell)});
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

CertifyEnd endOfRun(certify::RunResult result) {
  switch (result) {
    case certify::RunResult::Completed: return CertifyEnd::Completed;
    case certify::RunResult::Cancelled: return CertifyEnd::Cancelled;
    case certify::RunResult::Stopped: break;
  }
  return CertifyEnd::Stopped;
}

void recordPreChecks(certify::CheckTables& tables, const certify::PreCheckSlots& slots) {
  certify::OutcomeSlots group1;
  for (int k = 1; k <= 6; ++k) group1[static_cast<std::size_t>(k)] = slots[static_cast<std::size_t>(k - 1)];
  certify::recordGroupResults(tables.v3, 1, group1);
  certify::recordGroupResults(tables.v2, 1, group1);
}

// Detects the version and runs its driver; fills the session's tables.
CertifyEnd certifyByVersion(certify::Session& session, const CertifyOptions& options, certify::RunHooks& hooks) {
  const bool interactive = options.mode == CertifyMode::Interactive;
  float version = certify::detectVersion(session.lasFileName);
  if (version == 0) {
    if (!interactive) return CertifyEnd::VersionNotRead;
    session.detectedVersion = 2.0f;
    if (hooks.messageBox(certify::MessageIcon::Critical, kVersionNotFoundTitle, kVersionNotFoundText,
                         certify::MessageButtons::OkCancel,
                         certify::MessageAnswer::Ok) == certify::MessageAnswer::Cancel)
      return CertifyEnd::Stopped;
    return endOfRun(certify::aaCertify2(session, hooks));
  }
  session.detectedVersion = version;
  if (version == 3.0f) return endOfRun(certify::aaCertify3(session, hooks));
  if (version == 1.2f || version == 2.0f || interactive) return endOfRun(certify::aaCertify2(session, hooks));
  return CertifyEnd::VersionUnsupported;
}

}  // namespace

LasVersion lasVersionOf(float detected) {
  if (detected == 1.2f) return LasVersion::V1_2;
  if (detected == 2.0f) return LasVersion::V2_0;
  if (detected == 3.0f) return LasVersion::V3_0;
  if (detected == 0 || detected == certify::kVersionUnknown) return LasVersion::Unknown;
  return LasVersion::Other;
}

std::string CheckResult::idText() const { return std::to_string(group) + certify::rowLetter(row); }

std::string CheckResult::cellText() const {
  switch (outcome) {
    case Outcome::Passed: return "";
    case Outcome::NotPerformed: return " ";
    case Outcome::Failed: break;
  }
  std::string text;
  for (std::size_t k = 0; k < findings.size(); ++k) {
    if (k) text += "\r\n";
    text += findings[k].message;
  }
  return text;
}

CheckTable Certification::table() const {
  CheckTable t(version == LasVersion::V3_0 ? 9 : 7);
  for (const GroupResult& g : groups) {
    if (g.number > t.lastGroup()) continue;
    t.cell(0, 0, g.number) = g.title;
    for (const CheckResult& c : g.checks) {
      t.checkName(g.number, c.row) = c.name;
      t.outcome(g.number, c.row) = c.cellText();
    }
  }
  return t;
}

bool Certification::anyCheckFailed() const {
  for (const GroupResult& g : groups)
    for (const CheckResult& c : g.checks)
      if (c.outcome != Outcome::Passed) return true;
  return false;
}

std::string Certification::resultText() const { return certify::resultText(table(), detectedVersion); }

const CheckResult* Certification::check(int group, int row) const {
  for (const GroupResult& g : groups)
    if (g.number == group)
      for (const CheckResult& c : g.checks)
        if (c.row == row) return &c;
  return nullptr;
}

Certification certifyFile(const std::string& lasFileName, const CertifyOptions& options, certify::RunHooks& hooks) {
  if (options.repair == RepairPolicy::Repair) {
    const std::string resolved = certify::resolvedPath(lasFileName);
    if (!resolved.empty()) certify::removeStaleTemporaries(certify::posixFolderOf(resolved));
  }
  // Runs on one file take turns: this run reads under a shared lock, which
  // the STOP repair turns exclusive while it rewrites the file.
  certify::LasFileLock lock(lasFileName);
  lock.lockShared();  // without it, the pre-checks report the file locked

  certify::Session session;
  session.lasFileLock = &lock;
  session.lasFileName = lasFileName;
  session.logFileName = options.logFileName;
  session.batch = options.mode == CertifyMode::Batch;
  session.doWrap = options.doWrap;
  session.programFolder = options.programFolder;
  session.statusText = options.statusText;
  session.detectedVersion = options.priorVersion;

  Certification result;
  result.lasFileName = lasFileName;
  result.doWrap = options.doWrap;
  certify::fillCheckCatalogue(session.tables, "", session.doWrap);
  certify::PreCheckSlots slots;
  if (certify::preCheckFile(lasFileName, slots) == certify::PreCheckResult::AnyFailed) {
    recordPreChecks(session.tables, slots);
    result.end = CertifyEnd::PreCheckFailed;
  } else {
    result.end = certifyByVersion(session, options, hooks);
  }
  result.detectedVersion = session.detectedVersion;
  result.version = lasVersionOf(session.detectedVersion);
  result.groups = groupsOfTable(session.tables.forVersion(session.detectedVersion));
  return result;
}

}  // namespace korrivan::run
