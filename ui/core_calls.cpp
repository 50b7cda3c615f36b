#include "ui/core_calls.h"

#include <unistd.h>

#include <chrono>

#include "app/settings_store.h"
#include "base/file_names.h"
#include "base/run_error.h"
#include "base/text_utils.h"
#include "certify/report.h"

namespace korrivan::ui {

Certification certifyForWindow(const Session& session, const std::string& statusText, RunHooks& hooks) {
  run::CertifyOptions options;
  options.mode = run::CertifyMode::Interactive;
  options.doWrap = session.doWrap;
  options.log = {session.programFolder, session.lasFileName, session.logFileName, statusText};
  options.priorVersion = session.detectedVersion;
  return run::certifyFile(session.lasFileName, options, hooks);
}

std::string reportText(const Certification& certification) {
  certify::ReportHeader header{certification.lasFileName, certification.detectedVersion,
                               std::chrono::system_clock::now()};
  return certify::buildReport(certification.table(), header);
}

bool writeReportFile(const std::string& fileName, const std::string& report, RunHooks& hooks) {
  return certify::writeReport(fileName, report, hooks);
}

run::ConversionReport convertForWindow(const std::string& lasFileName, const std::string& outputFileName,
                                       const run::ConversionOptions& options, RunHooks& hooks) {
  return run::convertToVersion3(lasFileName, outputFileName, options, hooks);
}

std::string keptUnwrapCopyPath(const std::string& programFolder) { return run::keptUnwrapCopyPath(programFolder); }

std::vector<std::string> conversionSummaryLines(const run::ConversionReport& report, const std::string& outputFileName,
                                                const run::ConversionOptions& options) {
  return run::conversionSummary(report, outputFileName, options);
}

bool lasFileExists(const std::string& name) { return base::fileExists(name); }

std::string withExtension(const std::string& name, const std::string& extension) {
  return base::changeExtension(name, extension);
}

void removeWorkCopy(const std::string& lasFileName) {
  if (lasFileName.empty()) return;
  const std::string workCopy = base::changeExtension(lasFileName, "~#~");
  if (base::fileExists(workCopy)) ::unlink(workCopy.c_str());
}

std::string versionText(float version) { return base::numberText(version); }

void saveStartupSettings(const Session& session) {
  app::saveSettings(certify::Settings{session.lasFileName, session.writeLog, session.doWrap});
}

void saveLasFileSetting(const std::string& lasFileName) { app::saveLasFileSetting(lasFileName); }

ErrorInfo errorInfoOf(const std::exception& e) {
  const base::PendingError pending = base::pendingError(e);
  return {pending.number, pending.text};
}

// The build passes the project's version; the report carries the core's.
static_assert(KORRIVAN_VERSION_MAJOR == certify::kVersionMajor && KORRIVAN_VERSION_MINOR == certify::kVersionMinor &&
                  KORRIVAN_VERSION_PATCH == certify::kVersionRevision,
              "the project version and the report's version differ");

AppVersion appVersion() { return {KORRIVAN_VERSION_MAJOR, KORRIVAN_VERSION_MINOR, KORRIVAN_VERSION_PATCH}; }

}  // namespace korrivan::ui
