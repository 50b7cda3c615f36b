#pragma once
// The one line reader of the program. It reads a file from any 64-bit byte
// offset in large blocks and hands out lines without allocating per line.
// A line ends at CR; CR LF counts as one line end; a lone LF stays in the
// line. A line longer than kMaxKeptLine bytes is handed out cut to that
// length, with its full length and a truncation flag, so that memory stays
// bounded whatever the file holds.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrivan::las {

// Block size and line cap. The fuzzing build sets both small, so that
// block edges and cut lines are met by small inputs.
#ifndef KORRIVAN_LINE_BLOCK_SIZE
#define KORRIVAN_LINE_BLOCK_SIZE (1u << 20)
#endif
#ifndef KORRIVAN_MAX_KEPT_LINE
#define KORRIVAN_MAX_KEPT_LINE (1u << 20)
#endif

class LineSource {
public:
  static constexpr std::size_t kBlockSize = KORRIVAN_LINE_BLOCK_SIZE;
  static constexpr std::size_t kMaxKeptLine = KORRIVAN_MAX_KEPT_LINE;

  LineSource() = default;
  explicit LineSource(const std::string& path) { open(path); }
  ~LineSource();
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  // Opens the file for reading at its start; line numbers are counted from
  // there only after seek(0, 1). Throws RunError when it cannot be opened.
  void open(const std::string& path);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  // Size of the open file in bytes.
  std::int64_t fileSize() const;

  // Continues reading at a 0-based byte offset. `lineNumber` is the 1-based
  // number of the line that begins there, when the caller knows it (0: not
  // known; lineNumber() then stays 0).
  void seek(std::int64_t offset, std::int64_t lineNumber = 0);

  // The next line without its line end; false at the end of the file.
  // The view stays valid until the next call. Throws RunError on read errors.
  bool next(std::string_view& line);

  // Like next(), but passes over every line that does not hold `c`: a
  // search of whole blocks, for scans that care about a few lines only.
  bool nextContaining(char c, std::string_view& line);

  // 1-based number of the line last returned, counted from the offset of the
  // last seek; 0 when that offset's line number was not given.
  std::int64_t lineNumber() const { return lineKnown_ ? lineNumber_ : 0; }

  // 0-based offset of the first byte of the line last returned.
  std::int64_t lineStart() const { return lineStart_; }
  // 0-based offset just past the line end of the line last returned.
  std::int64_t position() const { return base_ + static_cast<std::int64_t>(pos_); }
  // Full length of the line last returned (beyond the kept part when cut).
  std::int64_t lineLength() const { return lineLength_; }
  bool truncated() const { return lineLength_ > static_cast<std::int64_t>(kMaxKeptLine); }
  // The line last returned ended at the end of the file without a line end.
  bool endedWithoutLineEnd() const { return noLineEnd_; }

  // The number of line ends (CR bytes) in the byte range [from, to).
  std::int64_t countLineEnds(std::int64_t from, std::int64_t to);

  // Reads `count` raw bytes from a 0-based offset (fewer at the end of the file).
  std::string readAt(std::int64_t offset, std::size_t count);

private:
  bool fill();
  void keep(const char* data, std::size_t n);

  static constexpr std::size_t kFirstRead = 4u << 10;

  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t readSize_ = 0;  // bytes the next fill reads
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::int64_t base_ = 0;  // file offset of buffer_[0]
  bool atEof_ = false;
  std::string carry_;
  std::int64_t lineStart_ = 0;
  std::int64_t lineLength_ = 0;
  bool noLineEnd_ = false;
  std::int64_t lineNumber_ = 0;
  bool lineKnown_ = false;
};

}  // namespace korrivan::las
