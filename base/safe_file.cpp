#include "base/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/run_error.h"

namespace korrivan::base {

int FileWriteOps::createExclusive(const std::string& name) {
  return ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}
ssize_t FileWriteOps::writeAt(int fd, const char* data, std::size_t size, off_t offset) {
  return ::pwrite(fd, data, size, offset);
}
int FileWriteOps::sync(int fd) { return ::fsync(fd); }
int FileWriteOps::replace(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()); }

FileWriteOps& systemFileWriteOps() {
  static FileWriteOps ops;
  return ops;
}

namespace {

constexpr std::string_view kTemporaryPrefix = ".korrivan-rewrite-";
constexpr std::size_t kSuffixLength = 6;
// A temporary file is written continuously and renamed within seconds of
// its last write; one untouched for an hour belongs to no living run.
constexpr std::time_t kStaleAfterSeconds = 3600;

// ---- removal on signals -------------------------------------------------------
//
// A signal handler can reach nothing but static state, so the names of the
// temporary files being written live in these fixed slots: the only mutable
// state of its kind in the program, and touched only here.

constexpr int kSlots = 8;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct PendingTemporaries {
  std::atomic<bool> claimed[kSlots];  // taken by a thread (files of parallel runs may be written at once)
  std::atomic<bool> used[kSlots];     // holds a complete name the handler may remove
  char path[kSlots][PATH_MAX];
  struct sigaction previous[3];
  std::atomic<bool> handlersInstalled;
};
constinit PendingTemporaries gPending{};

void removePendingOnSignal(int sig) {
  for (int i = 0; i < kSlots; ++i)
    if (gPending.used[i].load()) ::unlink(gPending.path[i]);
  // End the way the signal would have ended the process without us.
  for (int k = 0; k < 3; ++k)
    if (kSignals[k] == sig) ::sigaction(sig, &gPending.previous[k], nullptr);
  ::raise(sig);
}

void installSignalHandlers() {
  if (gPending.handlersInstalled.exchange(true)) return;
  for (int k = 0; k < 3; ++k) {
    struct sigaction current {};
    ::sigaction(kSignals[k], nullptr, &current);
    gPending.previous[k] = current;
    if (current.sa_handler == SIG_IGN) continue;  // an ignored signal stays ignored (nohup)
    struct sigaction ours {};
    ours.sa_handler = removePendingOnSignal;
    sigemptyset(&ours.sa_mask);
    for (int s : kSignals) sigaddset(&ours.sa_mask, s);
    ::sigaction(kSignals[k], &ours, nullptr);
  }
}

// Holds SIGINT, SIGTERM and SIGHUP back for a scope, so that a file and its
// slot come and go together.
class SignalsHeld {
public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kSignals) sigaddset(&set, s);
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
  sigset_t old_;
};

int rememberTemporary(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  installSignalHandlers();
  for (int i = 0; i < kSlots; ++i) {
    bool free = false;
    if (!gPending.claimed[i].compare_exchange_strong(free, true)) continue;
    std::memcpy(gPending.path[i], path.c_str(), path.size() + 1);
    gPending.used[i].store(true);
    return i;
  }
  return -1;  // no slot: a later run removes the file if this one is killed
}

void forgetTemporary(int slot) {
  if (slot < 0) return;
  gPending.used[slot].store(false);
  gPending.claimed[slot].store(false);
}

// ---- names ---------------------------------------------------------------------

std::string randomSuffix() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[kSuffixLength];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    auto seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<std::uint64_t>(::getpid()) << 32);
    for (unsigned char& b : bytes) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      b = static_cast<unsigned char>(seed >> 56);
    }
  }
  std::string out;
  for (unsigned char b : bytes) out += kChars[b % (sizeof kChars - 1)];
  return out;
}

// Creates a new temporary file in the folder; the name is returned through `name`.
int createTemporaryIn(FileWriteOps& ops, const std::string& folder, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "/" + std::string(kTemporaryPrefix) + randomSuffix();
    int fd = ops.createExclusive(name);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void writeAll(FileWriteOps& ops, int fd, std::string_view data, off_t offset) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ops.writeAt(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw RunError::fromErrno(n < 0 ? errno : ENOSPC, FileOp::Write);
    done += static_cast<std::size_t>(n);
  }
}

bool sameFileState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

RunError keepFailure(int number, const std::string& what) {
  return RunError(number, "The file's " + what + " cannot be kept on a rewritten copy, so it was left unchanged");
}

// Copies every extended attribute (ACLs among them) of `from` to the open file.
void copyExtendedAttributes(const std::string& from, int to, bool required) {
  ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
  if (size <= 0) {
    if (size < 0 && required && errno != ENOTSUP) throw keepFailure(err::PermissionDenied, "extended attributes");
    return;
  }
  std::vector<char> names(static_cast<std::size_t>(size));
  size = ::listxattr(from.c_str(), names.data(), names.size());
  if (size < 0) {
    if (required) throw keepFailure(err::PermissionDenied, "extended attributes");
    return;
  }
  for (std::size_t at = 0; at < static_cast<std::size_t>(size);) {
    const char* name = names.data() + at;
    at += std::strlen(name) + 1;
    ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
    std::vector<char> value(length > 0 ? static_cast<std::size_t>(length) : 0);
    if (length >= 0) length = ::getxattr(from.c_str(), name, value.data(), value.size());
    bool copied = length >= 0 && ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) == 0;
    if (!copied && required) throw keepFailure(err::PermissionDenied, std::string("extended attribute ") + name);
  }
}

}  // namespace

std::string posixFolderOf(const std::string& name) {
  std::size_t slash = name.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return name.substr(0, slash);
}

std::string resolvedPath(const std::string& name) {
  if (name.empty()) return "";
  char buf[PATH_MAX];
  struct stat st {};
  if (::lstat(name.c_str(), &st) == 0) return ::realpath(name.c_str(), buf) ? std::string(buf) : std::string();
  if (errno != ENOENT) return "";
  std::string own = name.substr(name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1);
  if (own.empty() || own == "." || own == "..") return "";
  if (!::realpath(posixFolderOf(name).c_str(), buf)) return "";
  std::string folder = buf;
  return (folder == "/" ? "" : folder) + "/" + own;
}

bool isOwnTemporaryName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || name.size() != kTemporaryPrefix.size() + kSuffixLength) return false;
  for (char c : name.substr(kTemporaryPrefix.size()))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

void removeStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  const std::time_t staleBefore = std::time(nullptr) - kStaleAfterSeconds;
  while (const dirent* entry = ::readdir(dir)) {
    if (!isOwnTemporaryName(entry->d_name)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode) && st.st_mtime < staleBefore) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

bool canCreateIn(const std::string& folder, std::string_view probe) {
  std::string name;
  int fd;
  int slot;
  {
    SignalsHeld held;
    fd = createTemporaryIn(systemFileWriteOps(), folder, name);
    if (fd < 0) return false;
    slot = rememberTemporary(name);
  }
  bool ok = ::write(fd, probe.data(), probe.size()) == static_cast<ssize_t>(probe.size());
  ok = ::close(fd) == 0 && ok;
  SignalsHeld held;
  ::unlink(name.c_str());
  forgetTemporary(slot);
  return ok;
}

FileReplacement::FileReplacement(const std::string& name, IdentityPolicy policy, FileWriteOps& ops) : ops_(ops) {
  target_ = resolvedPath(name);
  if (target_.empty()) throw RunError::fromErrno(errno == 0 ? ENOENT : errno, FileOp::Create);
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) throw RunError(err::PathFileAccess);
    if (policy == IdentityPolicy::Required && st.st_nlink > 1)
      throw RunError(err::PathFileAccess, "The file has " + std::to_string(st.st_nlink) +
                                              " hard links, which a rewritten copy would separate, so it was left "
                                              "unchanged");
    original_ = st;
  } else if (errno != ENOENT) {
    throw RunError::fromErrno(errno, FileOp::Create);
  }
  createTemporary();
  try {
    carryIdentityOver(policy);
  } catch (...) {
    discard();
    throw;
  }
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::createTemporary() {
  const std::string folder = posixFolderOf(target_);
  removeStaleTemporaries(folder);
  SignalsHeld held;
  fd_ = createTemporaryIn(ops_, folder, temporary_);
  if (fd_ < 0) {
    int e = errno;
    temporary_.clear();
    throw RunError::fromErrno(e, FileOp::Create);
  }
  signalSlot_ = rememberTemporary(temporary_);
}

void FileReplacement::carryIdentityOver(IdentityPolicy policy) {
  if (!original_) return;
  const bool required = policy == IdentityPolicy::Required;
  const struct stat& st = *original_;
  struct stat mine {};
  if (::fstat(fd_, &mine) != 0) throw RunError::fromErrno(errno, FileOp::Write);
  if ((mine.st_uid != st.st_uid || mine.st_gid != st.st_gid) && ::fchown(fd_, st.st_uid, st.st_gid) != 0 && required)
    throw keepFailure(err::PermissionDenied,
                      "owner and group (" + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + ")");
  if (::fchmod(fd_, st.st_mode & 07777) != 0 && required) throw keepFailure(err::PermissionDenied, "mode");
  copyExtendedAttributes(target_, fd_, required);
}

void FileReplacement::write(std::string_view data) {
  writeAll(ops_, fd_, data, written_);
  written_ += static_cast<off_t>(data.size());
}

void FileReplacement::commit(bool requireUnchanged) {
  if (ops_.sync(fd_) != 0) throw RunError::fromErrno(errno, FileOp::Write);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
  if (requireUnchanged) {
    struct stat now {};
    bool exists = ::stat(target_.c_str(), &now) == 0;
    bool unchanged = original_ ? exists && sameFileState(now, *original_) : !exists;
    if (!unchanged) throw RunError(err::PathFileAccess);
  }
  {
    SignalsHeld held;
    if (ops_.replace(temporary_, target_) != 0) throw RunError::fromErrno(errno, FileOp::Write);
    committed_ = true;
    forgetTemporary(signalSlot_);
    signalSlot_ = -1;
  }
  // Make the rename itself durable.
  int dir = ::open(posixFolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void FileReplacement::discard() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (committed_ || temporary_.empty()) return;
  SignalsHeld held;
  ::unlink(temporary_.c_str());
  forgetTemporary(signalSlot_);
  signalSlot_ = -1;
  temporary_.clear();
}

void replaceFileContent(const std::string& name, std::string_view content, IdentityPolicy policy, FileWriteOps& ops) {
  FileReplacement replacement(name, policy, ops);
  replacement.write(content);
  replacement.commit(false);
}

}  // namespace korrivan::base
