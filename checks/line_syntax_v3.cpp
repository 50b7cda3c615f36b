// Version 3.0 line syntax: delimiters and gaps in column data sections, the
// kind of every header line for its section, and the field, bar, brace,
// format and association rules of every parameter data line.
#include <array>
#include <new>

#include "base/text_utils.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "checks/format_checks.h"
#include "checks/line_rules.h"
#include "las/line_parser.h"
#include "las/section_cursor.h"

namespace korrivan::checks {

namespace {

using base::icontains;
using base::iequals;
using las::SectionKind;
using las::SectionRow;
using RuleTexts = std::array<std::string, 11>;  // index 1..10

bool isBlankOrComment(std::string_view trimmed) { return trimmed.empty() || trimmed.front() == '#'; }

// Reads the lines of a section body up to the next title line; `onLine`
// gets the line, its trimmed text and its number, and returns whether to go on.
template <typename OnLine>
void forEachSectionLine(const FileView& file, const SectionRow& row, OnLine onLine) {
  las::SectionCursor cursor(file.fileName, row, las::CursorRules{}, file.poll);
  std::string_view line;
  while (cursor.next(line))
    if (!onLine(line, base::trimSpaces(line), cursor.lineNumber())) return;
}

// The message the delimiter pass leaves for one section, from the data
// pass's facts: the message of the last line that sets one.
std::string delimiterMessage(const las::SectionFacts& facts, const std::string& section) {
  std::string message;
  std::int64_t at = -1;
  auto setBy = [&](const las::LineRef& line, std::string_view text) {
    if (!line.found() || line.index <= at) return;
    at = line.index;
    message = std::string(text) + section;
  };
  if (facts.firstData.found() && !facts.firstDataHasDelimiter)
    setBy(facts.firstData, "No Delimiters found in section ");
  if (facts.lastDataWithoutDelimiter.index != facts.firstData.index)
    setBy(facts.lastDataWithoutDelimiter, "No delimiters found in section ");
  if (facts.firstGap.found() && facts.lastDataWithDelimiter.index > facts.firstGap.index)
    setBy(facts.lastDataWithDelimiter, " Comment or blank line within Column Data lines in section ");
  return message;
}

// The last message of the delimiter pass, "" when every data section is clean.
std::string delimiterPass(const FileView& file, const std::vector<SectionRow>& rows, char delimiter) {
  std::string result;
  for (const SectionRow& row : rows) {
    if (row.kind != SectionKind::Data) continue;
    if (const las::SectionFacts* facts = dataFactsOf(file, row)) {
      if (std::string message = delimiterMessage(*facts, row.name); !message.empty()) result = std::move(message);
      continue;
    }
    bool started = false, gap = false;
    forEachSectionLine(file, row, [&](std::string_view line, std::string_view t, std::int64_t) {
      if (isBlankOrComment(t)) {
        if (started) gap = true;
        return true;
      }
      const bool hasDelimiter = line.find(delimiter) != std::string_view::npos;
      if (!started) {
        started = true;
        if (!hasDelimiter) result = "No Delimiters found in section " + row.name;
      } else if (!hasDelimiter) {
        result = "No delimiters found in section " + row.name;
      } else if (gap) {
        result = " Comment or blank line within Column Data lines in section " + row.name;
      }
      return true;
    });
  }
  return result;
}

bool sectionAllowsHeaderLines(std::string_view sectionName) {
  std::string base = las::splitSectionIndex(sectionName).baseName;
  return iequals(base, "Version") || iequals(base, "Well") || iequals(base, "Curve") || iequals(base, "Parameter") ||
         icontains(base, "_Definition") || icontains(base, "_Parameter");
}

void braceRules(std::string_view t, std::int64_t c, SectionKind kind, char delimiter, RuleTexts& rules) {
  std::string_view area;
  if (c > 0) {
    area = t.substr(static_cast<std::size_t>(c));
    std::size_t lastBar = area.rfind('|');
    if (lastBar != std::string_view::npos) area = area.substr(0, lastBar);
  }
  const std::int64_t firstOpen = las::firstPos(area, '{'), lastOpen = las::lastPos(area, '{');
  const std::int64_t firstClose = las::firstPos(area, '}'), lastClose = las::lastPos(area, '}');
  if (firstOpen != lastOpen || firstClose != lastClose) rules[6] = "More than one of either { } format delimiter";
  if (lastOpen && lastClose && lastOpen < lastClose) {
    std::string f = las::getFormat(t);
    if (f.empty())
      rules[7] = "Format delimiters empty";
    else if (!isLegalFormat(f))
      rules[7] = "Illegal Format";
    if (kind == SectionKind::Parameter || kind == SectionKind::Header) {
      std::string v = las::getValue(t);
      if (valueMatchesFormat(v, f, delimiter) != FormatMatch::Matches)
        rules[6] = "Bad Format: " + v + " doesn't look like this format: {" + f + "}";
    }
  }
  if ((lastOpen != 0) != (lastClose != 0)) rules[6] = "Missing either { or }";
  if (lastOpen && lastClose && lastClose < lastOpen) rules[6] = "Wrong order of { and }";
  const std::int64_t firstBar = las::firstPos(t, '|');
  if (firstBar && (las::lastPos(t, '{') > firstBar || las::lastPos(t, '}') > firstBar))
    rules[6] = "{ or } found after | delimiter";
}

}  // namespace

std::array<std::string, 11> checkHeaderLine3(std::string_view line, std::string_view sectionName, float version,
                                             char delimiter) {
  RuleTexts rules;
  try {
    std::string_view t = base::trimSpaces(line);
    if (isBlankOrComment(t)) return rules;
    if (!sectionAllowsHeaderLines(sectionName)) {
      rules[10] = "Line in un-defined tilde (~) section. ";
      return rules;
    }
    if (t.size() > las::kMaxHeaderLine) {
      rules[10] = "Line longer than " + std::to_string(las::kMaxHeaderLine) + " characters";
      return rules;
    }
    const std::int64_t period = las::firstPos(t, '.'), colon = las::firstPos(t, ':');
    if (!period || !colon) {
      rules[10] = "Unknown line type";
      return rules;
    }
    if (!(period + 1 < colon)) {
      rules[10] = "Unrecognizable line";
      return rules;
    }
    const std::string mnemonic = las::getMnemonic(t), unit = las::getUnit(t), value = las::getValue(t);
    const std::string description = las::getDescription(t);
    if (base::trimSpaces(mnemonic).empty())
      rules[1] = "Missing Mnemonic";  // an empty rule text would let the line pass unreported
    else if (!las::isValidMnemonic(mnemonic, version))
      rules[1] = mnemonic;
    if (!isValidUnit(unit, version)) rules[2] = unit;
    if (!isValidValue(value, version)) rules[3] = value;
    if (!isValidDescription(description, version)) rules[4] = description;

    const std::int64_t c = las::findDescriptionColon(t);
    const std::int64_t bar = las::firstPos(t, '|');
    if (c > 0 && bar) {
      if (bar <= c)
        rules[5] = "| (bar) must occur AFTER last colon";
      else if (las::firstPos(t, '}') && (bar < las::firstPos(t, '{') || bar < las::firstPos(t, '}')))
        rules[5] = "| (bar) must occur AFTER format {} characters";
    }
    const SectionKind kind = las::sectionKindOf(las::splitSectionIndex(sectionName).baseName, version);
    braceRules(t, c, kind, delimiter, rules);
    if (!isValidAssociation(t, delimiter)) rules[8] = std::string(t);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // The rule texts found so far for this line stand.
  }
  return rules;
}

FamilyResult checkLineSyntax3(const FileView& file, Handover&, OutcomeSlots& slots) {
  for (int k = 1; k <= 11; ++k) slots[static_cast<std::size_t>(k)] = " ";
  const auto& rows = file.directory.rows();

  std::string delimiterMessage = delimiterPass(file, rows, file.delimiter);
  if (!delimiterMessage.empty()) {
    slots[10] = delimiterMessage;
    return FamilyResult::Record;
  }

  for (int k = 1; k <= 10; ++k) slots[static_cast<std::size_t>(k)].clear();
  // A section too large to read whole is examined as far as it was read.
  const std::vector<CutSection> cuts = cutHeaderSections(file);
  static const char* const kLabels[] = {"", "Mnem :", "Unit :", "Value:", "Desc :", "", "", "", "", "", ""};
  bool dataSeen = false;
  for (const SectionRow& row : rows) {
    if (row.kind == SectionKind::Data) {
      if (!dataSeen) slots[11].clear();
      dataSeen = true;
      bool hasData = false;
      if (const las::SectionFacts* facts = dataFactsOf(file, row))
        hasData = facts->dataLines > 0;
      else
        forEachSectionLine(file, row, [&](std::string_view, std::string_view t, std::int64_t) {
          hasData = !isBlankOrComment(t);
          return !hasData;
        });
      if (!hasData) slots[11] += "\r\nNo Data lines found in section " + row.name;
      continue;
    }
    const std::int64_t end = examinedUpTo(cuts, row.name);
    forEachSectionLine(file, row, [&](std::string_view line, std::string_view t, std::int64_t number) {
      if (end > 0 && number >= end) return false;
      RuleTexts rules = checkHeaderLine3(line, row.name, file.version, file.delimiter);
      for (std::size_t k = 1; k <= 10; ++k) {
        if (rules[k].empty()) continue;
        const std::string message =
            std::string(kLabels[k]) + rules[k] + (k == 8 ? " (  in ~" : " ( in ~") + row.name + ")";
        // A line too long to examine is shown in part.
        const std::string_view shown = t.size() > las::kMaxHeaderLine ? t.substr(0, OutcomeSlot::kMaxLineText) : t;
        if (!slots[k].full()) slots[k].append(message + "\r\n" + std::string(shown) + "\r\n", message, number, shown);
      }
      return true;
    });
  }
  // Sections too large to read whole into tables: later checks would see them in part only.
  for (const CutSection& cut : cuts) {
    const std::string message = cutSectionMessage(cut) + " ( in ~" + cut.name + ")";
    slots[10].append(message + "\r\n", message, cut.line, "");
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
