#pragma once
// What the check families need to know about the data sections, gathered in
// one streaming pass over them: the kinds of lines (blank, comment, tab,
// data), the field counts of the lines, the first data line, where the
// column count first changes, which data lines hold the delimiter, the
// increments of the index channel (STEP) and the field counts of depth
// records. A section larger than ScanSettings::parallelFrom is split at line
// boundaries and its parts are scanned on several threads; their facts are
// merged in file order and equal those one thread gathers.
//
// Lines are counted the way LineSource reads them: a line ends at CR, CR LF
// is one line end, a lone LF stays in the line, and a line's text is cut at
// LineSource::kMaxKeptLine bytes (its length is its full length).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "las/section_cursor.h"

namespace korrivan::las {

class SectionDirectory;
struct SectionRow;

// How the pass is spread over threads. Tests use small values to put the
// split points where they want them.
struct ScanSettings {
  // More threads than this add nothing but memory.
  static constexpr int kMaxThreads = 8;

  bool gather = true;                      // false: every family walks the sections itself
  int threads = 0;                         // 0: one per processor the process may run on
  std::int64_t parallelFrom = 64ll << 20;  // sections larger than this are scanned by several threads
  std::int64_t partBytes = 16ll << 20;     // sections are scanned in parts of this size
  std::int64_t pollBytes = 1ll << 20;      // bytes scanned between two polls

  // Threads for a section of that many bytes (1 .. kMaxThreads).
  int threadsFor(std::int64_t sectionBytes) const;
};

// A line of a section that the facts point at.
struct LineRef {
  std::int64_t offset = -1;  // 0-based offset of its first byte; -1: there is no such line
  std::int64_t number = 0;   // its 1-based line number in the file
  std::int64_t index = 0;    // its 0-based position among the lines of the section
  bool found() const { return offset >= 0; }
};

// A blank, comment or tab line of a section, for the line syntax findings.
struct NotableLine {
  enum Kind : std::uint8_t { Comment = 1, Blank = 2, Tab = 4 };
  std::int64_t number = 0;
  std::uint8_t kinds = 0;
  std::string text;  // the line, cut after the findings budget (a longer finding is never listed)
};

// ~ASCII lines longer than these break the WRAP YES and WRAP NO limits.
inline constexpr std::int64_t kLongLineLimits[2] = {78, 254};

// The increments between the index values of depth records: every
// `linesPerDepth`-th data line (blank and comment lines not counted) is a
// depth line; its index is the first item before the delimiter, rounded to
// 5 decimals (depthIndexValue).
struct StepFacts {
  int linesPerDepth = 1;
  // Without a change: the depth lines, the last one, and the increment there.
  std::int64_t depthLines = 0;
  LineRef lastDepth;
  bool haveIncrement = false;  // at least two depth lines
  float lastIncrement = 0;
  bool changed = false;  // an increment differed from the first one
  LineRef change;        // the depth line where it did
  double changeIndex = 0;
  float changeIncrement = 0;
};

// The field counts (runs of non-blank characters) of the section's records
// of `linesPerRecord` lines each, counted from the section's first line.
struct RecordFacts {
  int linesPerRecord = 1;
  bool haveFirst = false;            // the section holds a whole first record
  std::int64_t firstFields = 0;      // its field count
  std::int64_t firstDifferent = -1;  // index of the last line of the first record with another count
};

// The facts of one section, from the line after its title up to the next
// title line (a line whose text without leading blanks begins with "~") or
// the end of the file.
struct SectionFacts {
  std::int64_t start = 0;      // offset of the section's first line
  std::int64_t startLine = 0;  // its line number
  std::int64_t lines = 0;      // lines before the end
  bool endedAtTitle = false;
  LineRef end;  // the title line that ends the section, or the end of the file (index == lines)
  // Line starts (offset, index) to walk on from, in file order.
  std::vector<std::pair<std::int64_t, std::int64_t>> checkpoints;

  // Blank, comment and tab lines in file order, as long as their findings
  // fit into the budget of DataScanPlan (the ones after cannot be listed).
  std::vector<NotableLine> notables;
  bool allNotablesKept = true;

  // Data lines: lines that are neither blank nor comments.
  std::int64_t dataLines = 0;
  LineRef firstData;
  bool firstDataHasDelimiter = false;
  LineRef lastDataWithoutDelimiter;  // the first data line included
  LineRef lastDataWithDelimiter;
  LineRef firstGap;  // the first blank or comment line after the first data line
  // Columns (countDataFields of the trimmed line) of the first data line, and
  // the first data line with another count.
  std::int64_t columns = 0;
  LineRef columnsDiffer;
  std::int64_t differentColumns = 0;

  std::optional<StepFacts> step;
  std::vector<RecordFacts> records;
  // The first line holding a double quote, a tilde, and the first longer
  // than each of kLongLineLimits.
  LineRef firstQuote, firstTilde;
  LineRef firstLongerThan[2];

  const RecordFacts* recordsOf(int linesPerRecord) const;
  // The offset of the section's line with that index (0 .. lines), found by
  // reading on from the nearest checkpoint before it.
  std::int64_t offsetOfLine(LineSource& source, std::int64_t index) const;
};

// What the pass gathers besides the facts every scan yields.
struct DataScanPlan {
  char delimiter = ' ';  // ' ', ',' or a tab
  // Keep blank, comment and (unless the delimiter is a tab) tab lines, while
  // the findings they make stay within `notableBudget` bytes, counting
  // `notableOverhead` bytes besides the line for each.
  bool notables = false;
  std::size_t notableBudget = 1u << 20;
  std::size_t notableOverhead = 0;
  // The columns and the delimiters of data lines (firstDataHasDelimiter,
  // lastDataWith(out)Delimiter, firstGap, columns, columnsDiffer).
  bool columnFacts = true;
  std::vector<int> recordSizes;   // record lengths in lines to count fields by
  std::int64_t stepSection = -1;  // start of the section whose STEP increments are gathered
  int stepLinesPerDepth = 1;
};

struct DataFacts {
  std::vector<SectionFacts> sections;
  int threads = 1;  // the threads the pass ran on
  // The facts of the section whose first line is at `start`, or nullptr.
  const SectionFacts* section(std::int64_t start) const;
};

// One pass over the data sections (rows of the directory, in file order).
// startHelpers() sets the helper threads to work at once (none for small
// data); finish() scans along on the calling thread until every section is
// done and returns the facts. Only the calling thread of finish() polls:
// after every ScanSettings::pollBytes scanned by all threads together; when
// its poll throws, the helpers stop after their current buffer and the
// exception passes on. Destroying an unfinished pass stops its helpers.
class DataPass {
public:
  DataPass(const SectionDirectory& directory, const std::vector<const SectionRow*>& sections, DataScanPlan plan,
           const ScanSettings& settings);
  ~DataPass();
  DataPass(const DataPass&) = delete;
  DataPass& operator=(const DataPass&) = delete;

  void startHelpers();
  // Throws RunError when the file cannot be read.
  DataFacts finish(const RunPoll& poll);

private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Scans the sections (rows of the directory) in file order. Calls `poll`
// from the calling thread only, after every ScanSettings::pollBytes scanned
// by all threads together; when it throws, the other threads stop and the
// exception passes on. Throws RunError when the file cannot be read.
DataFacts scanDataSections(const SectionDirectory& directory, const std::vector<const SectionRow*>& sections,
                           const DataScanPlan& plan, const ScanSettings& settings, const RunPoll& poll);

// The index value of a depth line: the leading number of its first item
// (the text before the first delimiter of the trimmed line), rounded half
// away from zero to 5 decimals; 0 when it does not begin with a number.
double depthIndexValue(std::string_view trimmedLine, char delimiter);

// The same value, read the way the pass reads it inside its buffer: the
// line (from its first non-blank character) ends at a CR, after which at
// least 32 more bytes can be read.
double bufferedIndexValue(const char* trimmedLine, std::size_t length, char delimiter);

// The facts of one file kept for one certification run: the families ask
// for them through the run's file view, which owns this.
struct DataFactsCache {
  std::string key;  // the file and the plan they were gathered for
  std::optional<DataFacts> facts;
  bool failed = false;  // the pass could not be made; the families walk the sections themselves
  // A pass begun on the spare cores before the first family asked, and the key it was begun for.
  std::unique_ptr<DataPass> running;
  std::string runningKey;
};

}  // namespace korrivan::las
