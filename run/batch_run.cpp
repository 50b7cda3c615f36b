#include "run/batch_run.h"

#include "base/file_names.h"
#include "base/run_error.h"
#include "base/text_utils.h"
#include "certify/command_log.h"
#include "certify/report.h"
#include "las/line_parser.h"
#include "run/certification.h"

namespace korrivan::run {

using namespace certify;

namespace {

void writeRunReport(Session& session, const Certification& certification, RunHooks& hooks) {
  ReportHeader header{session.lasFileName, certification.detectedVersion, std::chrono::system_clock::now()};
  std::string report = buildReport(certification.table(), header);
  if (report.empty()) {
    appendCommandLog(session,
                     "Error: The certification report could not be built (out of memory), so none was "
                     "written to " +
                         session.logFileName + ".");
    return;
  }
  base::PendingError why;
  if (!writeReport(session.logFileName, report, hooks, &why))
    appendCommandLog(session, "Error: The certification report could not be written to " + session.logFileName + ": " +
                                  why.text + ". Error #" + std::to_string(why.number) +
                                  ". Any old report there was left as it was.");
}

}  // namespace

void doBatchMode(Session& session, RunHooks& hooks) {
  try {
    CertifyOptions options;
    options.mode = CertifyMode::Batch;
    options.doWrap = session.doWrap;
    options.log = session.logContext();
    options.priorVersion = session.detectedVersion;
    const Certification certification = certifyFile(session.lasFileName, options, hooks);
    session.detectedVersion = certification.detectedVersion;
    switch (certification.end) {
      case CertifyEnd::PreCheckFailed:
      case CertifyEnd::Completed: writeRunReport(session, certification, hooks); break;
      case CertifyEnd::Cancelled: break;
      case CertifyEnd::Stopped: appendCommandLog(session, "A processing error occured within the program."); break;
      case CertifyEnd::VersionUnsupported:
        appendCommandLog(session, "The LAS Version was not 1.2, 2.0 or 3.0. It was : " +
                                      base::numberText(certification.detectedVersion) +
                                      ". No further processing will be done.");
        break;
      case CertifyEnd::VersionNotRead:
        appendCommandLog(session, "LAS Version was not read from the file correctly. (" + base::numberText(0.0f) +
                                      "). It is either absent, not a numerical value or the file does not have basic "
                                      "LAS properties. No further processing is possible.");
        break;
    }
  } catch (const std::exception& e) {
    base::PendingError pe = base::pendingError(e);
    appendCommandLog(session, "Error: VB Error in doBatchMode: " + pe.text + ". Error #" + std::to_string(pe.number) +
                                  ". LAS file was: " + session.lasFileName);
  }
}

}  // namespace korrivan::run
