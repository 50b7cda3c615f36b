#pragma once
// The running command log, "command.log" in the program's folder: two lines
// per entry, a tab-separated context line and the message. Appending never
// fails towards the caller; a log that cannot be written loses the entry.
#include <string>

namespace korrivan::certify {

struct Session;

// What the context line of an entry shows besides the date: the LAS file,
// the log file and the caption of the main window's status label.
struct CommandLogContext {
  std::string programFolder;  // where command.log is kept
  std::string lasFileName;
  std::string logFileName;
  std::string statusText = "Korrivan";
};

// Where the command log goes: the program's folder when the log can be
// written there and the program is not an installed one (<prefix>/bin beside
// <prefix>/share/korrivan); else the per-user state folder ($XDG_STATE_HOME/korrivan,
// or .local/state/korrivan in the home folder), created with mode 0700 and
// refused when it is a link or belongs to someone else. Empty when there is
// no safe place: the log is then not kept.
std::string commandLogPath(const std::string& programFolder);

// The per-user folder for files Korrivan writes when the program's folder is
// not to be written: $XDG_STATE_HOME/korrivan, or .local/state/korrivan in the
// home folder, created with mode 0700. "" when there is none or it is a link
// or someone else's.
std::string privateStateFolder();

// The note for stderr when there is no safe place for the command log.
inline constexpr const char* kNoCommandLogNote =
    "korrivan: no safe folder for command.log (the program's folder is not writable and there is no usable "
    "XDG_STATE_HOME or home folder); command-log entries of this run are not kept\n";

// Appends one entry. Control characters in names and message are shown
// escaped, so that no entry can forge another.
void appendCommandLog(const CommandLogContext& context, const std::string& message);
void appendCommandLog(const Session& session, const std::string& message);

}  // namespace korrivan::certify
