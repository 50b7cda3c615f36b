// Versions 1.2 and 2.0 line syntax: the kind and fields of every header
// line, comment, blank and tab lines in ~ASCII, the presence of data lines
// and the agreement of WRAP with the structure of the ~ASCII section.
#include "base/text_utils.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "checks/line_rules.h"
#include "las/line_parser.h"
#include "las/section_cursor.h"

namespace korrivan::checks {

namespace {

// One line of the file and its number, for the findings about it.
struct NumberedLine {
  std::string_view text;
  std::int64_t number;
};

void addEntry(OutcomeSlot& slot, std::string_view message, const NumberedLine& line, std::string_view shown) {
  if (slot.full()) return;
  slot.append(std::string("\r\n").append(message).append("\r\n").append(shown), base::trimSpaces(message), line.number,
              line.text);
}
void addEntry(OutcomeSlot& slot, std::string_view message, const NumberedLine& line) {
  addEntry(slot, message, line, line.text);
}

constexpr std::string_view kCommentLine = "Comment Line in ~Ascii Section";
constexpr std::string_view kBlankLine = "Blank Line in ~Ascii Section";
constexpr std::string_view kTabLine = "Tab character(s) found.";

void checkDataLine(const NumberedLine& line, char delimiter, OutcomeSlots& slots) {
  std::string_view t = base::trimSpaces(line.text);
  if (!t.empty() && t.front() == '#') addEntry(slots[5], kCommentLine, line);
  if (t.empty()) addEntry(slots[5], kBlankLine, line);
  if (line.text.find('\t') != std::string_view::npos && delimiter != '\t') addEntry(slots[5], kTabLine, line);
}

// The same findings from the blank, comment and tab lines the data pass kept.
void checkDataLines(const las::SectionFacts& facts, OutcomeSlots& slots) {
  for (const las::NotableLine& n : facts.notables) {
    const NumberedLine line{n.text, n.number};
    if (n.kinds & las::NotableLine::Comment) addEntry(slots[5], kCommentLine, line);
    if (n.kinds & las::NotableLine::Blank) addEntry(slots[5], kBlankLine, line);
    if (n.kinds & las::NotableLine::Tab) addEntry(slots[5], kTabLine, line);
  }
}

void checkHeaderLine2(const NumberedLine& line, float version, OutcomeSlots& slots) {
  const std::string_view text = line.text;
  if (text.size() > las::kMaxHeaderLine) {
    // Too long to examine: shown in part.
    const std::string_view t = base::trimSpaces(text);
    if (!t.empty() && t.front() != '#')
      addEntry(slots[5], "Line longer than " + std::to_string(las::kMaxHeaderLine) + " characters", line,
               text.substr(0, OutcomeSlot::kMaxLineText));
    return;
  }
  switch (las::classifyLine(text)) {
    case las::LineKind::MissingMnemonic: addEntry(slots[1], "Missing Mnemonic", line); break;
    case las::LineKind::TabOnLine:
      addEntry(slots[5], "Tab characters used on the line: ", line, base::replaceAll(text, "\t", "<Tab>"));
      break;
    case las::LineKind::SpaceInMnemonic: addEntry(slots[1], "Mnemonic has embedded space(s)", line); break;
    case las::LineKind::Undetermined: addEntry(slots[5], "Unknown or undetermined line type", line); break;
    case las::LineKind::ParameterLine:
      if (!las::isValidMnemonic(las::getMnemonic(text), version)) addEntry(slots[1], "Illegal mnemonic: ", line);
      if (!isValidUnit(las::getUnit(text), version)) addEntry(slots[2], "Illegal Unit: ", line);
      if (!isValidValue(las::getValue(text), version)) addEntry(slots[3], "Illegal Value: ", line);
      if (!isValidDescription(las::getDescription(text), version)) addEntry(slots[4], "Illegal Description: ", line);
      break;
    default: break;
  }
}

// ~Other holds free-format remarks: its lines are no header lines.
bool isRemarksSection(const las::SectionRow& row, float version) {
  return las::namesSection(row.name, "Other", version);
}

}  // namespace

FamilyResult checkLineSyntax2(const FileView& file, Handover& handover, OutcomeSlots& slots) {
  for (int k = 1; k <= 5; ++k) slots[static_cast<std::size_t>(k)].clear();
  // A section too large to read whole is examined as far as it was read.
  const std::vector<CutSection> cuts = cutHeaderSections(file);
  for (const las::SectionRow& row : file.directory.rows()) {
    if (row.kind == las::SectionKind::Other || isRemarksSection(row, file.version)) continue;
    if (row.kind == las::SectionKind::Data) {
      if (const las::SectionFacts* facts = dataFactsOf(file, row)) {
        checkDataLines(*facts, slots);
        continue;
      }
    }
    las::SectionCursor cursor(file.fileName, row, las::CursorRules{}, file.poll);
    const std::int64_t end = examinedUpTo(cuts, row.name);
    std::string_view line;
    while (cursor.next(line)) {
      if (end > 0 && cursor.lineNumber() >= end) break;
      const NumberedLine numbered{line, cursor.lineNumber()};
      if (row.kind == las::SectionKind::Data)
        checkDataLine(numbered, file.delimiter, slots);
      else
        checkHeaderLine2(numbered, file.version, slots);
    }
  }

  // Sections too large to read whole into tables: later checks would see them in part only.
  for (const CutSection& cut : cuts) {
    const std::string message = "Section ~" + cut.name + " " + cutSectionMessage(cut).substr(8);
    slots[5].append("\r\n" + message, message, cut.line, "");
  }

  slots[6].clear();
  if (!file.directory.dataSectionName.empty()) {
    auto start = file.directory.sectionStart(file.directory.dataSectionName);
    if (start && *start >= file.directory.fileSize()) slots[6] = "No data lines in ASCII section";
  }

  slots[7].clear();
  las::DataReadContext ctx = file.dataContext();
  las::CurveTable curves;
  las::WrapStructure wrap = las::detectWrapStructure(ctx, static_cast<int>(file.curveSection.lineCount()), curves);
  if (wrap.result == las::WrapResult::Unwrapped || wrap.result == las::WrapResult::Wrapped) {
    handover.linesPerDepth = wrap.linesPerDepth;
    handover.valuesPerDepth = wrap.valuesPerRecord;
  }
  switch (wrap.result) {
    case las::WrapResult::NotFound: slots[7] = "Error determining Wrap structure. Likely bad file."; break;
    case las::WrapResult::Unwrapped:
    case las::WrapResult::Wrapped: {
      const bool looksWrapped = wrap.result == las::WrapResult::Wrapped;
      if ((!looksWrapped && base::iequals(handover.wrapValue, "YES")) ||
          (looksWrapped && base::iequals(handover.wrapValue, "NO")))
        slots[7] = "WRAP value does not match ~ASCII section structure. WRAP =" + base::toUpper(handover.wrapValue) +
                   " while ~ASCII structure looks like " + (looksWrapped ? "YES" : "NO");
      break;
    }
    default: slots[7] = "Error determining Wrap structure. Likely missing or extra channels at some depths."; break;
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
