#include "compliance/compliance_check.h"

#include <algorithm>
#include <unordered_map>

#include "base/file_names.h"
#include "base/run_error.h"
#include "base/text_utils.h"
#include "certify/prechecks.h"
#include "checks/family.h"
#include "checks/format_checks.h"
#include "las/line_parser.h"
#include "las/parsed_section.h"
#include "las/section_cursor.h"
#include "las/section_directory.h"

namespace korrivan::compliance {

using base::iequals;
using base::trimSpaces;

namespace {

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Lines that are no parameter lines, as the section parser passes them
// over: comments, blanks, and lines whose first period is missing, first,
// or not before the last colon.
bool isSkippedLine(std::string_view line) {
  const std::string_view t = trimSpaces(line);
  if (t.empty() || t.front() == '#') return true;
  const std::int64_t p = las::firstPos(line, '.');
  const std::int64_t c = las::lastPos(line, ':');
  return p <= 1 || p >= c;
}

// "RUN[2]" gives "RUN"; a name without an index stays as it is.
std::string withoutIndex(const std::string& mnemonic) {
  if (mnemonic.empty() || mnemonic.back() != ']') return mnemonic;
  const std::size_t open = mnemonic.find('[');
  return open == std::string::npos ? mnemonic : std::string(trimSpaces(mnemonic.substr(0, open)));
}

char delimiterOf(las::SectionDirectory& directory, float version) {
  if (version != 3.0f) return ' ';
  const las::SectionRow* row = directory.findStandard("Version");
  if (!row) return ' ';
  las::ParsedSection table;
  las::parseSection(directory, table, row->name, {' ', version});
  return checks::delimiterFromDlm(trimSpaces(checks::lookupParamValue(table, "DLM")));
}

class Checker {
public:
  Checker(const ContentSpec& contentSpec, las::SectionDirectory& directory, float version, char delimiter,
          ComplianceResult& result)
      : contentSpec_(contentSpec), directory_(directory), version_(version), delimiter_(delimiter), result_(result) {}

  void run() {
    std::vector<std::string> sections = contentSpec_.sectionNames();
    for (const ContentSpecRow& row : contentSpec_.rows)
      if (std::none_of(sections.begin(), sections.end(),
                       [&row](const std::string& s) { return iequals(s, row.section); }))
        sections.push_back(row.section);
    for (const std::string& section : sections) {
      const std::vector<const ContentSpecRow*> rows = contentSpec_.rowsOf(section);
      if (rows.empty()) continue;
      const std::vector<const las::SectionRow*> found = sectionsNamed(section);
      if (found.empty()) {
        for (const ContentSpecRow* row : rows)
          if (row->mnemonicRule != PartRule::Optional)
            add(*row, row->mnemonic, SpecColumn::Mnemonic,
                row->mnemonic + " not found: the file has no ~" + section + " section", 0, {});
        continue;
      }
      for (const las::SectionRow* s : found) testSection(*s, rows);
    }
  }

private:
  // The sections of the file a section of the content specification stands for.
  std::vector<const las::SectionRow*> sectionsNamed(const std::string& section) {
    std::vector<const las::SectionRow*> out;
    const auto ref = sectionRefOf(section);
    if (!ref) return out;
    if (version_ != 3.0f) {
      std::string_view standard;
      if (ref->group.empty())
        standard = ref->name;
      else if (iequals(ref->group, "Log"))
        standard = ref->tab == SectionTab::Parameter    ? "Parameter"
                   : ref->tab == SectionTab::Definition ? "Curve"
                                                        : "ASCII";
      if (const las::SectionRow* row = standard.empty() ? nullptr : directory_.findStandard(standard))
        out.push_back(row);
      return out;
    }
    if (ref->group.empty()) {
      if (const las::SectionRow* row = directory_.findStandard(ref->name)) out.push_back(row);
      return out;
    }
    for (const las::SectionRow& row : directory_.rows())
      if (iequals(row.baseName, ref->name)) out.push_back(&row);
    return out;
  }

  void testSection(const las::SectionRow& section, const std::vector<const ContentSpecRow*>& rows) {
    // Rows by the mnemonic they take: exactly, or with any array index.
    std::unordered_map<std::string, std::vector<std::size_t>> exact, indexed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::string key = base::toUpper(rows[i]->mnemonic);
      (rows[i]->mnemonicRule == PartRule::Filled ? indexed : exact)[key].push_back(i);
    }
    std::vector<bool> seen(rows.size(), false);
    // A data section holds data lines, never parameter lines: it is not read.
    if (section.kind != las::SectionKind::Data) {
      las::SectionCursor cursor(directory_.fileName(), section, las::CursorRules{true, true, true});
      std::string_view view;
      std::string line;
      while (cursor.next(view)) {
        line.assign(view);
        line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
        if (delimiter_ != '\t') std::replace(line.begin(), line.end(), '\t', ' ');
        if (isSkippedLine(line)) continue;
        const std::string key = base::toUpper(las::getMnemonic(line));
        std::vector<std::size_t> matched;
        if (auto e = exact.find(key); e != exact.end()) matched = e->second;
        if (auto f = indexed.find(withoutIndex(key)); f != indexed.end())
          matched.insert(matched.end(), f->second.begin(), f->second.end());
        if (matched.empty()) continue;
        const las::LasLineParts parts = partsOf(line, cursor.lineNumber());
        for (std::size_t i : matched) {
          seen[i] = true;
          testLine(*rows[i], parts, line);
        }
      }
    }
    const std::string where =
        section.kind == las::SectionKind::Data ? " (a data section holds no parameter lines)" : std::string();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (!seen[i] && rows[i]->mnemonicRule != PartRule::Optional)
        add(*rows[i], rows[i]->mnemonic, SpecColumn::Mnemonic,
            rows[i]->mnemonic + " not found in ~" + section.name + where, section.titleLine, {});
  }

  las::LasLineParts partsOf(const std::string& line, std::int64_t number) const {
    las::LasLineParts parts;
    parts.mnemonic = las::getMnemonic(line);
    parts.unit = las::getUnit(line);
    parts.value = las::getValue(line);
    parts.description = las::getDescription(line);
    parts.format = las::getFormat(line);
    parts.association = las::getAssociation(line, delimiter_);
    parts.line = number;
    return parts;
  }

  void testLine(const ContentSpecRow& row, const las::LasLineParts& parts, const std::string& text) {
    const std::string& m = parts.mnemonic;
    auto broken = [&](SpecColumn part, const std::string& message) {
      add(row, m, part, m + ": " + message, parts.line, text);
    };
    testPart(row.unitRule, parts.unit, row.unit, "unit", SpecColumn::Unit, broken);
    testValue(row, parts, broken);
    testPart(row.descriptionRule, std::string(trimSpaces(parts.description)), row.description, "description",
             SpecColumn::Description, broken);
    if (version_ == 3.0f) {
      if (row.associationRule == AssociationRule::Must) {
        if (row.association.empty() && parts.association.empty())
          broken(SpecColumn::Association, "association must be filled");
        else if (!row.association.empty() && !iequals(parts.association, row.association))
          broken(SpecColumn::Association,
                 "association is " + quoted(parts.association) + ", must be " + quoted(row.association));
      }
    }
  }

  template <typename Report>
  static void testPart(PartRule rule, const std::string& found, const std::string& wanted, const std::string& name,
                       SpecColumn part, Report& broken) {
    if (rule == PartRule::Exact && !iequals(found, wanted))
      broken(part, name + " is " + quoted(found) + ", must be " + (wanted.empty() ? "empty" : quoted(wanted)));
    else if (rule == PartRule::Filled && found.empty())
      broken(part, name + " must be filled");
  }

  template <typename Report>
  void testValue(const ContentSpecRow& row, const las::LasLineParts& parts, Report& broken) {
    const std::string_view value = trimSpaces(parts.value);
    const bool filled = !value.empty();
    const bool mustFill = row.valueRule == ValueRule::FilledUseFormat || row.valueRule == ValueRule::FilledAnyFormat;
    const bool useFormat = row.valueRule == ValueRule::FilledUseFormat || row.valueRule == ValueRule::OptionalUseFormat;
    if (mustFill && !filled) broken(SpecColumn::Value, "value must be filled");
    if (row.valueRule == ValueRule::NotFilled && filled)
      broken(SpecColumn::Value, "value must NOT be filled, is " + quoted(value));
    const std::string format = effectiveFormat(row.formatKind, row.formatCode);
    if (useFormat && filled && !format.empty() &&
        checks::valueMatchesFormat(value, format, delimiter_) != checks::FormatMatch::Matches)
      broken(SpecColumn::FormatKind,
             "value " + std::string(value) + " doesn't look like this format: {" + row.formatCode + "}");
  }

  void add(const ContentSpecRow& row, const std::string& mnemonic, SpecColumn part, std::string message,
           std::int64_t line, std::string_view lineText) {
    if (result_.findings.size() >= kMaxFindings) {
      ++result_.unlistedFindings;
      return;
    }
    ComplianceFinding f;
    f.section = row.section;
    f.mnemonic = mnemonic;
    f.part = part;
    f.contentSpecLine = row.sourceLine;
    f.finding.message = std::move(message);
    f.finding.line = line;
    f.finding.lineText = std::string(lineText.substr(0, certify::OutcomeSlot::kMaxLineText));
    result_.findings.push_back(std::move(f));
  }

  const ContentSpec& contentSpec_;
  las::SectionDirectory& directory_;
  float version_;
  char delimiter_;
  ComplianceResult& result_;
};

// Why no version was read: a file whose lines end in LF alone (or that is
// no text at all) reads as one line, whose VERS is never seen.
std::string noVersionReason(const std::string& lasFileName) {
  const certify::TerminationScan scan = certify::scanTermination(lasFileName);
  if (scan.error.number != 0) return scan.error.text;
  if (scan.slot5 == " ") return "the file holds NUL bytes: it is no LAS text file";
  if (!scan.slot4.empty()) return "the lines end in LF alone; LAS lines end in CR LF";
  return "no LAS version (VERS) could be read before the data section";
}

}  // namespace

std::string_view partName(SpecColumn part) {
  switch (part) {
    case SpecColumn::Unit: return "UNIT";
    case SpecColumn::Value: return "VALUE";
    case SpecColumn::FormatKind:
    case SpecColumn::FormatCode: return "FORMAT";
    case SpecColumn::Description: return "DESC";
    case SpecColumn::Association: return "ASSOC";
    default: return "MNEM";
  }
}

std::string_view verdictText(ComplianceVerdict verdict) {
  switch (verdict) {
    case ComplianceVerdict::Complies: return "complies";
    case ComplianceVerdict::DoesNotComply: return "does not comply";
    default: return "not tested";
  }
}

ComplianceResult testCompliance(const ContentSpec& contentSpec, const std::string& lasFileName) {
  ComplianceResult result;
  result.lasFileName = lasFileName;
  try {
    if (!base::fileExists(lasFileName)) {
      result.error = base::errorText(base::err::FileNotFound);
      return result;
    }
    result.version = certify::detectVersion(lasFileName);
    if (result.version == 0) {
      result.error = noVersionReason(lasFileName);
      return result;
    }
    las::SectionDirectory directory;
    if (!directory.locateMainSections(lasFileName, result.version)) {
      result.error = "the file could not be read";
      return result;
    }
    const char delimiter = delimiterOf(directory, result.version);
    Checker(contentSpec, directory, result.version, delimiter, result).run();
    result.verdict = result.findingCount() == 0 ? ComplianceVerdict::Complies : ComplianceVerdict::DoesNotComply;
  } catch (const base::RunError& e) {
    result = ComplianceResult{lasFileName, result.version, ComplianceVerdict::NotTested, e.text(), {}, 0};
  } catch (const std::exception& e) {
    result =
        ComplianceResult{lasFileName, result.version, ComplianceVerdict::NotTested, base::pendingError(e).text, {}, 0};
  }
  return result;
}

std::string findingText(const ComplianceFinding& finding) {
  const std::int64_t line = finding.finding.line;
  return (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + finding.finding.message;
}

}  // namespace korrivan::compliance
