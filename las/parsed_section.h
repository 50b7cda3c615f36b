#pragma once
// One header section read into a table of line parts: row 0 holds the list
// of the section's valid mnemonics (" VERS WRAP DLM "), rows 1..n the
// parameter lines in file order.
#include <string>
#include <string_view>
#include <vector>

#include "las/line_parser.h"

namespace korrivan::las {

class SectionDirectory;

struct ParsedSection {
  std::vector<LasLineParts> rows{1};

  std::size_t lineCount() const { return rows.size() - 1; }
  const std::string& validMnemonics() const { return rows[0].mnemonic; }
  void reset() { rows.assign(1, LasLineParts{}); }
};

// How header lines of the current run are read.
struct LineRules {
  char delimiter = ' ';      // the run's delimiter: ' ', ',' or '\t'
  float version = -999.25f;  // the detected version
};

enum class ParseStatus { Read = -1, EmptyOrAbsent = 1 };

// Fills the table from the named section. A section whose lines end in LF
// alone reads as one line.
ParseStatus parseSection(const SectionDirectory& directory, ParsedSection& table, std::string_view sectionName,
                         const LineRules& rules);

}  // namespace korrivan::las
