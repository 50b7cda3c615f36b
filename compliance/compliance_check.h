#pragma once
// Testing a LAS file against a content specification. For every row, the
// lines of the named section that carry the row's mnemonic are looked up;
// a row whose mnemonic must be there and is not gives one finding, and each
// line found is held to the rules of the row's parts: the unit, the value
// (filled or not, and against the chosen format with the format routines of
// the certification), the description and the association. Every rule
// broken gives one finding naming the line of the LAS file.
//
// Version 3.0 files are tested section by section as named (every section
// of that name, ~Core_Data[1] and ~Core_Data[2] alike). In versions 1.2
// and 2.0 the fixed sections are ~V, ~W and ~P, the Log group's sections are
// ~Parameter, ~Curve and ~ASCII, other groups have no sections, and lines
// have no association, so association rules do not apply.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "certify/outcome.h"
#include "compliance/content_spec.h"

namespace korrivan::compliance {

struct ComplianceFinding {
  std::string section;                     // the section as the content specification names it ("Well")
  std::string mnemonic;                    // the row's mnemonic
  SpecColumn part = SpecColumn::Mnemonic;  // Mnemonic, Unit, Value, FormatKind, Description or Association
  std::int64_t contentSpecLine = 0;        // the row's line in the content specification file; 0 when not known
  certify::Finding finding;                // message, and the LAS line and its text (0 and "" when absent)
};

// "MNEM", "UNIT", "VALUE", "FORMAT", "DESC", "ASSOC".
std::string_view partName(SpecColumn part);

enum class ComplianceVerdict { Complies, DoesNotComply, NotTested };

struct ComplianceResult {
  std::string lasFileName;
  float version = 0;  // as read from VERS; 0 when none was read
  ComplianceVerdict verdict = ComplianceVerdict::NotTested;
  std::string error;  // why the file could not be tested
  std::vector<ComplianceFinding> findings;
  std::size_t unlistedFindings = 0;  // findings past kMaxFindings, counted only

  std::size_t findingCount() const { return findings.size() + unlistedFindings; }
};

// A file that breaks a rule on every line of a huge section lists this many
// findings and counts the rest.
inline constexpr std::size_t kMaxFindings = 10000;

ComplianceResult testCompliance(const ContentSpec& contentSpec, const std::string& lasFileName);

// "line 12: STRT: unit is "FT", must be "M"" (without "line" for a finding
// that names no line).
std::string findingText(const ComplianceFinding& finding);

// "complies", "does not comply", "not tested".
std::string_view verdictText(ComplianceVerdict verdict);

}  // namespace korrivan::compliance
