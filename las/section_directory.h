#pragma once
// The directory of a LAS file's sections: one row per title line ("~..."),
// in file order, with the section's name, association, the byte offset of
// its body, its [n] index and its kind. The directory also names the data,
// curve and parameter sections a certification works with.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/limits.h"

namespace korrivan::las {

class LineSource;

enum class SectionKind : std::int16_t { Header = 0, Data = 1, Definition = 2, Parameter = 3, Other = 4 };

// A title's name and association are kept up to this many characters (real
// titles are a few dozen long), so that a file of long titles cannot make the
// directory, or the reports that quote its names, grow with the file.
inline constexpr std::size_t kMaxNameLength = base::limits::kNameLength;

struct SectionRow {
  std::string name;             // first word after "~", as written (cut to kMaxNameLength)
  std::string association;      // first word after "|"; " " for a bare "|"; "" without "|" (cut the same way)
  std::int64_t nameLength = 0;  // length of the name as written, beyond a cut
  std::int64_t start = 0;       // 0-based offset of the first byte after the title line's line end
  std::int64_t titleStart = 0;  // 0-based offset of the title line itself
  std::int64_t titleLine = 0;   // 1-based line number of the title line
  std::int64_t startLine = 0;   // 1-based line number of the first line after it
  int index = -1;               // n of a trailing "[n]", or -1
  std::string baseName;         // the name without its "[n]" ("" when the brackets are wrong)
  SectionKind kind = SectionKind::Other;
};

struct TitleParts {
  std::string name;
  std::string association;
  std::int64_t nameLength = 0;  // as written; name holds at most kMaxNameLength characters
};

// The name and association of a title line (empty name: not a title), each
// cut to kMaxNameLength characters.
TitleParts parseSectionTitle(std::string_view line);

struct SectionIndex {
  std::string baseName;  // empty when the brackets are arranged wrongly
  int index = -1;
};
SectionIndex splitSectionIndex(std::string_view name);

// Whether a section name stands for the standard section `longName`
// (Version, Well, Curve, Parameter, Other or ASCII). In versions 1.2 and 2.0
// the letter right after the tilde decides (~V, ~Vers and ~Version are all
// ~Version); in 3.0 the whole name does.
bool namesSection(std::string_view name, std::string_view longName, float version);

// The kind of a section name for a file of the given version.
SectionKind sectionKindOf(std::string_view name, float version);

// Whether sections of that kind hold parameter lines (MNEM.UNIT VALUE : DESCRIPTION).
inline bool holdsParameterLines(SectionKind kind) {
  return kind == SectionKind::Header || kind == SectionKind::Definition || kind == SectionKind::Parameter;
}

class SectionDirectory {
public:
  // A LAS file has a few dozen sections; a file with more title lines than
  // this is listed up to this many, so that checks over pairs of sections
  // stay quick whatever the file holds.
  static constexpr std::size_t kMaxSections = base::limits::kSections;

  // Scans the file's title lines; a file that cannot be read gives an empty
  // directory. `version` decides whether one-letter names count.
  void build(const std::string& fileName, float version);

  // Past the first data section title, a rest of the file longer than
  // `fromBytes` is searched for tildes by `threads` threads at once.
  void spreadSearch(int threads, std::int64_t fromBytes) {
    searchThreads_ = threads;
    spreadFrom_ = fromBytes;
  }

  // Remembers the file whose sections later lookups are about; the
  // directory is built on the first lookup.
  void setFile(const std::string& fileName, float version);

  // Builds the directory and names the main sections; false when the file
  // could not be read. A directory already built for the same, unchanged
  // file is kept.
  bool locateMainSections(const std::string& fileName, float version);

  // Offset of the first section of that name (built on demand for the
  // remembered file); nullopt when there is none. `storedName` gets the
  // name as written in the file.
  std::optional<std::int64_t> sectionStart(std::string_view name, std::string* storedName = nullptr);
  // The same in a directory already built.
  std::optional<std::int64_t> sectionStart(std::string_view name, std::string* storedName = nullptr) const;

  // Row of the first section of that name, or nullptr.
  const SectionRow* find(std::string_view name) const;

  // Row of the first section that stands for the standard section
  // `longName` in the directory's version (namesSection), or nullptr.
  const SectionRow* findStandard(std::string_view longName) const;

  const std::vector<SectionRow>& rows() const { return rows_; }
  const std::vector<std::string>& groups() const { return groups_; }
  // A hash of the sections' starts, to tell one layout of the file from another.
  std::uint64_t startsHash() const { return startsHash_; }
  const std::string& fileName() const { return fileName_; }
  std::int64_t fileSize() const { return fileSize_; }
  bool empty() const { return rows_.empty(); }

  // The lines holding a tilde, as the scan met them (title lines and any
  // other), so that the checks of tilde lines need not read the file again:
  // their starts, at most kMaxTildeLines of them. tildeLinesEnd() is where
  // the list stops covering the file, -1 when it covers all of it. Both
  // describe the file only while describesFile() says so.
  static constexpr std::size_t kMaxTildeLines = 1u << 16;
  const std::vector<std::int64_t>& tildeLineStarts() const { return tildeLineStarts_; }
  std::int64_t tildeLinesEnd() const { return tildeLinesEnd_; }
  // Whether the directory was built from that file as it is now.
  bool describesFile(const std::string& fileName) const;

  std::string dataSectionName;
  std::string curveSectionName;
  std::string parameterSectionName;
  bool mainSectionsFound = false;

private:
  bool scan(const std::string& fileName, float version);
  // Takes a line holding a tilde that the scan met; false once the
  // directory is full.
  bool takeTildeLine(std::string_view line, const LineSource& src, float version);
  void numberTitleLines(LineSource& src);
  bool isFresh(const std::string& fileName, float version) const;

  std::vector<SectionRow> rows_;
  std::vector<std::int64_t> tildeLineStarts_;
  std::int64_t tildeLinesEnd_ = 0;
  std::uint64_t startsHash_ = 0;
  std::vector<std::string> groups_;
  std::unordered_map<std::string, std::size_t> byName_;  // upper-case name -> its first row
  std::string fileName_;
  float version_ = -999.25f;
  std::int64_t fileSize_ = 0;
  std::int64_t builtMtimeNs_ = -1;
  bool built_ = false;
  int searchThreads_ = 1;
  std::int64_t spreadFrom_ = 64ll << 20;
};

// Header sections are small; a section body is read at most this far.
inline constexpr std::int64_t kMaxSectionText = base::limits::kSectionText;

// The raw text of a section's body: from its start up to the line end
// before the next section's title (to the end of the file for the last
// section). Empty when the section is absent or cannot be read. A body
// longer than kMaxSectionText is read up to the last line end within that
// many bytes, and `cut` (when given) is set.
std::string readSectionText(const SectionDirectory& directory, std::string_view sectionName, bool* cut = nullptr);

}  // namespace korrivan::las
