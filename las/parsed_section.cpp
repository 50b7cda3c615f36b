#include "las/parsed_section.h"

#include <algorithm>

#include "base/text_utils.h"
#include "las/section_directory.h"

namespace korrivan::las {

using namespace korrivan::base;

namespace {

// Lines that take no row: comments, blanks, and lines whose first period is
// missing, first, or not before the last colon (positions on the untrimmed line).
bool isSkippedLine(std::string_view line) {
  std::string_view t = trimSpaces(line);
  if (t.empty() || t.front() == '#') return true;
  std::int64_t p = firstPos(line, '.');
  std::int64_t c = lastPos(line, ':');
  return p <= 1 || p >= c;
}

}  // namespace

ParseStatus parseSection(const SectionDirectory& directory, ParsedSection& table, std::string_view sectionName,
                         const LineRules& rules) {
  table.reset();
  bool textCut = false;
  std::string text = readSectionText(directory, sectionName, &textCut);
  if (text.empty()) return ParseStatus::EmptyOrAbsent;
  table.textBytes = static_cast<std::int64_t>(text.size());
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());

  const SectionRow* row = directory.find(sectionName);
  if (row) table.name = row->name;
  std::int64_t lineNumber = row && row->startLine > 0 ? row->startLine - 1 : -1;
  std::string list = " ";
  std::size_t from = 0;
  while (from <= text.size()) {
    if (lineNumber >= 0) ++lineNumber;
    std::size_t cr = text.find('\r', from);
    std::string line = text.substr(from, cr == std::string::npos ? std::string::npos : cr - from);
    from = cr == std::string::npos ? text.size() + 1 : cr + 1;
    if (rules.delimiter != '\t') std::replace(line.begin(), line.end(), '\t', ' ');
    if (isSkippedLine(line)) continue;
    if (table.rows.size() > kMaxSectionRows) {
      table.cut = true;
      table.cutAtLine = lineNumber > 0 ? lineNumber : 0;
      break;
    }
    LasLineParts parts;
    parts.mnemonic = getMnemonic(line);
    parts.unit = getUnit(line);
    parts.value = getValue(line);
    parts.description = getDescription(line);
    parts.format = getFormat(line);
    parts.association = getAssociation(line, rules.delimiter);
    parts.formatAsWritten = getFormatAsWritten(line);
    parts.line = lineNumber > 0 ? lineNumber : 0;
    if (isValidMnemonic(parts.mnemonic, rules.version)) list += parts.mnemonic + " ";
    table.rows.push_back(std::move(parts));
  }
  if (textCut && !table.cut) {
    // The text ended at the last line end within the size limit: the line
    // after the last one read is the first one left out.
    table.cut = true;
    table.cutAtLine = lineNumber > 0 ? lineNumber : 0;
  }
  table.rows[0].mnemonic = list;
  return ParseStatus::Read;
}

}  // namespace korrivan::las
