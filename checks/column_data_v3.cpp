// Version 3.0 column data: channel counts against the definitions, the
// column count of every line, the first line's items against the stated
// formats; and the array channels of the definition sections.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "base/text_utils.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "checks/format_checks.h"
#include "las/data_reader.h"

namespace korrivan::checks {

int arrayIndexOf(std::string_view mnemonic) {
  std::string_view m = base::trimSpaces(mnemonic);
  std::size_t open = m.find('['), close = m.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close + 1 != m.size() || close < open)
    return -1;
  auto n = base::parseNumber(m.substr(open + 1, close - open - 1));
  if (!n || std::fabs(*n) > 32767) return -1;
  return static_cast<int>(std::lround(*n));
}

std::string arrayBaseName(std::string_view mnemonic) {
  std::string_view m = base::trimSpaces(mnemonic);
  std::size_t open = m.find('['), close = m.find(']');
  if (m.empty() || open == std::string_view::npos || close == std::string_view::npos) return std::string(m);
  return close + 1 == m.size() ? std::string(m.substr(0, open)) : "";
}

namespace {

// The pieces between the delimiters that stand outside double quotes, so
// that a quoted text holding the delimiter or blanks stays one item.
std::vector<std::string> splitOutsideQuotes(std::string_view line, char delimiter) {
  std::vector<std::string> items(1);
  bool inQuotes = false;
  for (const char c : line) {
    if (c == '"') inQuotes = !inQuotes;
    if (c == delimiter && !inQuotes)
      items.emplace_back();
    else
      items.back() += c;
  }
  return items;
}

}  // namespace

std::vector<std::string> firstLineItems(std::string& line, char delimiter) {
  if (delimiter != ' ') {
    if (line.find('"') == std::string::npos) return base::splitAtEvery(line, delimiter);
    return splitOutsideQuotes(line, delimiter);
  }
  std::vector<std::string> items = splitPaddedFields(line);
  // Blanks at the end of the line are no item of their own.
  if (items.size() > 1 && base::trimSpaces(items.back()).empty()) items.pop_back();
  line = std::string(base::trimSpaces(line));
  return items;
}

namespace {

bool isArrayFormat(const las::LasLineParts& row) {
  return !row.formatAsWritten.empty() && base::toUpperAscii(row.formatAsWritten[0]) == 'A';
}

std::size_t formatParts(const std::string& format) {
  return static_cast<std::size_t>(std::count(format.begin(), format.end(), ';')) + 1;
}

}  // namespace

FamilyResult checkColumnData(const FileView& file, Handover&, OutcomeSlots& slots) {
  const char delimiter = file.delimiter == '\0' ? ' ' : file.delimiter;
  bool first = true;
  std::int64_t k = 0;  // kept from the previous section when a first line holds no delimiter
  las::DataReadContext ctx = file.dataContext();
  ParsedSections parsed(file);
  for (const las::SectionRow& d : file.directory.rows()) {
    if (d.kind != las::SectionKind::Data) continue;
    if (first) slots[1] = slots[2] = slots[3] = "";
    first = false;
    const las::ParsedSection& definitions = parsed.get(d.association);
    const std::size_t n = definitions.lineCount();
    const las::SectionFacts* facts = dataFactsOf(file, d);
    las::FirstDataLine firstLine = las::readFirstDataLine(ctx, d.name, facts);
    if (firstLine.columnsSet) k = firstLine.columns;
    if (static_cast<std::int64_t>(n) != k)
      slots[1] += "~" + d.association + " has " + std::to_string(n) + " channel descriptions while ~" + d.name +
                  " has " + std::to_string(k) + " delimited channels. ";

    std::string line = firstLine.line;
    std::vector<std::string> items = firstLineItems(line, delimiter);
    const std::string firstIndex = line.substr(0, line.find(delimiter));
    for (std::size_t j = 1; j <= n && j <= items.size(); ++j) {
      const std::string& format = definitions.rows[j].format;
      if (valueMatchesFormat(items[j - 1], format, delimiter) == FormatMatch::Mismatch) {
        // Built only while the slot lists it: the first index may be as long as the line.
        slots[3].append(
            {"Data column item (", items[j - 1], ") in ~", d.name, " @ ", firstIndex, " wrong format {", format, "}"},
            "\r\n", firstLine.lineNumber, firstLine.line);
      }
    }

    las::ColumnConsistency consistency = las::checkColumnCountConsistency(ctx, d.name, facts);
    if (consistency.result < 1) {
      const std::string message = "Section " + d.name + ", expected " + std::to_string(items.size()) +
                                  " channels, found " + std::to_string(std::llabs(consistency.result)) + ".";
      slots[2].append(message + " Line was\r\n" + consistency.offendingLine + "\r\n", message, consistency.lineNumber,
                      consistency.offendingLine);
    }
  }
  return resultFromSlots(slots);
}

FamilyResult checkArrayChannels(const FileView& file, Handover&, OutcomeSlots& slots) {
  std::unordered_set<std::string> examined;  // base names in upper case
  bool cleared = false;
  for (const las::SectionRow& s : file.directory.rows()) {
    if (s.kind != las::SectionKind::Definition) continue;
    las::ParsedSection section;
    las::parseSection(file.directory, section, s.name, file.lineRules());
    const auto& rows = section.rows;

    slots[1].clear();
    for (std::size_t r = 1; r < rows.size(); ++r)
      if (isArrayFormat(rows[r]) && arrayIndexOf(rows[r].mnemonic) == -1) slots[1] += rows[r].mnemonic + "\r\n";
    if (!slots[1].empty()) break;
    if (!cleared) slots[2] = slots[3] = slots[4] = slots[5] = "";
    cleared = true;

    // Each line's base name in upper case, and the lines of each base name.
    std::vector<std::string> bases(rows.size());
    std::unordered_map<std::string, std::vector<std::size_t>> positions;
    for (std::size_t r = 1; r < rows.size(); ++r) {
      bases[r] = base::toUpper(arrayBaseName(rows[r].mnemonic));
      positions[bases[r]].push_back(r);
    }

    for (std::size_t k = 1; k < rows.size(); ++k) {
      if (!isArrayFormat(rows[k])) continue;
      const std::string base = arrayBaseName(rows[k].mnemonic);
      if (!examined.insert(base::toUpper(base)).second) continue;
      if (arrayIndexOf(rows[k].mnemonic) != 1) {
        slots[2] += rows[k].mnemonic + ",";
        break;
      }
      const std::string baseKey = base::toUpper(base);
      const std::vector<std::size_t>& membersAt = positions[baseKey];
      auto belongs = [&](std::size_t m) { return bases[m] == baseKey; };
      int members = 0;
      std::size_t firstParts = 0;
      std::string firstUnit;
      for (std::size_t m = k; m < rows.size(); ++m) {
        const las::LasLineParts& row = rows[m];
        if (belongs(m)) {
          if (arrayIndexOf(row.mnemonic) != members + 1) {
            slots[2] += row.mnemonic + "\r\n";
            break;
          }
          if (members > 0 && formatParts(row.formatAsWritten) != firstParts) {
            slots[4] += row.mnemonic + ", format was: {" + row.formatAsWritten + "}\r\n";
            break;
          }
          if (members > 0 && !base::iequals(row.unit, firstUnit)) {
            slots[5] += row.mnemonic + ", unit was: " + row.unit + ", first was: " + firstUnit + "\r\n";
            break;
          }
          if (members == 0) {
            firstParts = formatParts(row.formatAsWritten);
            firstUnit = row.unit;
          }
          ++members;
        } else if (m + 1 < rows.size()) {
          auto next = std::upper_bound(membersAt.begin(), membersAt.end(), m);
          if (next != membersAt.end()) {
            slots[3] += rows[*next].mnemonic + "\r\n";
            break;
          }
          break;  // no member of the array follows: the rest of the walk finds nothing either
        }
      }
    }
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
