#include "run/certification.h"

#include "base/las_file_lock.h"
#include "base/out_of_memory.h"
#include "base/run_error.h"
#include "base/safe_file.h"
#include "certify/command_log.h"
#include "certify/prechecks.h"
#include "certify/report.h"
#include "certify/session.h"

namespace korrivan::run {

using certify::CheckTable;

namespace {

constexpr const char* kVersionNotFoundTitle = "LAS Version Not Found!";
constexpr const char* kVersionNotFoundText = "LAS Version was not determined. Proceeding as if Ver 2.0. ";

CertifyEnd endOfRun(certify::RunResult result) {
  switch (result) {
    case certify::RunResult::Completed: return CertifyEnd::Completed;
    case certify::RunResult::Cancelled: return CertifyEnd::Cancelled;
    case certify::RunResult::Stopped: break;
  }
  return CertifyEnd::Stopped;
}

// The group 1 file checks: their outcomes in the table of the version the
// run shows, every other check passed.
CheckTable preCheckTable(const certify::PreCheckSlots& slots, float version, bool doWrap) {
  CheckTable table = certify::catalogueTable(
      version == 3.0f ? certify::CatalogueKind::Version3 : certify::CatalogueKind::Version2, "", doWrap);
  certify::OutcomeSlots group1;
  for (int k = 1; k <= 6; ++k) group1[static_cast<std::size_t>(k)] = slots[static_cast<std::size_t>(k - 1)];
  certify::recordGroupResults(table, 1, group1);
  return table;
}

struct VersionRun {
  float version = 0;
  CertifyEnd end = CertifyEnd::Stopped;
  DriverRun driver;
};

// Detects the version and runs its driver.
VersionRun certifyByVersion(DriverSetup setup, CertifyMode mode) {
  VersionRun run;
  const bool interactive = mode == CertifyMode::Interactive;
  float version = certify::detectVersion(setup.fileName);
  if (version == 0) {
    if (!interactive) {
      run.end = CertifyEnd::VersionNotRead;
      return run;
    }
    run.version = setup.version = 2.0f;
    if (setup.hooks.messageBox(certify::MessageIcon::Critical, kVersionNotFoundTitle, kVersionNotFoundText,
                               certify::MessageButtons::OkCancel,
                               certify::MessageAnswer::Ok) == certify::MessageAnswer::Cancel) {
      run.end = CertifyEnd::Stopped;
      run.driver.table = certify::catalogueTable(certify::CatalogueKind::Version2, "", setup.doWrap);
      return run;
    }
    run.driver = aaCertify2(setup);
    run.end = endOfRun(run.driver.result);
    return run;
  }
  run.version = setup.version = version;
  if (version == 3.0f) {
    run.driver = aaCertify3(setup);
  } else if (version == 1.2f || version == 2.0f || interactive) {
    run.driver = aaCertify2(setup);
  } else {
    run.end = CertifyEnd::VersionUnsupported;
    return run;
  }
  run.end = endOfRun(run.driver.result);
  return run;
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

Certification certificationOfTable(CheckTable table, std::map<std::pair<int, int>, std::vector<Finding>> findings) {
  Certification c;
  for (int g = 1; g <= table.lastGroup(); ++g) {
    GroupResult group{g, table.title(g), {}};
    for (int row = 1; row <= certify::kLastRow; ++row) {
      const std::string& name = table.checkName(g, row);
      if (name.empty()) continue;
      const Outcome outcome = certify::outcomeOfCell(table.outcome(g, row));
      CheckResult check{g, row, name, outcome, std::move(table.outcome(g, row)), {}};
      if (check.outcome == Outcome::Failed) {
        auto it = findings.find({g, row});
        check.findings = it != findings.end() ? std::move(it->second) : certify::OutcomeSlot(check.cellText).findings();
      }
      group.checks.push_back(std::move(check));
    }
    c.groups.push_back(std::move(group));
  }
  return c;
}

CheckTable Certification::table() const {
  CheckTable t(groups.size() > 7 ? 9 : 7);
  for (const GroupResult& g : groups) {
    if (g.number > t.lastGroup()) continue;
    t.cell(0, 0, g.number) = g.title;
    for (const CheckResult& c : g.checks) {
      t.checkName(g.number, c.row) = c.name;
      t.outcome(g.number, c.row) = c.cellText;
    }
  }
  return t;
}

bool Certification::anyCheckFailed() const { return firstFailure() != nullptr; }

const CheckResult* Certification::firstFailure() const {
  for (const GroupResult& g : groups)
    for (const CheckResult& c : g.checks)
      if (c.outcome != Outcome::Passed) return &c;
  return nullptr;
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
    const std::string resolved = base::resolvedPath(lasFileName);
    if (!resolved.empty()) base::removeStaleTemporaries(base::posixFolderOf(resolved));
  }
  // Runs on one file take turns: this run reads under a shared lock, which
  // the STOP repair turns exclusive while it rewrites the file.
  base::LasFileLock lock(lasFileName);
  lock.lockShared();  // without it, the pre-checks report the file locked

  const base::OutOfMemoryWatch outOfMemory;
  float version = options.priorVersion;
  CertifyEnd end;
  DriverRun driver;
  certify::PreCheckSlots slots;
  if (certify::preCheckFile(lasFileName, slots) == certify::PreCheckResult::AnyFailed) {
    end = CertifyEnd::PreCheckFailed;
    driver.table = preCheckTable(slots, version, options.doWrap);
  } else {
    DriverSetup setup{lasFileName, 0, options.doWrap, options.repair, hooks, options.log, &lock, options.dataScan};
    VersionRun run = certifyByVersion(setup, options.mode);
    end = run.end;
    if (run.version != 0) version = run.version;
    if (end == CertifyEnd::VersionNotRead || end == CertifyEnd::VersionUnsupported)
      driver.table = certify::catalogueTable(certify::CatalogueKind::Version2, "", options.doWrap);
    else
      driver = std::move(run.driver);
  }

  const std::string notLas = certify::notLasReason(lasFileName);
  // An allocation failure anywhere, also in the pre-checks, stops the run.
  if (outOfMemory.tripped() && end != CertifyEnd::Stopped) {
    certify::appendCommandLog(
        options.log, "Error: VB Error in certifyFile: " + base::errorText(base::err::OutOfMemory) + ". Error #" +
                         std::to_string(base::err::OutOfMemory));
    end = CertifyEnd::Stopped;
  }
  Certification result = certificationOfTable(std::move(driver.table), std::move(driver.findings));
  result.notLasReason = notLas;
  result.lasFileName = lasFileName;
  result.doWrap = options.doWrap;
  result.end = end;
  result.detectedVersion = version;
  result.version = lasVersionOf(version);
  return result;
}

}  // namespace korrivan::run
