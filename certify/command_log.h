#pragma once
// The running command log, "command.log" in the program's folder: two lines
// per entry, a tab-separated context line and the message. Appending never
// fails towards the caller; a log that cannot be written loses the entry.
#include <string>

namespace korrivan::certify {

struct Session;

// The command log's path for a program folder; when that folder cannot take
// the file, the per-user state folder ($XDG_STATE_HOME/korrivan).
std::string commandLogPath(const std::string& programFolder);

void appendCommandLog(const Session& session, const std::string& message);

}  // namespace korrivan::certify
