#include "certify/command_log.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "certify/report.h"
#include "certify/session.h"

namespace korrivan::certify {

namespace {

std::string stateFolder() {
  const char* xdg = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + "/.local/state";
  }
  return base + "/korrivan";
}

bool canAppendIn(const std::string& folder, const std::string& path) {
  if (::access(path.c_str(), F_OK) == 0) return ::access(path.c_str(), W_OK) == 0;
  return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::string commandLogPath(const std::string& programFolder) {
  std::string path = programFolder + "/command.log";
  if (canAppendIn(programFolder, path)) return path;
  std::string fallback = stateFolder();
  std::error_code ec;
  std::filesystem::create_directories(fallback, ec);
  return fallback + "/command.log";
}

void appendCommandLog(const Session& session, const std::string& message) {
  try {
    std::string path = commandLogPath(session.programFolder);
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    // Another program holding the log locked makes the entry go missing, as
    // with a read-only log.
    // Our own concurrent runs wait their turn briefly.
    bool locked = false;
    for (int attempt = 0; attempt < 50 && !locked; ++attempt) {
      locked = ::flock(fileno(f), LOCK_EX | LOCK_NB) == 0;
      if (!locked) ::usleep(10000);
    }
    if (!locked) {
      std::fclose(f);
      return;
    }
    std::string entry = commandLogDate(std::chrono::system_clock::now()) + "\t" + session.lasFileName + "\t" +
                        session.logFileName + "\t" + session.statusText + "\r\n" + message + "\r\n";
    std::fwrite(entry.data(), 1, entry.size(), f);
    std::fclose(f);
  } catch (...) {
    // The command log swallows its own failures.
  }
}

}  // namespace korrivan::certify
