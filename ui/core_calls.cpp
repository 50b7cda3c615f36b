#include "ui/core_calls.h"

#include <unistd.h>

#include <chrono>

#include "app/settings_store.h"
#include "certify/file_names.h"
#include "certify/report.h"
#include "certify/run_error.h"
#include "las/text_utils.h"

namespace korrivan::ui {

Certification certifyForWindow(const Session& session, const std::string& statusText, RunHooks& hooks) {
  run::CertifyOptions options;
  options.mode = run::CertifyMode::Interactive;
  options.doWrap = session.doWrap;
  options.programFolder = session.programFolder;
  options.logFileName = session.logFileName;
  options.statusText = statusText;
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

bool lasFileExists(const std::string& name) { return certify::fileExists(name); }

std::string withExtension(const std::string& name, const std::string& extension) {
  return certify::changeExtension(name, extension);
}

void removeWorkCopy(const std::string& lasFileName) {
  if (lasFileName.empty()) return;
  const std::string workCopy = certify::changeExtension(lasFileName, "~#~");
  if (certify::fileExists(workCopy)) ::unlink(workCopy.c_str());
}

std::string versionText(float version) { return las::numberText(version); }

void saveStartupSettings(const Session& session) {
  app::saveSettings(certify::Settings{session.lasFileName, session.writeLog, session.doWrap});
}

void saveLasFileSetting(const std::string& lasFileName) { app::saveLasFileSetting(lasFileName); }

ErrorInfo errorInfoOf(const std::exception& e) {
  const certify::PendingError pending = certify::pendingError(e);
  return {pending.number, pending.text};
}

// The build passes the project's version; the report carries the core's.
static_assert(KORRIVAN_VERSION_MAJOR == certify::kVersionMajor && KORRIVAN_VERSION_MINOR == certify::kVersionMinor &&
                  KORRIVAN_VERSION_PATCH == certify::kVersionRevision,
              "the project version and the report's version differ");

AppVersion appVersion() { return {KORRIVAN_VERSION_MAJOR, KORRIVAN_VERSION_MINOR, KORRIVAN_VERSION_PATCH}; }

}  // namespace korrivan::ui
