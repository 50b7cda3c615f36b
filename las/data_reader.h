#pragma once
// Streaming readers of a data section: wrap detection from the first lines,
// the curve definitions, the first data line and the column-count walk over
// the whole section. Each opens the file, seeks to the section body through
// the section directory, reads line by line and closes the file.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "las/section_cursor.h"

namespace korrivan::las {

class SectionDirectory;
struct SectionFacts;

// What the readers need of the run: the directory (which knows the file),
// the delimiter, and a poll that lets window events run and answers whether
// the user asked to cancel.
struct DataReadContext {
  const SectionDirectory& directory;
  char delimiter = ' ';
  RunPoll poll;  // lets window events run; throws when the user confirmed a cancel
};

// Number of fields of one data line: plain splitting at every delimiter when
// the line holds no double quote and the delimiter is not a space; otherwise
// the field splitter, where runs of spaces are one separator.
std::size_t countDataFields(std::string_view line, char delimiter);
std::vector<std::string> splitDataFields(std::string_view line, char delimiter);

enum class WrapResult : int { NotFound = 0, Unwrapped = 1, Wrapped = 2, Undetermined = 3 };

struct WrapStructure {
  WrapResult result = WrapResult::NotFound;
  int linesPerDepth = 0;
  std::int64_t recordLength = 0;
  std::int64_t valuesPerRecord = 0;
};

// Curve table: columns 0..3 mnemonic, unit, value, description; rows from 0.
using CurveRow = std::array<std::string, 7>;
using CurveTable = std::vector<CurveRow>;

bool readCurveDefinitions(CurveTable& table, const SectionDirectory& directory, std::string_view curveSectionName);

// `channelHint` 0 takes the count from the curve section into `curves`.
WrapStructure detectWrapStructure(const DataReadContext& ctx, int channelHint, CurveTable& curves);

struct FirstDataLine {
  int result = 0;            // -1 found, 1 the section holds none, 0 absent or unreadable
  std::int64_t columns = 0;  // set only when the line holds the delimiter
  bool columnsSet = false;
  std::string line;
  std::int64_t lineNumber = 0;
};
// With the section's facts from the data pass, the walk begins at the first
// data line they found.
FirstDataLine readFirstDataLine(const DataReadContext& ctx, std::string_view sectionName,
                                const SectionFacts* facts = nullptr);

struct ColumnConsistency {
  std::int64_t result = 0;  // common count; -count of the first differing line; -1 no data; 0 absent
  std::string offendingLine;
  std::int64_t lineNumber = 0;  // of the offending line
};
// With the section's facts from the data pass, the result comes from them.
ColumnConsistency checkColumnCountConsistency(const DataReadContext& ctx, std::string_view sectionName,
                                              const SectionFacts* facts = nullptr);

}  // namespace korrivan::las
