#pragma once
// The lines of one section, from the line after its title up to the next
// title line (or to the end of the file), with their 1-based line numbers.
// Every walk over a section reads through one of these; on long sections it
// calls the run's poll every few MiB, so that window events run and a cancel
// request is seen while the walk goes on (the poll may throw to end the run).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "las/line_source.h"

namespace korrivan::las {

class SectionDirectory;
struct SectionRow;

// Lets window events run; throws when the user confirmed a cancel request.
using RunPoll = std::function<void()>;

struct CursorRules {
  bool skipBlank = false;     // lines that are empty after trimming spaces
  bool skipComments = false;  // lines whose trimmed text begins with "#"
  bool stopAtTitle = true;    // a line whose trimmed text begins with "~" ends the section
};

class SectionCursor {
public:
  // Bytes read between two polls.
  static constexpr std::int64_t kPollBytes = 4 << 20;

  // Opens the file at the section's first line; throws RunError when it cannot be read.
  SectionCursor(const std::string& fileName, const SectionRow& section, CursorRules rules, RunPoll poll = {});
  SectionCursor(const std::string& fileName, std::int64_t start, std::int64_t startLine, CursorRules rules,
                RunPoll poll = {});

  // The next line of the section; false at its end. The view stays valid
  // until the next call.
  bool next(std::string_view& line);

  // The line last returned: its number, its text trimmed of spaces, its
  // length in the file (beyond a cut), and its byte offset.
  std::int64_t lineNumber() const { return src_.lineNumber(); }
  std::int64_t lineLength() const { return src_.lineLength(); }
  bool truncated() const { return src_.truncated(); }
  std::int64_t lineStart() const { return src_.lineStart(); }
  // The title line that ended the section (empty when the file ended).
  bool endedAtTitle() const { return endedAtTitle_; }

  // For walks that read records of several lines again.
  LineSource& source() { return src_; }
  void setPollInterval(std::int64_t bytes) { pollBytes_ = bytes; }

private:
  void pollIfDue();

  LineSource src_;
  CursorRules rules_;
  RunPoll poll_;
  std::int64_t pollBytes_ = kPollBytes;
  std::int64_t nextPollAt_ = 0;
  bool endedAtTitle_ = false;
  bool done_ = false;
};

}  // namespace korrivan::las
