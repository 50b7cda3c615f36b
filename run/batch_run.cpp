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

// The report of the run, or the command-log message saying why there is none.
std::string writeRunReport(const CommandLogContext& log, const Certification& certification,
                           const std::string& reportFileName, RunHooks& hooks) {
  ReportHeader header{log.lasFileName, certification.detectedVersion, std::chrono::system_clock::now()};
  std::string report = buildReport(certification.table(), header);
  if (report.empty())
    return "Error: The certification report could not be built (out of memory), so none was written to " +
           reportFileName + ".";
  base::PendingError why;
  if (!writeReport(reportFileName, report, hooks, &why))
    return "Error: The certification report could not be written to " + reportFileName + ": " + why.text + ". Error #" +
           std::to_string(why.number) + ". Any old report there was left as it was.";
  return "";
}

std::string messageOfEnd(const Certification& certification) {
  switch (certification.end) {
    case CertifyEnd::PreCheckFailed:
    case CertifyEnd::Completed:
    case CertifyEnd::Cancelled: break;
    case CertifyEnd::Stopped: return "A processing error occured within the program.";
    case CertifyEnd::VersionUnsupported:
      return "The LAS Version was not 1.2, 2.0 or 3.0. It was : " + base::numberText(certification.detectedVersion) +
             ". No further processing will be done.";
    case CertifyEnd::VersionNotRead:
      return "LAS Version was not read from the file correctly. (" + base::numberText(0.0f) +
             "). It is either absent, not a numerical value or the file does not have basic LAS properties. No "
             "further processing is possible.";
  }
  return "";
}

}  // namespace

std::string settleBatchCertification(const CommandLogContext& log, const Certification& certification,
                                     const std::string& reportFileName, RunHooks& hooks) {
  std::string message;
  const bool verdict = certification.end == CertifyEnd::PreCheckFailed || certification.end == CertifyEnd::Completed;
  if (!verdict)
    message = messageOfEnd(certification);
  else if (!reportFileName.empty())
    message = writeRunReport(log, certification, reportFileName, hooks);
  if (!message.empty()) appendCommandLog(log, message);
  return message;
}

void doBatchMode(Session& session, RunHooks& hooks) {
  try {
    CertifyOptions options;
    options.mode = CertifyMode::Batch;
    options.doWrap = session.doWrap;
    options.log = session.logContext();
    options.priorVersion = session.detectedVersion;
    const Certification certification = certifyFile(session.lasFileName, options, hooks);
    session.detectedVersion = certification.detectedVersion;
    settleBatchCertification(options.log, certification, session.logFileName, hooks);
  } catch (const std::exception& e) {
    base::PendingError pe = base::pendingError(e);
    appendCommandLog(session, "Error: VB Error in doBatchMode: " + pe.text + ". Error #" + std::to_string(pe.number) +
                                  ". LAS file was: " + session.lasFileName);
  }
}

}  // namespace korrivan::run
