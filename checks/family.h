#pragma once
// The contract between a driver and a check family: the driver presets the
// group's slots (" " to decide, "" to leave passed), the family reads the
// file through its view, sets each slot it decides to "" (passed) or its
// error text, hands on what later families need, and returns whether the
// slots are to be recorded. A family never writes the file.
#include <string>
#include <string_view>
#include <unordered_map>

#include "certify/check_table.h"
#include "certify/outcome.h"
#include "checks/certify_run.h"

namespace korrivan::checks {

using certify::FamilyResult;
using certify::OutcomeSlot;
using certify::OutcomeSlots;

using Family = FamilyResult (*)(const FileView&, Handover&, OutcomeSlots&);

// Runs a family; a run-time error inside it becomes the internal-error
// result, with the error kept in handover.familyError. A confirmed cancel
// (RunCancelled) passes through to the driver.
FamilyResult invokeFamily(Family family, const FileView& file, Handover& handover, OutcomeSlots& slots);

// -1 when every slot is "", else 1: the usual end of a family.
FamilyResult resultFromSlots(const OutcomeSlots& slots);

inline constexpr std::string_view kCrLf = "\r\n";

// A header section that was read into its table only in part (see
// las::kMaxSectionRows), or the section where all of them together went
// beyond what checks of all header sections hold (las::kMaxHeaderRows).
struct CutSection {
  std::string name;
  std::int64_t line = 0;     // the first line not read (0 when not known)
  bool allTogether = false;  // the sections together were too large
};
// Version 3.0: every header, definition and parameter section of the file;
// versions 1.2/2.0: the four sections the driver parsed.
std::vector<CutSection> cutHeaderSections(const FileView& file);
// The line syntax families' finding about such a section.
std::string cutSectionMessage(const CutSection& cut);
// The first line of the named section that the line syntax families no
// longer examine (the line where its table was cut), 0 for no such line.
std::int64_t examinedUpTo(const std::vector<CutSection>& cuts, std::string_view sectionName);

// The value of the first row whose mnemonic matches, " " when none does.
std::string lookupParamValue(const las::ParsedSection& section, std::string_view mnemonic);

// " " for SPACE (and anything unknown), "," for COMMA, tab for TAB.
char delimiterFromDlm(std::string_view dlm);

// Parsed sections of the file kept for one family call, so that many data
// sections naming the same definition section parse it once. The tables
// kept hold at most las::kMaxHeaderText bytes of sections in all (the line
// syntax check fails a file whose header sections are larger); past that the
// tables kept are dropped, and a family call parses at most kMaxParsedText
// bytes in all: later lookups give an empty table marked cut.
class ParsedSections {
public:
  static constexpr std::int64_t kMaxParsedText = 4 * las::kMaxHeaderText;

  explicit ParsedSections(const FileView& file) : file_(file) {}
  // The table of the named section; it stays valid until the next call.
  const las::ParsedSection& get(const std::string& name);

private:
  const FileView& file_;
  std::unordered_map<std::string, las::ParsedSection> byName_;  // upper-case names
  std::int64_t keptBytes_ = 0;
  std::int64_t parsedBytes_ = 0;
  las::ParsedSection notRead_;
};

// Direct lookup of one header parameter in the file, starting at the named
// section (or the top of the file) and running on into later sections until
// a line beginning "~A".
struct HeaderValue {
  std::string value;
  std::string unit;
  bool notFound = false;  // the search reached "~A"
};
HeaderValue readHeaderValue(const las::SectionDirectory& directory, std::string_view mnemonic,
                            std::string_view sectionName, float version);

// Removes every leading and then every trailing occurrence of `c`.
std::string stripChar(std::string_view text, char c);

// First and last index of the data section (first rounded to 5 decimals,
// last to 4); result -1 read, 2 the section starts at the end of the file
// (there are no data lines), 0 the data could not be read.
// `haveLast` tells whether a last data line was found; `lastText` is its
// index as written.
struct IndexBounds {
  int result = 0;
  double first = 0, last = 0;
  std::string firstText;
  std::int64_t firstLine = 0;  // its line number
  bool haveLast = false;
  std::string lastText;
};
IndexBounds readIndexBounds(const FileView& file, const std::string& wrapValue);

// The increment between depth records: code -1 constant to the end, 3 it
// changed (at `location`), 0 no data.
struct StepScan {
  int code = 0;
  float increment = 0;
  std::string location;
  std::int64_t line = 0;  // the line where the increment changed, and its text
  std::string lineText;
};
StepScan scanStepIncrements(const FileView& file, int linesPerDepth);

// A number with exactly that many decimals, rounded half away from zero.
std::string fixedDecimals(double value, int decimals);

// The 6c text for a STOP against the last index ("" when they agree).
std::string stopMismatchText(double stop, double lastIndex);

bool isLetter(std::string_view text);

// Families of the groups.
FamilyResult checkVersionSection(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkSectionTitles(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkTildeLinesV3(const FileView& file, Handover& handover,
                               OutcomeSlots& slots);  // decides slot 7 of group 1
FamilyResult checkLineSyntax3(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkLineSyntax2(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkWellSectionV3(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkWellSectionV2(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkIndexRange(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkAsciiSection(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkColumnData(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkArrayChannels(const FileView& file, Handover& handover, OutcomeSlots& slots);
FamilyResult checkAssociations(const FileView& file, Handover& handover, OutcomeSlots& slots);

// The items of a first data line: a comma or tab line split at its
// delimiter, a space-delimited line at its blanks, each item keeping the
// blanks in front of it (the space-delimited line is trimmed afterwards).
std::vector<std::string> firstLineItems(std::string& line, char delimiter);

// The [n] of an array member's mnemonic (-1 when none) and its base name.
int arrayIndexOf(std::string_view mnemonic);
std::string arrayBaseName(std::string_view mnemonic);

// The first row of a combined header table with that mnemonic, -1 when none.
int findMnemonicRow(const std::vector<las::LasLineParts>& table, std::string_view mnemonic);

// The raw tilde-line scans: findings text, or "" when none.
struct TildeScan {
  int result = -1;  // -1 nothing found, 1 findings, 0 run-time error
  OutcomeSlot text;
};
// With a directory built from the file, the tilde lines it met are not
// searched for again.
TildeScan scanTildeLinesV3(const std::string& fileName, const las::SectionDirectory* directory = nullptr);
TildeScan scanTildeLinesV2(const std::string& fileName, const las::SectionDirectory* directory = nullptr);

}  // namespace korrivan::checks
