#include "app/batch_run.h"

#include "certify/command_log.h"
#include "certify/file_names.h"
#include "certify/report.h"
#include "certify/run_error.h"
#include "certify/safe_file.h"
#include "las/line_parser.h"
#include "las/text_utils.h"
#include "run/certification.h"

namespace korrivan::app {

using namespace certify;

namespace {

// A validation failure: the message has been logged; the error exit follows.
struct ValidationFailure {};

std::string unquoted(std::string_view word) {
  std::string out;
  for (char c : word)
    if (c != '"') out += c;
  return std::string(las::trimSpaces(out));
}

void logError(const Session& session, const std::string& message) { appendCommandLog(session, "Error:" + message); }

void writeRunReport(Session& session, const run::Certification& certification, RunHooks& hooks) {
  ReportHeader header{session.lasFileName, certification.detectedVersion, std::chrono::system_clock::now()};
  std::string report = buildReport(certification.table(), header);
  if (report.empty()) {
    appendCommandLog(session,
                     "Error: The certification report could not be built (out of memory), so none was "
                     "written to " +
                         session.logFileName + ".");
    return;
  }
  PendingError why;
  if (!writeReport(session.logFileName, report, hooks, &why))
    appendCommandLog(session, "Error: The certification report could not be written to " + session.logFileName + ": " +
                                  why.text + ". Error #" + std::to_string(why.number) +
                                  ". Any old report there was left as it was.");
}

// Both names of the command line refer to one file: equal without regard to
// case, or the same file by identity (links and other spellings followed).
bool sameAsLasFile(const Session& session, const std::string& logName) {
  return las::iequals(session.lasFileName, logName) || namesSameFile(session.lasFileName, logName);
}

void refuseSameFile(const Session& session) {
  appendCommandLog(session,
                   "Error: LAS file name and Log file are the same. Log file must be different. No processing is "
                   "possible");
  throw ValidationFailure{};
}

// "/W" as a word of its own after the two names, in any case.
bool wrapSwitchGiven(const std::vector<std::string>& words) {
  for (std::size_t i = 2; i < words.size(); ++i)
    if (las::iequals(unquoted(words[i]), "/W")) return true;
  return false;
}

}  // namespace

void doBatchMode(Session& session, RunHooks& hooks) {
  try {
    run::CertifyOptions options;
    options.mode = run::CertifyMode::Batch;
    options.doWrap = session.doWrap;
    options.programFolder = session.programFolder;
    options.logFileName = session.logFileName;
    options.statusText = session.statusText;
    options.priorVersion = session.detectedVersion;
    const run::Certification certification = run::certifyFile(session.lasFileName, options, hooks);
    session.detectedVersion = certification.detectedVersion;
    switch (certification.end) {
      case run::CertifyEnd::PreCheckFailed:
      case run::CertifyEnd::Completed: writeRunReport(session, certification, hooks); break;
      case run::CertifyEnd::Cancelled: break;
      case run::CertifyEnd::Stopped: appendCommandLog(session, "A processing error occured within the program."); break;
      case run::CertifyEnd::VersionUnsupported:
        appendCommandLog(session, "The LAS Version was not 1.2, 2.0 or 3.0. It was : " +
                                      las::numberText(certification.detectedVersion) +
                                      ". No further processing will be done.");
        break;
      case run::CertifyEnd::VersionNotRead:
        appendCommandLog(session, "LAS Version was not read from the file correctly. (" + las::numberText(0.0f) +
                                      "). It is either absent, not a numerical value or the file does not have basic "
                                      "LAS properties. No further processing is possible.");
        break;
    }
  } catch (const std::exception& e) {
    PendingError pe = pendingError(e);
    appendCommandLog(session, "Error: VB Error in doBatchMode: " + pe.text + ". Error #" + std::to_string(pe.number) +
                                  ". LAS file was: " + session.lasFileName);
  }
}

void runCommandLine(Session& session, const std::string& commandLine, RunHooks& hooks) {
  session.batch = true;
  PendingError pending;
  try {
    const std::string trimmed(las::trimSpaces(commandLine));
    appendCommandLog(session, "Command line :" + commandLine);
    std::vector<std::string> words = las::splitFields(trimmed, " ");
    const std::string lasName = unquoted(words.at(0));
    const std::string logName = unquoted(words.at(1));

    if (!fileExists(lasName)) {
      logError(session, "LAS file name, " + lasName + ", is not a valid file name or file is not accessible.");
      throw ValidationFailure{};
    }
    if (!las::iendsWith(lasName, ".las")) {
      logError(session, "Supplied LAS file name, " + lasName + ", must have a .las extension.");
      throw ValidationFailure{};
    }
    session.lasFileName = lasName;
    session.doWrap = wrapSwitchGiven(words);
    session.logFileName = logName;
    // Decided before anything is opened: proving the log name must never touch the LAS file.
    if (sameAsLasFile(session, session.logFileName)) refuseSameFile(session);
    if (!testFileSpec(session.logFileName)) {
      logError(session, "Log file name, " + session.logFileName +
                            " is not a valid file name or could not be opened where indicated. Log file was written as "
                            "LAS filename with .log extension to LAS file path.");
      session.logFileName = changeExtension(session.lasFileName, "log");
      if (sameAsLasFile(session, session.logFileName)) refuseSameFile(session);
    }
    doBatchMode(session, hooks);
    return;
  } catch (const ValidationFailure&) {
    pending = {};
  } catch (const std::exception& e) {
    pending = pendingError(e);
  }
  appendCommandLog(session, "Error: VB Error in main: " + pending.text + ". Error #" + std::to_string(pending.number));
}

}  // namespace korrivan::app
