// Versions 1.2 and 2.0 line syntax: the kind and fields of every header
// line, comment, blank and tab lines in ~ASCII, the presence of data lines
// and the agreement of WRAP with the structure of the ~ASCII section.
#include "checks/family.h"
#include "checks/line_rules.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "base/text_utils.h"

namespace korrivan::checks {

namespace {

void addEntry(std::string& slot, std::string_view message, std::string_view line) {
  appendFinding(slot, std::string("\r\n").append(message).append("\r\n").append(line));
}

void checkDataLine(std::string_view line, char delimiter, OutcomeSlots& slots) {
  std::string_view t = base::trimSpaces(line);
  if (!t.empty() && t.front() == '#') addEntry(slots[5], "Comment Line in ~Ascii Section", line);
  if (t.empty()) addEntry(slots[5], "Blank Line in ~Ascii Section", line);
  if (line.find('\t') != std::string_view::npos && delimiter != '\t')
    addEntry(slots[5], "Tab character(s) found.", line);
}

void checkHeaderLine2(std::string_view line, float version, OutcomeSlots& slots) {
  switch (las::classifyLine(line)) {
    case las::LineKind::MissingMnemonic: addEntry(slots[1], "Missing Mnemonic", line); break;
    case las::LineKind::TabOnLine:
      addEntry(slots[5], "Tab characters used on the line: ", base::replaceAll(line, "\t", "<Tab>"));
      break;
    case las::LineKind::SpaceInMnemonic: addEntry(slots[1], "Mnemonic has embedded space(s)", line); break;
    case las::LineKind::Undetermined: addEntry(slots[5], "Unknown or undetermined line type", line); break;
    case las::LineKind::ParameterLine:
      if (!las::isValidMnemonic(las::getMnemonic(line), version)) addEntry(slots[1], "Illegal mnemonic: ", line);
      if (!isValidUnit(las::getUnit(line), version)) addEntry(slots[2], "Illegal Unit: ", line);
      if (!isValidValue(las::getValue(line), version)) addEntry(slots[3], "Illegal Value: ", line);
      if (!isValidDescription(las::getDescription(line), version)) addEntry(slots[4], "Illegal Description: ", line);
      break;
    default: break;
  }
}

// ~Other holds free-format remarks: its lines are no header lines.
bool isRemarksSection(const las::SectionRow& row, float version) {
  return las::namesSection(row.name, "Other", version);
}

}  // namespace

FamilyResult checkLineSyntax2(CertifyRun& run, OutcomeSlots& slots) {
  for (int k = 1; k <= 5; ++k) slots[static_cast<std::size_t>(k)].clear();
  {
    las::LineSource src(run.fileName);
    for (const las::SectionRow& row : run.directory.rows()) {
      if (row.kind == las::SectionKind::Other || isRemarksSection(row, run.version)) continue;
      src.seek(row.start);
      std::string_view line;
      while (src.next(line)) {
        std::string_view t = base::trimSpaces(line);
        if (!t.empty() && t.front() == '~') break;
        if (row.kind == las::SectionKind::Data)
          checkDataLine(line, run.delimiter, slots);
        else
          checkHeaderLine2(line, run.version, slots);
      }
    }
  }

  slots[6].clear();
  if (!run.directory.dataSectionName.empty()) {
    auto start = run.directory.sectionStart(run.directory.dataSectionName);
    if (start && *start >= run.directory.fileSize()) slots[6] = "No data lines in ASCII section";
  }

  slots[7].clear();
  las::DataReadContext ctx = run.dataContext();
  las::WrapStructure wrap = las::detectWrapStructure(ctx, static_cast<int>(run.curveSection.lineCount()), run.curves);
  if (wrap.result == las::WrapResult::Unwrapped || wrap.result == las::WrapResult::Wrapped) {
    run.linesPerDepth = wrap.linesPerDepth;
    run.valuesPerDepth = wrap.valuesPerRecord;
  }
  switch (wrap.result) {
    case las::WrapResult::NotFound: slots[7] = "Error determining Wrap structure. Likely bad file."; break;
    case las::WrapResult::Unwrapped:
    case las::WrapResult::Wrapped: {
      const bool looksWrapped = wrap.result == las::WrapResult::Wrapped;
      if ((!looksWrapped && base::iequals(run.wrapValue, "YES")) || (looksWrapped && base::iequals(run.wrapValue, "NO")))
        slots[7] = "WRAP value does not match ~ASCII section structure. WRAP =" + base::toUpper(run.wrapValue) +
                   " while ~ASCII structure looks like " + (looksWrapped ? "YES" : "NO");
      break;
    }
    default: slots[7] = "Error determining Wrap structure. Likely missing or extra channels at some depths."; break;
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
