#pragma once
// Outcomes of checks, check families and runs. The check table stores the
// outcome of a check as its cell text: "" passed, " " not performed,
// anything else the error text; OutcomeSlot builds that text together with
// the findings it stands for, each with the line of the file it is about.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/limits.h"

namespace korrivan::certify {

enum class Outcome { Passed, NotPerformed, Failed };

// The last line of a check's text that holds more findings than are listed.
inline constexpr std::string_view kFindingsNotListed = "(further findings of this check are not listed)";

// The outcome a cell text stands for.
Outcome outcomeOfCell(std::string_view cell);

// One defect found by a check: its message and, where the check knows it,
// the 1-based number and the text of the line of the LAS file it is about.
struct Finding {
  std::string message;
  std::int64_t line = 0;
  std::string lineText;
};

// The text of one check's outcome as a family writes it, and its findings.
// A slot holds at most kMaxText bytes of text: a check that finds a defect on
// every line of a huge file lists findings up to that size, then one line
// saying that further findings are not listed. Text only grows through the
// slot's appending routine (+= and append); a text assigned whole is cut the
// same way. The findings kept beside the text are bounded too.
class OutcomeSlot {
public:
  static constexpr std::size_t kMaxText = base::limits::kCheckText;
  static constexpr std::size_t kMaxFindings = base::limits::kCheckFindings;
  // Bytes of message and line text kept over all findings of a slot.
  static constexpr std::size_t kMaxFindingsBytes = base::limits::kFindingsBytes;
  // A line kept as a finding's evidence is cut to this length.
  static constexpr std::size_t kMaxLineText = 4096;

  OutcomeSlot() = default;
  OutcomeSlot(std::string text) { *this = std::move(text); }    // NOLINT: a slot is set from its text
  OutcomeSlot(const char* text) { *this = std::string(text); }  // NOLINT

  // Replaces the text; findings recorded before are dropped. A text beyond
  // kMaxText is cut after its last whole line within that size.
  OutcomeSlot& operator=(std::string text);
  OutcomeSlot& operator=(const char* text) { return *this = std::string(text); }
  // Appends an entry (an entry that begins or ends with CR LF) to the text.
  OutcomeSlot& operator+=(std::string_view entry);
  // The same for an entry made of pieces; it is put together only when it is
  // listed, so that a long line quoted in an unlisted entry costs nothing.
  OutcomeSlot& operator+=(std::initializer_list<std::string_view> pieces);

  // Appends an entry and records the finding it stands for.
  void append(std::string_view entry, Finding finding);
  // The same for a finding about one line of the file.
  void append(std::string_view entry, std::string_view message, std::int64_t line, std::string_view lineText);
  // The same for an entry that is a message made of pieces followed by
  // `after`; the message is put together only when the entry is listed.
  void append(std::initializer_list<std::string_view> message, std::string_view after, std::int64_t line,
              std::string_view lineText);

  // The text has reached its size: further entries are not listed, so a
  // check may stop building them.
  bool full() const { return full_; }

  const std::string& text() const { return text_; }
  operator const std::string&() const { return text_; }  // NOLINT
  bool empty() const { return text_.empty(); }
  void clear() { *this = std::string(); }
  Outcome outcome() const { return outcomeOfCell(text_); }

  // The findings recorded with their entries; when the text was written
  // without them, one finding per CR LF-separated piece of the text.
  std::vector<Finding> findings() const;

private:
  void markFull(bool entriesBeginWithLineEnd);
  // Whether an entry appended now is listed and its finding of that size kept.
  bool keepsFinding(std::string_view entry, std::size_t findingBytes) const;

  std::string text_;
  std::vector<Finding> findings_;
  std::size_t findingsBytes_ = 0;
  bool full_ = false;
};

bool operator==(const OutcomeSlot& slot, std::string_view text);

// What a check family returns to its driver.
enum class FamilyResult : int {
  AllPassed = -1,     // nothing to record: every check it decided passed
  Record = 1,         // record the slots
  InternalError = 0,  // stopped on an internal error; record the slots, then stop
};

// How a certification run ended.
enum class RunResult : int {
  Completed = -1,  // passed or failed
  Cancelled = 1,   // the user confirmed the cancel question
  Stopped = 0,     // stopped by an error
};

}  // namespace korrivan::certify
