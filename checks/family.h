#pragma once
// The contract between a driver and a check family: the driver presets the
// group's slots (" " to decide, "" to leave passed), the family sets each
// slot it decides to "" (passed) or its error text, and returns whether the
// slots are to be recorded.
#include <string>
#include <string_view>
#include <unordered_map>

#include "certify/certify_run.h"
#include "certify/check_table.h"
#include "certify/outcome.h"

namespace korrivan::checks {

using certify::CertifyRun;
using certify::FamilyResult;
using certify::OutcomeSlots;

using Family = FamilyResult (*)(CertifyRun&, OutcomeSlots&);

// Runs a family; a run-time error inside it becomes the internal-error
// result, with the error kept in run.familyError.
FamilyResult invokeFamily(Family family, CertifyRun& run, OutcomeSlots& slots) noexcept;

// -1 when every slot is "", else 1: the usual end of a family.
FamilyResult resultFromSlots(const OutcomeSlots& slots);

inline constexpr std::string_view kCrLf = "\r\n";

// A check that finds a defect on every line of a large file would make its
// text as large as the file: past this size a check lists no more findings.
inline constexpr std::size_t kMaxFindingsText = 1u << 20;

// Appends one finding (an entry that begins or ends with CR LF), or once the
// text is full, a line saying that further findings are not listed.
void appendFinding(std::string& text, std::string_view entry);

// The value of the first row whose mnemonic matches, " " when none does.
std::string lookupParamValue(const las::ParsedSection& section, std::string_view mnemonic);

// " " for SPACE (and anything unknown), "," for COMMA, tab for TAB.
char delimiterFromDlm(std::string_view dlm);

// Parsed sections of the file kept for one family call, so that many data
// sections naming the same definition section parse it once.
class ParsedSections {
public:
  explicit ParsedSections(CertifyRun& run) : run_(run) {}
  const las::ParsedSection& get(const std::string& name);

private:
  CertifyRun& run_;
  std::unordered_map<std::string, las::ParsedSection> byName_;  // upper-case names
};

// Direct lookup of one header parameter in the file, starting at the named
// section (or the top of the file) and running on into later sections until
// a line beginning "~A".
struct HeaderValue {
  std::string value;
  std::string unit;
  bool notFound = false;  // the search reached "~A"
};
HeaderValue readHeaderValue(las::SectionDirectory& directory, std::string_view mnemonic, std::string_view sectionName,
                            float version);

// Removes every leading and then every trailing occurrence of `c`.
std::string stripChar(std::string_view text, char c);

// First and last index of the data section (first rounded to 5 decimals,
// last to 4); result -1 read, 2 the section starts at the end of the file.
// `haveLast` tells whether a last data line was found; `lastText` is its
// index as written.
struct IndexBounds {
  int result = 0;
  double first = 0, last = 0;
  std::string firstText;
  bool haveLast = false;
  std::string lastText;
};
IndexBounds readIndexBounds(CertifyRun& run);

// The increment between depth records: code -1 constant to the end, 3 it
// changed (at `location`), 0 no data.
struct StepScan {
  int code = 0;
  float increment = 0;
  std::string location;
};
StepScan scanStepIncrements(CertifyRun& run, int linesPerDepth);

bool isLetter(std::string_view text);

// Families of the groups.
FamilyResult checkVersionSection(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkSectionTitles(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkTildeLinesV3(CertifyRun& run, OutcomeSlots& slots);  // decides slot 7 of group 1
FamilyResult checkLineSyntax3(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkLineSyntax2(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkWellSectionV3(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkWellSectionV2(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkIndexRange(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkAsciiSection(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkColumnData(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkArrayChannels(CertifyRun& run, OutcomeSlots& slots);
FamilyResult checkAssociations(CertifyRun& run, OutcomeSlots& slots);

// The [n] of an array member's mnemonic (-1 when none) and its base name.
int arrayIndexOf(std::string_view mnemonic);
std::string arrayBaseName(std::string_view mnemonic);

// The first row of a combined header table with that mnemonic, -1 when none.
int findMnemonicRow(const std::vector<las::LasLineParts>& table, std::string_view mnemonic);

// The raw tilde-line scans: findings text, or "" when none.
struct TildeScan {
  int result = -1;  // -1 nothing found, 1 findings, 0 run-time error
  std::string text;
};
TildeScan scanTildeLinesV3(const std::string& fileName);
TildeScan scanTildeLinesV2(const std::string& fileName);

}  // namespace korrivan::checks
