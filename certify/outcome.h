#pragma once
// Outcomes of checks, check families and runs. The check table stores the
// outcome of a check as its cell text: "" passed, " " not performed,
// anything else the error text; OutcomeSlot builds that text together with
// the findings it stands for, each with the line of the file it is about.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrivan::certify {

enum class Outcome { Passed, NotPerformed, Failed };

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
// Text appended to a slot is bounded: a check that finds a defect on every
// line of a huge file lists findings up to kMaxText bytes, then one line
// saying that further findings are not listed.
class OutcomeSlot {
public:
  static constexpr std::size_t kMaxText = 1u << 20;
  static constexpr std::size_t kMaxFindings = 10000;
  // A line kept as a finding's evidence is cut to this length.
  static constexpr std::size_t kMaxLineText = 4096;

  OutcomeSlot() = default;
  OutcomeSlot(std::string text) : text_(std::move(text)) {}  // NOLINT: a slot is set from its text
  OutcomeSlot(const char* text) : text_(text) {}             // NOLINT

  // Replaces the text; findings recorded before are dropped.
  OutcomeSlot& operator=(std::string text);
  OutcomeSlot& operator=(const char* text) { return *this = std::string(text); }
  // Appends an entry (an entry that begins or ends with CR LF) to the text.
  OutcomeSlot& operator+=(std::string_view entry);

  // Appends an entry and records the finding it stands for.
  void append(std::string_view entry, Finding finding);
  // The same for a finding about one line of the file.
  void append(std::string_view entry, std::string_view message, std::int64_t line, std::string_view lineText);

  const std::string& text() const { return text_; }
  operator const std::string&() const { return text_; }  // NOLINT
  bool empty() const { return text_.empty(); }
  void clear() { *this = std::string(); }
  Outcome outcome() const { return outcomeOfCell(text_); }

  // The findings recorded with their entries; when the text was written
  // without them, one finding per CR LF-separated piece of the text.
  std::vector<Finding> findings() const;

private:
  std::string text_;
  std::vector<Finding> findings_;
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
