#pragma once
// One header section read into a table of line parts: row 0 holds the list
// of the section's valid mnemonics (" VERS WRAP DLM "), rows 1..n the
// parameter lines in file order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "las/line_parser.h"

namespace korrivan::las {

class SectionDirectory;

// Header sections hold a few dozen to a few hundred lines. A table is read
// from at most this many parameter lines of a section, and from at most
// kMaxSectionText bytes of it (section_directory.h), so that a file of
// endless header lines cannot fill the memory; such a section is "cut".
inline constexpr std::size_t kMaxSectionRows = base::limits::kSectionRows;
// Checks that hold the tables of all header sections of a file at once (the
// version 3.0 associations) take at most this many lines and bytes in all.
inline constexpr std::size_t kMaxHeaderRows = base::limits::kHeaderRows;
inline constexpr std::int64_t kMaxHeaderText = base::limits::kHeaderText;

struct ParsedSection {
  std::vector<LasLineParts> rows{1};
  // The section's name as the file writes it ("" when it was not found).
  std::string name;
  // The section held more than the table takes: its lines from cutAtLine on
  // were not read (cutAtLine is 0 when that line's number is not known).
  bool cut = false;
  std::int64_t cutAtLine = 0;
  // Bytes of the section's text that were read into the table.
  std::int64_t textBytes = 0;

  std::size_t lineCount() const { return rows.size() - 1; }
  const std::string& validMnemonics() const { return rows[0].mnemonic; }
  void reset() {
    rows.assign(1, LasLineParts{});
    name.clear();
    cut = false;
    cutAtLine = 0;
    textBytes = 0;
  }
};

// How header lines of the current run are read.
struct LineRules {
  char delimiter = ' ';      // the run's delimiter: ' ', ',' or '\t'
  float version = -999.25f;  // the detected version
};

enum class ParseStatus { Read = -1, EmptyOrAbsent = 1 };

// Fills the table from the named section. A section whose lines end in LF
// alone reads as one line. A section beyond kMaxSectionRows parameter lines
// or kMaxSectionText bytes is read up to that point and marked cut.
ParseStatus parseSection(const SectionDirectory& directory, ParsedSection& table, std::string_view sectionName,
                         const LineRules& rules);

}  // namespace korrivan::las
