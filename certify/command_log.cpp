#include "certify/command_log.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "base/file_names.h"
#include "certify/report.h"
#include "base/program_folders.h"
#include "certify/session.h"

namespace korrivan::certify {

using namespace korrivan::base;

namespace {

constexpr const char* kLogName = "command.log";

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

// The home folder from the environment, else from the user's account.
std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (isAbsolute(home)) return home;
  std::vector<char> buf(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buf.data(), buf.size(), &found) == 0 && found && isAbsolute(found->pw_dir))
    return found->pw_dir;
  return "";
}

std::string stateFolder() {
  const char* xdg = std::getenv("XDG_STATE_HOME");
  if (isAbsolute(xdg)) return std::string(xdg) + "/korrivan";
  std::string home = homeFolder();
  return home.empty() ? "" : home + "/.local/state/korrivan";
}

// Creates the folder and any missing parents, each private to the user.
void createPrivateFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) return;
  }
}

// A folder of our own: a real folder (no link), owned by the running user.
bool isOwnFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool canAppendIn(const std::string& folder, const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) == 0;
  return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Opens the log for appending without following a link or waiting on
// anything that is not a regular file.
int openLog(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Runs of ours hold the lock only for the one write of an entry, so a
// parallel run waits its turn, however many runs there are; only a log that
// another program keeps locked beyond the bound loses the entry, as a
// read-only log does.
constexpr auto kLockBound = std::chrono::seconds(10);

bool lockForAppend(int fd) {
  const auto giveUpAt = std::chrono::steady_clock::now() + kLockBound;
  useconds_t pause = 200;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= giveUpAt) return false;
    ::usleep(pause);
    pause = std::min<useconds_t>(pause * 2, 20000);
  }
  return true;
}

}  // namespace

std::string commandLogPath(const std::string& programFolder) {
  // An installed program never writes beside itself, even where it could.
  const bool installed = !base::installedDataFolder(programFolder).empty();
  std::string path = programFolder + "/" + kLogName;
  if (!installed && canAppendIn(programFolder, path)) return path;
  std::string folder = stateFolder();
  if (folder.empty()) return "";
  createPrivateFolders(folder);
  return isOwnFolder(folder) ? folder + "/" + kLogName : "";
}

void appendCommandLog(const Session& session, const std::string& message) {
  appendCommandLog(session.logContext(), message);
}

void appendCommandLog(const CommandLogContext& session, const std::string& message) {
  try {
    std::string path = commandLogPath(session.programFolder);
    if (path.empty()) return;
    int fd = openLog(path);
    if (fd < 0) return;
    if (lockForAppend(fd)) {
      std::string entry = commandLogDate(std::chrono::system_clock::now()) + "\t" + printableName(session.lasFileName) +
                          "\t" + printableName(session.logFileName) + "\t" + printableName(session.statusText) +
                          "\r\n" + printableName(message) + "\r\n";
      // One write(2) of the whole entry in append mode: even a writer that
      // ignores the lock cannot come between its two lines.
      while (::write(fd, entry.data(), entry.size()) < 0 && errno == EINTR) {
      }
    }
    ::close(fd);
  } catch (...) {
    // The command log swallows its own failures.
  }
}

std::string privateStateFolder() {
  std::string folder = stateFolder();
  if (folder.empty()) return "";
  createPrivateFolders(folder);
  return isOwnFolder(folder) ? folder : "";
}

}  // namespace korrivan::certify
