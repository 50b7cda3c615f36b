#pragma once
// Runs of Korrivan on the same LAS file take turns, so that none reads what
// another is half-way through rewriting: a run holds a shared advisory lock
// (flock) on the file while it reads it, and the STOP repair an exclusive
// one while it rewrites it. A rewriting run also marks the file with an
// open-file-description lock far beyond its end, so that a run finding the
// file locked can tell a rewrite of ours, which it waits for, from another
// program's lock, which the file pre-checks report.
#include <string>

namespace korrivan::certify {

class LasFileLock {
public:
  explicit LasFileLock(std::string fileName) : fileName_(std::move(fileName)) {}
  ~LasFileLock() { unlock(); }
  LasFileLock(const LasFileLock&) = delete;
  LasFileLock& operator=(const LasFileLock&) = delete;

  // Takes, or goes back to, a shared lock on the file the name refers to
  // now, waiting while another run of ours rewrites it. False, and no lock
  // held, when another program holds the file locked or it is no regular file.
  bool lockShared();

  // Takes an exclusive lock on the file the name refers to now, waiting for
  // every reader. A shared lock held is given up while waiting, so the file
  // may have changed by the time this returns: read it anew. Throws RunError
  // when the file cannot be opened.
  void lockExclusive();

  void unlock();

private:
  enum class State { None, Shared, Exclusive };

  bool acquireShared();

  std::string fileName_;
  int fd_ = -1;
  State state_ = State::None;
};

}  // namespace korrivan::certify
