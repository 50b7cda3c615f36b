#pragma once
// The content-specification file: plain UTF-8 text a person can read, edit
// and diff. The first line names the format and its version; then group
// lines, rows and comments:
//
//   Korrivan content specification 1
//   # SECTION | MNEM | Options | UNIT | Options | VALUE | Options | FORMAT | Options | DESC | Options | ASSOC | Options
//   group Log | ~Par ~Def ~Data
//   ~Well | STRT | Exact | M | Exact |  | Must be filled/Use Format | Floating Point | F | START DEPTH | Filled |  |
//   Optional ~Log_Definition | DEPT | Exact | M | Exact |  | Optionally Fill/Any Format |  |  | DEPTH | Optional |  |
//   Optional
//
// A row is its section and the twelve cells of its grid row, separated by
// "|" (which no cell holds); cells are trimmed of spaces. A group line
// names a user-defined section group and the tabs its data set uses.
// Comment lines begin with "#"; blank lines are passed over.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compliance/content_spec.h"

namespace korrivan::compliance {

inline constexpr std::string_view kSpecFileTitle = "Korrivan content specification";
inline constexpr int kSpecFileFormat = 1;
inline constexpr std::string_view kSpecFileExtension = "def";
// A content specification holds a few thousand rows at most; a larger file is not one.
inline constexpr std::int64_t kMaxSpecFileBytes = 16 << 20;

struct ContentSpecError {
  std::int64_t line = 0;  // 1-based; 0 for the file as a whole
  std::string message;

  // "line 7: ..." (or the message alone for the file as a whole).
  std::string text() const;
};

struct ContentSpecReading {
  ContentSpec contentSpec;
  std::vector<ContentSpecError> errors;  // one per malformed line, in line order

  bool ok() const { return errors.empty(); }
};

// Reads a content specification from its text; every malformed line gives one error
// and the rows of the others are still read.
ContentSpecReading parseContentSpec(std::string_view text);

// Reads a content specification file; a file that cannot be read gives one error
// with the system's reason.
ContentSpecReading readContentSpecFile(const std::string& fileName);

// The text of a content specification: the title line, a comment naming the
// fields, the group lines, then the rows section by section.
std::string writeContentSpec(const ContentSpec& contentSpec);

// Replaces the file with the content specification (temporary file beside it,
// synced, renamed). Throws base::RunError; the old file is then untouched.
void saveContentSpecFile(const std::string& fileName, const ContentSpec& contentSpec);

}  // namespace korrivan::compliance
