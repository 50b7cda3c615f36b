// STRT, STOP and STEP of the ~Well section against the index channel of the
// data section, and the header lookups they rest on.
#include <cmath>
#include <cstdio>
#include <utility>

#include "certify/las_file_lock.h"
#include "checks/family.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "las/text_utils.h"
#include "tools/header_line_editor.h"

namespace korrivan::checks {

std::string stripChar(std::string_view text, char c) {
  std::size_t b = text.find_first_not_of(c);
  if (b == std::string_view::npos) return "";
  std::size_t e = text.find_last_not_of(c);
  return std::string(text.substr(b, e - b + 1));
}

HeaderValue readHeaderValue(las::SectionDirectory& directory, std::string_view mnemonic, std::string_view sectionName,
                            float version) {
  HeaderValue out;
  try {
    std::optional<std::int64_t> start;
    if (!sectionName.empty()) start = directory.sectionStart(sectionName);
    las::LineSource src(directory.fileName());
    src.seek(start.value_or(0));
    std::string_view raw;
    while (src.next(raw)) {
      std::string_view line = las::trimLeadingSpaces(raw);
      if (las::istartsWith(line, "~A")) {
        out.notFound = true;
        out.value = " ";
        return out;
      }
      if (!las::iequals(las::getMnemonic(line), mnemonic)) continue;
      const bool keyword = las::iequals(mnemonic, "STRT") || las::iequals(mnemonic, "STOP") ||
                           las::iequals(mnemonic, "STEP") || las::iequals(mnemonic, "NULL");
      if (version == 1.2f && !keyword && las::iequals(sectionName, "W"))
        out.value = std::string(las::trimSpaces(las::getDescription(line)));
      else
        out.value = std::string(las::trimSpaces(las::getValue(line)));
      out.unit = std::string(las::trimSpaces(las::getUnit(line)));
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

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, roundTo(v, decimals));
  std::string s = buf;
  if (s.find_first_not_of("-0.") == std::string::npos && s.front() == '-') s.erase(0, 1);  // no "-0.00000"
  return s;
}

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
    std::string_view t = las::trimSpaces(line);
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

IndexBounds readIndexBounds(CertifyRun& run) {
  IndexBounds b;
  auto start = run.directory.sectionStart(run.directory.dataSectionName);
  las::LineSource src(run.fileName);
  const std::int64_t size = src.fileSize();
  if (!start || *start >= size) {
    b.result = 2;
    return b;
  }
  const char delimiter = run.delimiter == '\0' ? ' ' : run.delimiter;
  src.seek(*start);
  std::string_view line;
  while (src.next(line)) {
    std::string_view t = las::trimSpaces(line);
    if (isBlankOrComment(t)) continue;
    b.firstText = std::string(indexText(t, delimiter));
    b.first = roundTo(las::leadingNumber(b.firstText), 5);
    break;
  }
  // The last data line lies near the end of the data section: it is looked
  // for in the last 100,000 bytes, and further back, twice as far each time,
  // while those bytes give none (a wrapped file whose depth records are
  // longer than that). The window ends where the section ends, so that a
  // later data set of a version 3.0 file is never taken for this one.
  std::int64_t end = size;
  const auto& rows = run.directory.rows();
  for (std::size_t i = 0; i + 1 < rows.size(); ++i)
    if (rows[i].start == *start) end = rows[i + 1].titleStart;
  const bool unwrapped = las::iequals(run.wrapValue, "NO");
  std::string last;
  for (std::int64_t window = 100000;; window *= 2) {
    const std::int64_t from = end - window >= *start ? end - window : *start;
    last = lastIndexLine(src, from, from > *start, end, unwrapped, delimiter);
    if (!last.empty() || from == *start) break;
  }
  b.haveLast = !last.empty();
  b.lastText = std::string(indexText(last, delimiter));
  b.last = roundTo(las::leadingNumber(b.lastText), 4);
  b.result = -1;
  return b;
}

StepScan scanStepIncrements(CertifyRun& run, int linesPerDepth) {
  StepScan scan;
  certify::BusyPointer busy(run.hooks);
  auto start = run.directory.sectionStart(run.directory.dataSectionName);
  las::LineSource src(run.fileName);
  if (!start || *start == 0 || *start >= src.fileSize()) return scan;
  const char delimiter = run.delimiter == '\0' ? ' ' : run.delimiter;
  if (linesPerDepth < 1) linesPerDepth = 1;
  src.seek(*start);
  std::string_view line;
  int inRecord = 0;
  bool havePrevious = false, haveReference = false;
  double previous = 0;
  float reference = 0;
  while (src.next(line)) {
    std::string_view t = las::trimSpaces(line);
    if (isBlankOrComment(t)) continue;
    if (t.front() == '~') break;  // the data section ends at the next section's title
    if (inRecord++ > 0) {
      if (inRecord == linesPerDepth) inRecord = 0;
      continue;
    }
    if (linesPerDepth == 1) inRecord = 0;
    std::string_view text = indexText(t, delimiter);
    double index = roundTo(las::leadingNumber(text), 5);
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
    if (las::iequals(row.mnemonic, "STRT")) {
      w.strt = las::leadingNumber(row.value);
      w.strtUnit = row.unit;
    } else if (las::iequals(row.mnemonic, "STOP")) {
      w.stop = las::leadingNumber(row.value);
      w.stopUnit = row.unit;
    } else if (las::iequals(row.mnemonic, "STEP")) {
      w.stepUnit = row.unit;
    }
  }
  std::string_view stepValue = las::trimSpaces(stepText);
  if (!stepValue.empty() && las::leadingNumber(stepValue) != 0) {
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
  if (las::iequals(w.stopUnit, w.strtUnit) && las::iequals(w.stepUnit, w.strtUnit) &&
      las::iequals(indexUnit, w.strtUnit))
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
std::string unrepairableReason(const IndexBounds& bounds, const std::string& dataSectionName) {
  const std::string where = "~" + dataSectionName;
  if (!bounds.haveLast) return "no last index was found in " + where;
  std::optional<double> last = las::parseNumber(bounds.lastText);
  if (!last) return "the last index of " + where + ", " + bounds.lastText + ", is not a number";
  if (!std::isfinite(*last) || std::fabs(*last) >= kLargestStopRepair)
    return "the last index of " + where + ", " + bounds.lastText + ", is too large to be written as STOP";
  return "";
}

enum class StopRepair { Repaired, ChangedMeanwhile, Failed };

// Writes the last index into a STOP left at the NULL value. The file is
// locked exclusively for it, and since another run may have repaired it
// while this one waited, the section directory and the STOP line are read
// anew first: only a STOP still at the NULL value is replaced. Otherwise
// `current` receives the value found.
StopRepair repairNullStop(CertifyRun& run, double lastIndex, std::string& current) {
  certify::LasFileLock ownLock(run.fileName);
  certify::LasFileLock& lock = run.session.lasFileLock ? *run.session.lasFileLock : ownLock;
  // The ~Well section as the file titles it ("~W" in many 1.2/2.0 files).
  tools::EditRequest request{run.fileName, "STOP", 'V', fixed(lastIndex, 5), run.wellSectionName};
  StopRepair outcome = StopRepair::Failed;
  try {
    lock.lockExclusive();
    run.directory.locateMainSections(run.fileName, run.version);
    current = readHeaderValue(run.directory, "STOP", run.wellSectionName, run.version).value;
    if (!las::iequals(las::trimSpaces(current), las::trimSpaces(run.stop)))
      outcome = StopRepair::ChangedMeanwhile;
    else if (tools::editHeaderLine(request, run.directory, run.hooks) == tools::EditResult::Rewritten)
      outcome = StopRepair::Repaired;
  } catch (const std::exception& e) {
    run.familyError = certify::pendingError(e);
  }
  if (outcome == StopRepair::Repaired) {
    // Every section after the STOP line may have moved: read the directory anew.
    run.directory.locateMainSections(run.fileName, run.version);
  }
  lock.lockShared();  // back to reading, on the file now in place
  if (outcome != StopRepair::Failed) return outcome;
  if (run.hooks.interactive()) {
    run.hooks.messageBox(certify::MessageIcon::Critical, "Error Repairing Null STOP Value",
                         "STOP was NULL (real time file?), but there was an error attempting to update the STOP value "
                         "in ~Well section with last index value of ~" +
                             run.directory.dataSectionName +
                             ". Manually change the STOP parameter value to the correct number and try Korrivan "
                             "again.",
                         certify::MessageButtons::Ok, certify::MessageAnswer::Ok);
  }
  return StopRepair::Failed;
}

}  // namespace

FamilyResult checkIndexRange(CertifyRun& run, OutcomeSlots& slots) {
  // 1. Values present.
  std::string missingValues;
  const std::pair<const char*, const std::string*> values[] = {
      {"STRT", &run.strt}, {"STOP", &run.stop}, {"STEP", &run.step}, {"NULL", &run.nullValue}};
  for (const auto& [name, value] : values)
    if (las::trimSpaces(*value).empty()) missingValues += std::string(name) + " value missing\r\n";
  slots[1] = missingValues;
  if (!missingValues.empty()) return FamilyResult::Record;

  // 2. Lines per depth record.
  las::DataReadContext ctx = run.dataContext();
  las::WrapStructure wrap = las::detectWrapStructure(ctx, 0, run.curves);
  const int linesPerDepth = wrap.linesPerDepth > 0 ? wrap.linesPerDepth : 1;

  WellIndexValues well = readWellIndexValues(run.wellSection, run.step);
  slots[7] = unitsMessage(well, run.curveSection);

  IndexBounds bounds = readIndexBounds(run);
  if (bounds.result == 0) return FamilyResult::InternalError;

  const double strt = roundTo(well.strt, 5);
  slots[2] = strt != bounds.first
                 ? "STRT = " + las::numberText(strt) + ", First ~ASCII index = " + las::numberText(bounds.first)
                 : "";

  bool stopIsNull = las::iequals(las::trimSpaces(run.stop), las::trimSpaces(run.nullValue)) &&
                    las::leadingNumber(run.nullValue) == well.stop;
  if (stopIsNull) {
    std::string current;
    if (std::string why = unrepairableReason(bounds, run.directory.dataSectionName); !why.empty()) {
      slots[3] =
          "STOP holds the NULL value " + std::string(las::trimSpaces(run.stop)) + " and was not repaired: " + why;
    } else {
      StopRepair repair = repairNullStop(run, bounds.last, current);
      if (repair == StopRepair::Failed) return FamilyResult::InternalError;
      slots[3] = "";
      if (repair == StopRepair::ChangedMeanwhile) {  // by another run: checked like any STOP
        stopIsNull = false;
        well.stop = las::leadingNumber(current);
      }
    }
  }
  if (!stopIsNull) {
    // The last index is read to 4 decimal places; STOP is rounded alike, so
    // that a STOP written exactly as the last index is not taken to differ.
    slots[3] = fixed(roundTo(well.stop, 4), 5) != fixed(bounds.last, 5)
                   ? "STOP = " + las::numberText(well.stop) + ", Last ~ASCII index = " + las::numberText(bounds.last)
                   : "";
  }

  StepScan scan = scanStepIncrements(run, linesPerDepth);
  slots[4] = slots[5] = slots[6] = "";

  const std::string strippedStep = stripChar(las::trimSpaces(run.step), '0');
  if (strippedStep.find('.') != std::string::npos && bounds.firstText.find('.') != std::string::npos &&
      decimalPlaces(bounds.firstText) < decimalPlaces(strippedStep))
    slots[5] = "Index channel does not carry enough precision for STEP. " + std::string(" Index has ") +
               std::to_string(decimalPlaces(bounds.firstText)) + " decimals while STEP has " +
               std::to_string(decimalPlaces(strippedStep)) + " decimals";

  const double step = las::leadingNumber(run.step);
  if (scan.code == 0) return FamilyResult::InternalError;
  if (scan.code == 3 && step != 0) {
    double d = std::fabs(step - static_cast<double>(scan.increment));
    if (d <= well.precisionUnit)
      slots[6] = "Possible rounding error? STEP value = " + std::string(las::trimSpaces(run.step)) +
                 ", last read increment @ " + scan.location + " was " + fixed(scan.increment, 5);
    else
      slots[4] = "STEP no longer constant at : " + scan.location + " (" + fixed(scan.increment, 5) + ")";
  } else if (scan.code == -1 && step != 0) {
    if (fixed(step, 5) != fixed(scan.increment, 5))
      slots[4] = "~Well STEP value = " + fixed(step, 5) + ", last read increment @ " + scan.location + " was " +
                 fixed(scan.increment, 5);
  } else if (scan.code == -1 && step == 0) {
    slots[4] = "~Well STEP value is 0.0 (implies non-constant step) but the STEP as read from ~" +
               run.directory.dataSectionName + " section was constant @ " + fixed(scan.increment, 5);
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
