#include "support/program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>

namespace fs = std::filesystem;

namespace korrivan::test {

namespace {

// The program `from`, hard-linked (else copied) to `to`.
void placeProgram(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::create_hard_link(from, to, ec);
  if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

}  // namespace

// The program runs from a folder of its own, with the window program beside
// it as in the build folder.
Program::Program(const ScratchDir& dir) : dir_(dir) {
  fs::create_directories(dir.path() / "bin");
  exe_ = dir.path() / "bin" / "korrivan";
  placeProgram(KORRIVAN_EXE, exe_);
  if (std::string_view(KORRIVAN_WINDOW_EXE).size() > 0)
    placeProgram(KORRIVAN_WINDOW_EXE, dir.path() / "bin" / "korrivan-window");
}

pid_t Program::start(const std::vector<std::string>& args, const RunOptions& options) const {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (::chdir(dir_.path().c_str()) != 0) ::_exit(127);
  std::string config = (dir_.path() / "config").string();
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  // Batch runs never need a display; without one the window cannot open.
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("QT_QPA_PLATFORM");
  if (options.bareEnvironment) {
    ::unsetenv("HOME");
    ::unsetenv("XDG_STATE_HOME");
  }
  for (const std::string& e : options.environment) ::putenv(const_cast<char*>(e.c_str()));
  if (!options.stderrPath.empty()) {
    int fd = ::open(options.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || ::dup2(fd, 2) < 0) ::_exit(127);
  }
  if (options.fileSizeLimit != RLIM_INFINITY) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG, as on a full disk
    struct rlimit limit {
      options.fileSizeLimit, options.fileSizeLimit
    };
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
  }
  if (options.user) {
    gid_t group = options.group.value_or(*options.user);
    if (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(*options.user) != 0) ::_exit(127);
  }
  std::vector<char*> argv;
  std::string exe = exe_.string();
  argv.push_back(exe.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  ::execv(exe.c_str(), argv.data());
  ::_exit(127);
}

int Program::finish(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

int Program::run(const std::vector<std::string>& args, const RunOptions& options) const {
  int status = finish(start(args, options));
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> Program::messages() const {
  std::vector<std::string> lines = splitCrLf(readFile((folder() / "command.log").string()));
  std::vector<std::string> out;
  for (std::size_t i = 1; i < lines.size(); i += 2) out.push_back(lines[i]);
  return out;
}

std::vector<std::string> Program::contextLines() const {
  std::vector<std::string> lines = splitCrLf(readFile((folder() / "command.log").string()));
  std::vector<std::string> out;
  for (std::size_t i = 0; i < lines.size(); i += 2) out.push_back(lines[i]);
  return out;
}

std::vector<std::pair<std::string, FolderEntry>> folderSnapshot(const fs::path& folder, const std::string& skip) {
  std::vector<std::pair<std::string, FolderEntry>> out;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = fs::relative(it->path(), folder).string();
    if (name == skip && it->is_directory()) {
      it.disable_recursion_pending();
      continue;
    }
    struct stat st {};
    ::lstat(it->path().c_str(), &st);
    FolderEntry e;
    e.mode = st.st_mode & 07777;
    e.uid = st.st_uid;
    e.gid = st.st_gid;
    if (S_ISLNK(st.st_mode)) {
      e.kind = "link";
      e.content = fs::read_symlink(it->path()).string();
    } else if (S_ISDIR(st.st_mode)) {
      e.kind = "dir";
    } else {
      e.kind = "file";
      e.content = readFile(it->path().string());
    }
    out.emplace_back(name, e);
  }
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return out;
}

}  // namespace korrivan::test
