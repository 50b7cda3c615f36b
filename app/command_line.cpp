#include "app/command_line.h"

#include "base/file_names.h"
#include "base/run_error.h"
#include "base/text_utils.h"
#include "certify/command_log.h"
#include "las/line_parser.h"
#include "run/batch_run.h"

namespace korrivan::app {

using namespace korrivan::base;

using namespace certify;

namespace {

// A validation failure: the message has been logged; the error exit follows.
struct ValidationFailure {};

std::string unquoted(std::string_view word) {
  std::string out;
  for (char c : word)
    if (c != '"') out += c;
  return std::string(base::trimSpaces(out));
}

void logError(const Session& session, const std::string& message) { appendCommandLog(session, "Error:" + message); }

// Both names of the command line refer to one file: equal without regard to
// case, or the same file by identity (links and other spellings followed).
bool sameAsLasFile(const Session& session, const std::string& logName) {
  return base::iequals(session.lasFileName, logName) || base::namesSameFile(session.lasFileName, logName);
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
    if (base::iequals(unquoted(words[i]), "/W")) return true;
  return false;
}

}  // namespace

void runCommandLine(Session& session, const std::string& commandLine, RunHooks& hooks) {
  session.batch = true;
  PendingError pending;
  try {
    const std::string trimmed(base::trimSpaces(commandLine));
    appendCommandLog(session, "Command line :" + commandLine);
    std::vector<std::string> words = las::splitFields(trimmed, " ");
    const std::string lasName = unquoted(words.at(0));
    const std::string logName = unquoted(words.at(1));

    if (!fileExists(lasName)) {
      logError(session, "LAS file name, " + lasName + ", is not a valid file name or file is not accessible.");
      throw ValidationFailure{};
    }
    if (!base::iendsWith(lasName, ".las")) {
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
    run::doBatchMode(session, hooks);
    return;
  } catch (const ValidationFailure&) {
    pending = {};
  } catch (const std::exception& e) {
    pending = pendingError(e);
  }
  appendCommandLog(session, "Error: VB Error in main: " + pending.text + ". Error #" + std::to_string(pending.number));
}

}  // namespace korrivan::app
