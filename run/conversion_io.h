#pragma once
// The streaming parts of the conversions: lines written through a file
// replacement in large blocks, and the depth records of a data section read
// in one pass, the lines of a wrapped record joined into one.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/safe_file.h"

namespace korrivan::run {

// Lines into a file replacement, each ended with CR LF, written in blocks.
class LineWriter {
public:
  static constexpr std::size_t kBlock = 1 << 20;

  explicit LineWriter(base::FileReplacement& out) : out_(out) { buffer_.reserve(kBlock + 4096); }
  void line(std::string_view text);
  // Writes what is buffered; before a commit.
  void flush();
  std::int64_t lines() const { return lines_; }

private:
  base::FileReplacement& out_;
  std::string buffer_;
  std::int64_t lines_ = 0;
};

// One depth record built from its lines the way the unwrapping lays it out:
// the depth line padded with blanks to 13 characters; a line that begins
// with a blank placed right after the text so far, any other line one blank
// after it. The record's text has no leading or trailing blanks.
class RecordJoiner {
public:
  static constexpr std::size_t kDepthWidth = 13;

  explicit RecordJoiner(int linesPerDepth) : linesPerDepth_(linesPerDepth < 1 ? 1 : linesPerDepth) {}

  // Adds the next counted line; true when it completes the record.
  bool add(std::string_view line);
  // True while lines of an unfinished record are held.
  bool holdsLines() const { return count_ > 0; }
  // The record's text; valid until the next add(). Starts the next record.
  std::string_view take();

private:
  int linesPerDepth_;
  int count_ = 0;
  std::string buffer_;
  std::string taken_;
};

// What a walk over a data section reports, in file order.
class DataEvents {
public:
  virtual ~DataEvents() = default;
  // A blank or comment line before the first record.
  virtual void leadingLine(std::string_view line) = 0;
  // A blank or comment line after the first record began; it is no part of any record.
  virtual void droppedLine(std::string_view line) = 0;
  // One depth record (also an unfinished one at the end of the section).
  virtual void record(std::string_view text) = 0;
};

// Called between records with the offset reached; may throw to end the walk.
using WalkPoll = std::function<void(std::int64_t offset)>;

struct DataWalk {
  std::int64_t records = 0;
  std::int64_t end = -1;  // offset of the title line that ended the section; -1: the file ended
};

// Reads the data section from `start` (the first byte after its title line)
// to the next title line or the end of the file, joining every
// `linesPerDepth` counted lines into a record. Lines that are blank or begin
// with "#" after their leading blanks are not counted. Every sink gets every
// event. Throws RunError when the file cannot be read or holds a line too
// long to be kept whole.
DataWalk walkDataSection(const std::string& fileName, std::int64_t start, int linesPerDepth,
                         const std::vector<DataEvents*>& sinks, const WalkPoll& poll);

// The poll interval of the walk, in bytes read.
inline constexpr std::int64_t kWalkPollBytes = 64 << 10;

// Calls `onField` with each field of a record read as the version 1.2/2.0
// data reader reads it: runs of blanks separate fields, except inside a
// double-quoted stretch. Returns the number of fields.
template <typename OnField>
std::size_t forEachBlankSeparatedField(std::string_view text, OnField onField) {
  std::size_t i = 0, n = 0;
  const std::size_t size = text.size();
  while (i < size && text[i] == ' ') ++i;
  while (i < size) {
    const std::size_t start = i;
    bool quoted = false;
    while (i < size && (quoted || text[i] != ' ')) {
      if (text[i] == '"') quoted = !quoted;
      ++i;
    }
    std::size_t stop = i;
    while (stop > start && text[stop - 1] == ' ') --stop;  // a quoted stretch may end in blanks
    onField(text.substr(start, stop - start));
    ++n;
    while (i < size && text[i] == ' ') ++i;
  }
  return n;
}

}  // namespace korrivan::run
