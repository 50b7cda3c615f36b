#pragma once
// The grammar of a LAS header line (parameter data line):
//   MNEM.UNIT  VALUE : DESCRIPTION {FORMAT} | ASSOCIATION
// where the format and association exist only in version 3.0 files. Here
// are the classification of a line, the extractors of its six parts, the
// mnemonic rule and the field splitter used throughout the program.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/limits.h"

namespace korrivan::las {

// Header lines are a few dozen characters long. The syntax checks examine
// lines up to this length and report a longer one as too long, so that no
// line of a file can make them copy megabytes per rule.
inline constexpr std::size_t kMaxHeaderLine = base::limits::kHeaderLine;

// Classification codes of a header line; callers switch on the numbers.
enum class LineKind : std::int16_t {
  ParameterLine = -1,
  Failed = 0,
  Comment = 1,
  SectionTitle = 2,
  Blank = 3,
  MissingMnemonic = 4,
  TabOnLine = 5,
  SpaceInMnemonic = 6,
  Undetermined = 7,
};

// The six parts of a header line, in column order.
struct LasLineParts {
  std::string mnemonic;
  std::string unit;
  std::string value;
  std::string description;
  std::string format;
  std::string association;
  // The format as written between the braces ("AF10.4;0.5;1.0"), kept
  // beside the reduced format code for the array channel checks.
  std::string formatAsWritten;
  // 1-based number of the line in the file; 0 when not known.
  std::int64_t line = 0;

  const std::string& field(int column) const;
  std::string& field(int column);
};

// Position helpers in the grammar's terms: 1-based, 0 meaning not found.
std::int64_t firstPos(std::string_view s, char c);
std::int64_t lastPos(std::string_view s, char c);

LineKind classifyLine(std::string_view line);

std::string getMnemonic(std::string_view line);
std::string getUnit(std::string_view line);
std::string getValue(std::string_view line);
std::string getDescription(std::string_view line);
std::string getFormat(std::string_view line);
// The trimmed text between the first "{" and the first "}" ("" when none).
std::string getFormatAsWritten(std::string_view line);
// The association text; `items` receives it split at the run's delimiter.
std::string getAssociation(std::string_view line, char delimiter, std::vector<std::string>* items = nullptr);

// The colon that ends the value (1-based, 0 when none), skipping colons inside
// a format such as {hh:mm:ss}; `bracePos` receives the last "{" when the line
// has a format, else 0.
std::int64_t findDescriptionColon(std::string_view line, std::int64_t* bracePos = nullptr);

// The mnemonic rule: versions 1.2/2.0 forbid space, period and colon;
// version 3.0 forbids more and allows a trailing array index "[n]".
bool isValidMnemonic(std::string_view mnemonic, float version);

// Digits only (spaces around and a leading "+" allowed); with a width, the
// text must have exactly that many characters.
bool isUnsignedInteger(std::string_view text, std::string_view width);

// Field splitting: with a space among the separators, runs of spaces are one
// separator and leading and trailing spaces are ignored; any other separator
// character splits at every occurrence. Separators inside a double-quoted
// stretch do not split. Fields are trimmed.
std::size_t countFields(std::string_view text, std::string_view separators);
std::vector<std::string> splitFields(std::string_view text, std::string_view separators);

}  // namespace korrivan::las
