#include "las/line_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/run_error.h"

namespace korrivan::las {

using base::FileOp;
using base::RunError;

namespace {

// The number of CR bytes in [from, to): the lines a block search passes over.
// Eight bytes at a time, since the search itself runs at memchr speed.
std::int64_t countCrs(const char* from, const char* to) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kCr = kOnes * '\r', kLow7 = kOnes * 0x7f;
  std::int64_t n = 0;
  for (; to - from >= 8; from += 8) {
    std::uint64_t w;
    std::memcpy(&w, from, 8);
    const std::uint64_t x = w ^ kCr;  // a zero byte where the byte is CR
    const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
    n += static_cast<std::int64_t>(((zero >> 7) * kOnes) >> 56);  // one bit per CR: summed by a multiply
  }
  for (; from < to; ++from) n += *from == '\r';
  return n;
}

}  // namespace

LineSource::~LineSource() { close(); }

void LineSource::open(const std::string& path) {
  close();
  // Non-blocking, so that a pipe put in the file's place cannot stall the
  // run; only regular files are read.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw RunError::fromErrno(errno, FileOp::Read);
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    close();
    throw RunError(base::err::PathFileAccess);
  }
  seek(0);
}

void LineSource::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::int64_t LineSource::fileSize() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) throw RunError(base::err::BadFileMode);
  return static_cast<std::int64_t>(st.st_size);
}

void LineSource::seek(std::int64_t offset, std::int64_t lineNumber) {
  base_ = offset < 0 ? 0 : offset;
  pos_ = end_ = 0;
  // A walk over a short section reads little: reads start small after a
  // seek and double up to the block size.
  readSize_ = std::min(kBlockSize, kFirstRead);
  atEof_ = false;
  lineKnown_ = lineNumber > 0;
  lineNumber_ = lineKnown_ ? lineNumber - 1 : 0;
}

bool LineSource::fill() {
  if (atEof_) return false;
  base_ += static_cast<std::int64_t>(end_);
  pos_ = end_ = 0;
  if (buffer_.size() < readSize_) buffer_.resize(readSize_);
  const std::size_t want = readSize_;
  readSize_ = std::min(kBlockSize, 2 * readSize_);
  for (;;) {
    ssize_t n = ::pread(fd_, buffer_.data(), want, base_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RunError::fromErrno(errno, FileOp::Read);
    end_ = static_cast<std::size_t>(n);
    if (n == 0) atEof_ = true;
    return n > 0;
  }
}

void LineSource::keep(const char* data, std::size_t n) {
  std::size_t room = carry_.size() < kMaxKeptLine ? kMaxKeptLine - carry_.size() : 0;
  carry_.append(data, n < room ? n : room);
  lineLength_ += static_cast<std::int64_t>(n);
}

bool LineSource::next(std::string_view& line) {
  if (fd_ < 0) throw RunError(base::err::BadFileMode);
  if (pos_ == end_ && !fill()) return false;
  ++lineNumber_;
  lineStart_ = position();
  lineLength_ = 0;
  noLineEnd_ = false;
  carry_.clear();
  bool inCarry = false;
  for (;;) {
    const char* start = buffer_.data() + pos_;
    std::size_t avail = end_ - pos_;
    const void* hit = std::memchr(start, '\r', avail);
    if (hit) {
      std::size_t n = static_cast<std::size_t>(static_cast<const char*>(hit) - start);
      pos_ += n + 1;
      bool crIsLastByte = pos_ == end_;
      if (inCarry || crIsLastByte || n > kMaxKeptLine) {
        keep(start, n);
        inCarry = true;
      } else {
        lineLength_ = static_cast<std::int64_t>(n);
        line = std::string_view(start, n);
      }
      // A LF right after the CR belongs to the same line end.
      if (pos_ == end_) fill();
      if (pos_ < end_ && buffer_[pos_] == '\n') ++pos_;
      if (inCarry) line = carry_;
      return true;
    }
    keep(start, avail);
    inCarry = true;
    pos_ = end_;
    if (!fill()) {
      noLineEnd_ = true;
      line = carry_;
      return true;
    }
  }
}

bool LineSource::nextContaining(char c, std::string_view& line) {
  if (fd_ < 0) throw RunError(base::err::BadFileMode);
  for (;;) {
    if (pos_ == end_ && !fill()) return false;
    const char* start = buffer_.data() + pos_;
    const std::size_t avail = end_ - pos_;
    const void* hit = std::memchr(start, c, avail);
    if (!hit) {
      // No such line ends in this block: keep only the unfinished last line.
      const char* lastCr = static_cast<const char*>(::memrchr(start, '\r', avail));
      // A CR as the block's last byte may be followed by a LF in the next
      // block: leave that line to next() and skip only up to the CR before it.
      if (lastCr && lastCr + 1 == start + avail)
        lastCr = avail > 1 ? static_cast<const char*>(::memrchr(start, '\r', avail - 1)) : nullptr;
      if (lastCr && lineKnown_) lineNumber_ += countCrs(start, lastCr + 1);
      if (!lastCr) {
        // The block holds no complete line to pass over: read one line the
        // ordinary way.
        if (!next(line)) return false;
        if (line.find(c) != std::string_view::npos) return true;
        continue;
      }
      pos_ = static_cast<std::size_t>(lastCr + 1 - buffer_.data());
      if (buffer_[pos_] == '\n') ++pos_;
      continue;
    }
    // Back up to the start of the line that holds the hit.
    const std::size_t hitAt = static_cast<std::size_t>(static_cast<const char*>(hit) - start);
    const char* cr = hitAt == 0 ? nullptr : static_cast<const char*>(::memrchr(start, '\r', hitAt));
    if (cr) {
      if (lineKnown_) lineNumber_ += countCrs(start, cr + 1);
      pos_ = static_cast<std::size_t>(cr + 1 - buffer_.data());
      if (pos_ < end_ && buffer_[pos_] == '\n') ++pos_;
    }
    return next(line);
  }
}

std::int64_t LineSource::countLineEnds(std::int64_t from, std::int64_t to) {
  std::int64_t n = 0;
  std::string block;
  while (from < to) {
    block = readAt(from, static_cast<std::size_t>(std::min<std::int64_t>(to - from, kBlockSize)));
    if (block.empty()) break;
    n += countCrs(block.data(), block.data() + block.size());
    from += static_cast<std::int64_t>(block.size());
  }
  return n;
}

std::string LineSource::readAt(std::int64_t offset, std::size_t count) {
  std::string out(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    ssize_t n = ::pread(fd_, out.data() + got, count - got, offset + static_cast<std::int64_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RunError::fromErrno(errno, FileOp::Read);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  out.resize(got);
  return out;
}

}  // namespace korrivan::las
