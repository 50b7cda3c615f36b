#include "app/batch_run.h"

#include "certify/command_log.h"
#include "certify/drivers.h"
#include "certify/file_names.h"
#include "certify/las_file_lock.h"
#include "certify/prechecks.h"
#include "certify/report.h"
#include "certify/run_error.h"
#include "certify/safe_file.h"
#include "las/line_parser.h"
#include "las/text_utils.h"

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

void writeRunReport(Session& session, RunHooks& hooks) {
  ReportHeader header{session.lasFileName, session.detectedVersion, std::chrono::system_clock::now()};
  std::string report = buildReport(session.runTable(), header);
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

// While the session's run uses it, the lock of the LAS file is reachable
// through the session (the STOP repair turns it exclusive).
class LockedForRun {
public:
  explicit LockedForRun(Session& session) : session_(session), lock_(session.lasFileName) {
    lock_.lockShared();  // without it, the pre-checks report the file locked
    session_.lasFileLock = &lock_;
  }
  ~LockedForRun() { session_.lasFileLock = nullptr; }
  LockedForRun(const LockedForRun&) = delete;
  LockedForRun& operator=(const LockedForRun&) = delete;

private:
  Session& session_;
  LasFileLock lock_;
};

void certifyDetectedVersion(Session& session, RunHooks& hooks, float version) {
  session.detectedVersion = version;
  RunResult result;
  if (version == 1.2f || version == 2.0f) {
    result = aaCertify2(session, hooks);
  } else if (version == 3.0f) {
    result = aaCertify3(session, hooks);
  } else {
    appendCommandLog(session, "The LAS Version was not 1.2, 2.0 or 3.0. It was : " + las::numberText(version) +
                                  ". No further processing will be done.");
    return;
  }
  if (result == RunResult::Completed)
    writeRunReport(session, hooks);
  else if (result != RunResult::Cancelled)
    appendCommandLog(session, "A processing error occured within the program.");
}

}  // namespace

void doBatchMode(Session& session, RunHooks& hooks) {
  try {
    const std::string lasFolder = resolvedPath(session.lasFileName);
    if (!lasFolder.empty()) removeStaleTemporaries(posixFolderOf(lasFolder));
    LockedForRun locked(session);
    fillCheckCatalogue(session.tables, "", session.doWrap);
    PreCheckSlots slots;
    if (preCheckFile(session.lasFileName, slots) == PreCheckResult::AnyFailed) {
      OutcomeSlots group1;
      for (int k = 1; k <= 6; ++k) group1[static_cast<std::size_t>(k)] = slots[static_cast<std::size_t>(k - 1)];
      recordGroupResults(session.tables.v3, 1, group1);
      recordGroupResults(session.tables.v2, 1, group1);
      writeRunReport(session, hooks);
      return;
    }
    float version = detectVersion(session.lasFileName);
    if (version != 0) {
      certifyDetectedVersion(session, hooks, version);
    } else {
      appendCommandLog(session, "LAS Version was not read from the file correctly. (" + las::numberText(version) +
                                    "). It is either absent, not a numerical value or the file does not have basic "
                                    "LAS properties. No further processing is possible.");
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
