// STRT, STOP and STEP of the ~Well section against the index channel of the
// data section, and the header lookups they rest on.
#include <cmath>
#include <cstdio>
#include <utility>

#include "base/las_file_lock.h"
#include "base/text_utils.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "tools/header_line_editor.h"

namespace korrivan::checks {

std::string stripChar(std::string_view text, char c) {
  std::size_t b = text.find_first_not_of(c);
  if (b == std::string_view::npos) return "";
  std::size_t e = text.find_last_not_of(c);
  return std::string(text.substr(b, e - b + 1));
}

HeaderValue readHeaderValue(const las::SectionDirectory& directory, std::string_view mnemonic,
                            std::string_view sectionName, float version) {
  HeaderValue out;
  try {
    std::optional<std::int64_t> start;
    if (!sectionName.empty()) start = directory.sectionStart(sectionName);
    las::LineSource src(directory.fileName());
    src.seek(start.value_or(0));
    std::string_view raw;
    while (src.next(raw)) {
      std::string_view line = base::trimLeadingSpaces(raw);
      if (base::istartsWith(line, "~A")) {
        out.notFound = true;
        out.value = " ";
        return out;
      }
      if (!base::iequals(las::getMnemonic(line), mnemonic)) continue;
      const bool keyword = base::iequals(mnemonic, "STRT") || base::iequals(mnemonic, "STOP") ||
                           base::iequals(mnemonic, "STEP") || base::iequals(mnemonic, "NULL");
      if (version == 1.2f && !keyword && base::iequals(sectionName, "W"))
        out.value = std::string(base::trimSpaces(las::getDescription(line)));
      else
        out.value = std::string(base::trimSpaces(las::getValue(line)));
      out.unit = std::string(base::trimSpaces(las::getUnit(line)));
      return out;
    }
  } catch (const std::exception&) {
    return HeaderValue{};
  }
  return out;
}

}  // namespace korrivan::checks

// ---- the index range family --------------------------------------------------

namespace korrivan::checks {

namespace {

// Rounds half away from zero to `decimals` places.
double roundTo(double v, int decimals) {
  double scale = std::pow(10.0, decimals);
  return std::round(v * scale) / scale;
}

std::string fixed(double v, int decimals) { return base::fixedText(roundTo(v, decimals), decimals); }

std::size_t decimalPlaces(std::string_view text) {
  std::size_t p = text.find('.');
  return p == std::string_view::npos ? 0 : text.size() - p - 1;
}

std::string_view indexText(std::string_view trimmedLine, char delimiter) {
  std::size_t p = trimmedLine.find(delimiter);
  return p == std::string_view::npos ? trimmedLine : trimmedLine.substr(0, p);
}

bool isBlankOrComment(std::string_view t) { return t.empty() || t.front() == '#'; }

// The line that gives the last index among the lines from `from` to `end`
// ("" when none does): the last data line of an unwrapped section, else the
// last depth line before the last data line. A window that starts inside a
// line skips that line's tail.
std::string lastIndexLine(las::LineSource& src, std::int64_t from, bool startsInsideLine, std::int64_t end,
                          bool unwrapped, char delimiter) {
  src.seek(from);
  std::string last, lastDepth, depthBeforeLast;
  bool lastWasDepth = false;
  std::string_view line;
  bool skip = startsInsideLine;
  while (src.next(line)) {
    if (std::exchange(skip, false)) continue;
    std::string_view t = base::trimSpaces(line);
    if (src.lineStart() >= end || (unwrapped && !t.empty() && t.front() == '~')) break;
    if (isBlankOrComment(t)) continue;
    if (unwrapped) {
      last = std::string(t);
      continue;
    }
    lastWasDepth = t.find(delimiter) == std::string_view::npos;
    if (lastWasDepth) {
      depthBeforeLast = lastDepth;
      lastDepth = std::string(t);
    }
  }
  return unwrapped ? last : lastWasDepth ? depthBeforeLast : lastDepth;
}

}  // namespace

namespace {
IndexBounds readIndexBoundsOrThrow(const FileView& file, const std::string& wrapValue);
}  // namespace

IndexBounds readIndexBounds(const FileView& file, const std::string& wrapValue) {
  IndexBounds b;
  try {
    return readIndexBoundsOrThrow(file, wrapValue);
  } catch (const std::exception&) {
    return b;  // 0: the data could not be read
  }
}

namespace {

IndexBounds readIndexBoundsOrThrow(const FileView& file, const std::string& wrapValue) {
  IndexBounds b;
  const las::SectionRow* section = file.directory.find(file.directory.dataSectionName);
  las::LineSource src(file.fileName);
  const std::int64_t size = src.fileSize();
  if (!section || section->start >= size) {
    b.result = 2;
    return b;
  }
  const std::optional<std::int64_t> start = section->start;
  const char delimiter = file.delimiter == '\0' ? ' ' : file.delimiter;
  {
    // The first line that is neither blank nor a comment (the data pass
    // knows where it is when the section holds one).
    const las::SectionFacts* facts = dataFactsOf(file, *section);
    const bool known = facts && facts->firstData.found();
    las::SectionCursor cursor(file.fileName, known ? facts->firstData.offset : section->start,
                              known ? facts->firstData.number : section->startLine, las::CursorRules{true, true, false},
                              file.poll);
    std::string_view line;
    if (cursor.next(line)) {
      b.firstText = std::string(indexText(base::trimSpaces(line), delimiter));
      b.first = roundTo(base::leadingNumber(b.firstText), 5);
      b.firstLine = cursor.lineNumber();
    }
  }
  // The last data line lies near the end of the data section: it is looked
  // for in the last 100,000 bytes, and further back, twice as far each time,
  // while those bytes give none (a wrapped file whose depth records are
  // longer than that). The window ends where the section ends, so that a
  // later data set of a version 3.0 file is never taken for this one.
  std::int64_t end = size;
  const auto& rows = file.directory.rows();
  for (std::size_t i = 0; i + 1 < rows.size(); ++i)
    if (rows[i].start == *start) end = rows[i + 1].titleStart;
  const bool unwrapped = base::iequals(wrapValue, "NO");
  std::string last;
  for (std::int64_t window = 100000;; window *= 2) {
    const std::int64_t from = end - window >= *start ? end - window : *start;
    last = lastIndexLine(src, from, from > *start, end, unwrapped, delimiter);
    if (!last.empty() || from == *start) break;
  }
  b.haveLast = !last.empty();
  b.lastText = std::string(indexText(last, delimiter));
  b.last = roundTo(base::leadingNumber(b.lastText), 4);
  b.result = -1;
  return b;
}

}  // namespace

namespace {

// The scan from the STEP facts of the data pass.
StepScan stepScanOf(const FileView& file, const las::StepFacts& step, char delimiter) {
  StepScan scan;
  if (step.changed) {
    scan.code = 3;
    scan.increment = step.changeIncrement;
    scan.location = fixed(step.changeIndex, 5);
    scan.line = step.change.number;
    scan.lineText = std::string(base::trimSpaces(lineTextAt(file, step.change)));
    return scan;
  }
  if (step.depthLines == 0) return scan;
  scan.code = -1;
  if (step.haveIncrement) {
    scan.increment = step.lastIncrement;
    scan.location = std::string(indexText(base::trimSpaces(lineTextAt(file, step.lastDepth)), delimiter));
  }
  return scan;
}

}  // namespace

StepScan scanStepIncrements(const FileView& file, int linesPerDepth) {
  StepScan scan;
  const las::SectionRow* section = file.directory.find(file.directory.dataSectionName);
  if (!section || section->start == 0 || section->start >= file.directory.fileSize()) return scan;
  const char delimiter = file.delimiter == '\0' ? ' ' : file.delimiter;
  if (linesPerDepth < 1) linesPerDepth = 1;
  if (const las::SectionFacts* facts = dataFactsOf(file, *section))
    if (facts->step && facts->step->linesPerDepth == linesPerDepth) return stepScanOf(file, *facts->step, delimiter);
  // The data section ends at the next section's title.
  las::SectionCursor cursor(file.fileName, *section, las::CursorRules{true, true, true}, file.poll);
  std::string_view line;
  int inRecord = 0;
  bool havePrevious = false, haveReference = false;
  double previous = 0;
  float reference = 0;
  while (cursor.next(line)) {
    std::string_view t = base::trimSpaces(line);
    if (inRecord++ > 0) {
      if (inRecord == linesPerDepth) inRecord = 0;
      continue;
    }
    if (linesPerDepth == 1) inRecord = 0;
    std::string_view text = indexText(t, delimiter);
    double index = roundTo(base::leadingNumber(text), 5);
    if (!havePrevious) {
      previous = index;
      havePrevious = true;
      continue;
    }
    float increment = static_cast<float>(index - previous);
    if (haveReference && increment != reference) {
      scan.code = 3;
      scan.increment = increment;
      scan.location = fixed(index, 5);
      scan.line = cursor.lineNumber();
      scan.lineText = std::string(t);
      return scan;
    }
    reference = increment;
    haveReference = true;
    previous = index;
    scan.increment = increment;
    scan.location.assign(text);
  }
  scan.code = havePrevious ? -1 : 0;
  return scan;
}

namespace {

struct WellIndexValues {
  double strt = 0, stop = 0;
  std::string strtUnit, stopUnit, stepUnit;
  double precisionUnit = 1;
};

WellIndexValues readWellIndexValues(const las::ParsedSection& well, const std::string& stepText) {
  WellIndexValues w;
  for (std::size_t r = 1; r < well.rows.size(); ++r) {
    const las::LasLineParts& row = well.rows[r];
    if (base::iequals(row.mnemonic, "STRT")) {
      w.strt = base::leadingNumber(row.value);
      w.strtUnit = row.unit;
    } else if (base::iequals(row.mnemonic, "STOP")) {
      w.stop = base::leadingNumber(row.value);
      w.stopUnit = row.unit;
    } else if (base::iequals(row.mnemonic, "STEP")) {
      w.stepUnit = row.unit;
    }
  }
  std::string_view stepValue = base::trimSpaces(stepText);
  if (!stepValue.empty() && base::leadingNumber(stepValue) != 0) {
    std::string stripped = stripChar(stepValue, '0');
    w.precisionUnit = (stripped.find('.') == std::string::npos || stripped.back() == '.')
                          ? 1.0
                          : std::pow(10.0, -static_cast<double>(decimalPlaces(stripped)));
  }
  return w;
}

std::string unitsMessage(const WellIndexValues& w, const las::ParsedSection& curves) {
  std::string indexMnemonic, indexUnit;
  if (curves.lineCount() > 0) {
    indexMnemonic = curves.rows[1].mnemonic;
    indexUnit = curves.rows[1].unit;
  }
  if (base::iequals(w.stopUnit, w.strtUnit) && base::iequals(w.stepUnit, w.strtUnit) &&
      base::iequals(indexUnit, w.strtUnit))
    return "";
  auto shown = [](const std::string& u) { return u.empty() ? std::string("<absent>") : u; };
  return " Units don't match: STRT=" + shown(w.strtUnit) + ", STOP=" + shown(w.stopUnit) +
         ", STEP=" + shown(w.stepUnit) + ", " + indexMnemonic + "=" + shown(indexUnit);
}

// Beyond this a last index is no depth or time a STOP could mean, and its
// digits at 5 decimal places are no longer the number read.
constexpr double kLargestStopRepair = 1e15;

// Why a STOP that holds the NULL value cannot be repaired with the last
// index read from the data ("" when it can): only a finite number actually
// read is ever written.
}  // namespace

std::string fixedDecimals(double value, int decimals) { return fixed(value, decimals); }

std::string stopMismatchText(double stop, double lastIndex) {
  // The last index is read to 4 decimal places; STOP is rounded alike, so
  // that a STOP written exactly as the last index is not taken to differ.
  return fixed(roundTo(stop, 4), 5) != fixed(lastIndex, 5)
             ? "STOP = " + base::numberText(stop) + ", Last ~ASCII index = " + base::numberText(lastIndex)
             : "";
}

namespace {

std::string unrepairableReason(const IndexBounds& bounds, const std::string& dataSectionName) {
  const std::string where = "~" + dataSectionName;
  if (!bounds.haveLast) return "no last index was found in " + where;
  std::optional<double> last = base::parseNumber(bounds.lastText);
  if (!last) return "the last index of " + where + ", " + bounds.lastText + ", is not a number";
  if (!std::isfinite(*last) || std::fabs(*last) >= kLargestStopRepair)
    return "the last index of " + where + ", " + bounds.lastText + ", is too large to be written as STOP";
  return "";
}

}  // namespace

FamilyResult checkIndexRange(const FileView& file, Handover& handover, OutcomeSlots& slots) {
  // 1. Values present.
  std::string missingValues;
  const std::pair<const char*, const std::string*> values[] = {
      {"STRT", &handover.strt}, {"STOP", &handover.stop}, {"STEP", &handover.step}, {"NULL", &handover.nullValue}};
  for (const auto& [name, value] : values)
    if (base::trimSpaces(*value).empty()) missingValues += std::string(name) + " value missing\r\n";
  slots[1] = missingValues;
  if (!missingValues.empty()) return FamilyResult::Record;

  // 2. Lines per depth record.
  las::DataReadContext ctx = file.dataContext();
  las::CurveTable curves;
  las::WrapStructure wrap = las::detectWrapStructure(ctx, 0, curves);
  const int linesPerDepth = wrap.linesPerDepth > 0 ? wrap.linesPerDepth : 1;

  WellIndexValues well = readWellIndexValues(file.wellSection, handover.step);
  slots[7] = unitsMessage(well, file.curveSection);

  IndexBounds bounds = readIndexBounds(file, handover.wrapValue);
  if (bounds.result == 0) return FamilyResult::InternalError;
  // No data lines: there is nothing to compare STRT, STOP and STEP with, so
  // those checks stay not performed.
  if (bounds.result == 2) return resultFromSlots(slots);

  const double strt = roundTo(well.strt, 5);
  slots[2] = "";
  if (strt != bounds.first) {
    const std::string message =
        "STRT = " + base::numberText(strt) + ", First ~ASCII index = " + base::numberText(bounds.first);
    slots[2].append(message, message, bounds.firstLine, bounds.firstText);
  }

  const bool stopIsNull = base::iequals(base::trimSpaces(handover.stop), base::trimSpaces(handover.nullValue)) &&
                          base::leadingNumber(handover.nullValue) == well.stop;
  if (stopIsNull) {
    // A real-time file: the run layer may write the last index into STOP.
    if (std::string why = unrepairableReason(bounds, file.directory.dataSectionName); !why.empty()) {
      slots[3] =
          "STOP holds the NULL value " + std::string(base::trimSpaces(handover.stop)) + " and was not repaired: " + why;
    } else {
      slots[3] = "";
      handover.stopRepair = StopRepairRequest{handover.stop, bounds.last};
    }
  } else {
    slots[3] = stopMismatchText(well.stop, bounds.last);
  }

  StepScan scan = scanStepIncrements(file, linesPerDepth);
  slots[4] = slots[5] = slots[6] = "";

  const std::string strippedStep = stripChar(base::trimSpaces(handover.step), '0');
  if (strippedStep.find('.') != std::string::npos && bounds.firstText.find('.') != std::string::npos &&
      decimalPlaces(bounds.firstText) < decimalPlaces(strippedStep))
    slots[5] = "Index channel does not carry enough precision for STEP. " + std::string(" Index has ") +
               std::to_string(decimalPlaces(bounds.firstText)) + " decimals while STEP has " +
               std::to_string(decimalPlaces(strippedStep)) + " decimals";

  const double step = base::leadingNumber(handover.step);
  if (scan.code == 0) return FamilyResult::InternalError;
  if (scan.code == 3 && step != 0) {
    double d = std::fabs(step - static_cast<double>(scan.increment));
    if (d <= well.precisionUnit) {
      const std::string message =
          "Possible rounding error? STEP value = " + std::string(base::trimSpaces(handover.step)) +
          ", last read increment @ " + scan.location + " was " + fixed(scan.increment, 5);
      slots[6].append(message, message, scan.line, scan.lineText);
    } else {
      const std::string message =
          "STEP no longer constant at : " + scan.location + " (" + fixed(scan.increment, 5) + ")";
      slots[4].append(message, message, scan.line, scan.lineText);
    }
  } else if (scan.code == -1 && step != 0) {
    if (fixed(step, 5) != fixed(scan.increment, 5))
      slots[4] = "~Well STEP value = " + fixed(step, 5) + ", last read increment @ " + scan.location + " was " +
                 fixed(scan.increment, 5);
  } else if (scan.code == -1 && step == 0) {
    slots[4] = "~Well STEP value is 0.0 (implies non-constant step) but the STEP as read from ~" +
               file.directory.dataSectionName + " section was constant @ " + fixed(scan.increment, 5);
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
