#include "base/las_file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "base/run_error.h"

namespace korrivan::base {

namespace {

// The byte that marks a rewrite in progress: far beyond the end of any file,
// where no reader or writer of the content ever locks.
constexpr off_t kRewriteMark = std::numeric_limits<off_t>::max() - 1;
constexpr useconds_t kPauseMicroseconds = 10000;
// Tries before a lock without our mark counts as another program's: a
// rewrite of ours may end between the two looks.
constexpr int kForeignAfterTries = 3;

struct flock markRange(short type) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kRewriteMark;
  range.l_len = 1;
  return range;
}

void setRewriteMark(int fd) {
  struct flock range = markRange(F_RDLCK);
  ::fcntl(fd, F_OFD_SETLK, &range);
}

void clearRewriteMark(int fd) {
  struct flock range = markRange(F_UNLCK);
  ::fcntl(fd, F_OFD_SETLK, &range);
}

bool rewriteMarked(int fd) {
  struct flock range = markRange(F_WRLCK);
  if (::fcntl(fd, F_OFD_GETLK, &range) != 0) return false;
  return range.l_type == F_RDLCK && range.l_pid == -1;  // an open-file-description lock, as ours are
}

// The descriptor still refers to the file the name refers to.
bool stillNamed(int fd, const std::string& name) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 && ::stat(name.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// Opens a regular file for reading without waiting on anything put in its place.
int openRegular(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return -1;
  }
  return fd;
}

}  // namespace

bool LasFileLock::lockShared() {
  if (state_ == State::Shared) return true;
  if (state_ == State::Exclusive) {
    if (stillNamed(fd_, fileName_)) {
      while (::flock(fd_, LOCK_SH) != 0 && errno == EINTR) {
      }
      clearRewriteMark(fd_);
      state_ = State::Shared;
      return true;
    }
    // The rewrite put a new file in place: lock it before letting go of the old one.
    int old = fd_;
    fd_ = -1;
    state_ = State::None;
    bool locked = acquireShared();
    ::close(old);
    return locked;
  }
  return acquireShared();
}

bool LasFileLock::acquireShared() {
  int unmarkedTries = 0;
  for (;;) {
    if (fd_ < 0 && (fd_ = openRegular(fileName_)) < 0) return false;
    if (::flock(fd_, LOCK_SH | LOCK_NB) == 0) {
      if (stillNamed(fd_, fileName_)) {
        state_ = State::Shared;
        return true;
      }
      ::close(fd_);  // replaced meanwhile: lock the file there now
      fd_ = -1;
      continue;
    }
    const int failure = errno;
    if (failure == EINTR) continue;
    if (failure == EWOULDBLOCK && rewriteMarked(fd_)) {
      unmarkedTries = 0;
    } else if (failure != EWOULDBLOCK || ++unmarkedTries >= kForeignAfterTries) {
      ::close(fd_);
      fd_ = -1;
      return false;
    }
    ::usleep(kPauseMicroseconds);
  }
}

void LasFileLock::lockExclusive() {
  for (;;) {
    if (fd_ < 0 && (fd_ = openRegular(fileName_)) < 0) throw RunError::fromErrno(errno, FileOp::Read);
    setRewriteMark(fd_);
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      int e = errno;
      clearRewriteMark(fd_);
      throw RunError::fromErrno(e, FileOp::Write);
    }
    if (stillNamed(fd_, fileName_)) {
      state_ = State::Exclusive;
      return;
    }
    ::close(fd_);  // replaced while we waited: lock the file there now
    fd_ = -1;
    state_ = State::None;
  }
}

void LasFileLock::unlock() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  state_ = State::None;
}

}  // namespace korrivan::base
