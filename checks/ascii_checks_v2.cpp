// ~ASCII section (versions 1.2 and 2.0): channel count against ~Curve, the
// field count of every depth record, line lengths by WRAP, and ~ASCII as the
// last section of the file.
#include "base/text_utils.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "las/data_reader.h"
#include "las/line_source.h"
#include "las/section_cursor.h"

namespace korrivan::checks {

namespace {

// What a depth record holds: its space-separated fields (runs of spaces are
// one separator, and joining lines with a space never merges two fields),
// and whether it holds a tilde or a double quote.
struct LineScan {
  std::size_t fields = 0;
  bool tilde = false;
  bool quote = false;
  void add(const LineScan& line) {
    fields += line.fields;
    tilde = tilde || line.tilde;
    quote = quote || line.quote;
  }
};

LineScan scanLine(std::string_view line) {
  LineScan scan;
  bool inField = false;
  for (const char c : line) {
    if (c == ' ') {
      inField = false;
      continue;
    }
    if (!inField) ++scan.fields;
    inField = true;
    scan.tilde = scan.tilde || c == '~';
    scan.quote = scan.quote || c == '"';
  }
  return scan;
}

// The record's lines joined with single spaces and trimmed, read again from
// the record's start; the source ends where it was, after the record.
std::string recordText(las::LineSource& src, std::int64_t recordStart, std::int64_t recordLine, int lines) {
  src.seek(recordStart, recordLine);
  std::string text;
  std::string_view line;
  for (int i = 0; i < lines && src.next(line); ++i) {
    if (i > 0) text += ' ';
    text += line;
  }
  return std::string(base::trimSpaces(text));
}

// Where the record walk over a data section begins: at the first record
// the data pass cannot vouch for, the first that may fail a check or end the
// walk (a quote needs a closer count, a tilde ends the walk), or at the record
// that holds the section's end. Every record before it has `expected`
// fields and no line longer than kLongLineLimits[lengthLimitAt] (when >= 0).
struct WalkStart {
  std::int64_t offset = 0;
  std::int64_t line = 0;
};

WalkStart walkStart(const FileView& file, const las::SectionRow& d, int linesPerRecord, int lengthLimitAt,
                    std::int64_t expected) {
  const WalkStart fromTop{d.start, d.startLine};
  const las::SectionFacts* facts = dataFactsOf(file, d);
  const las::RecordFacts* records = facts ? facts->recordsOf(linesPerRecord) : nullptr;
  if (!records) return fromTop;
  std::int64_t first = facts->lines;
  auto before = [&first](const las::LineRef& line) {
    if (line.found() && line.index < first) first = line.index;
  };
  before(facts->firstQuote);
  before(facts->firstTilde);
  if (lengthLimitAt >= 0) before(facts->firstLongerThan[lengthLimitAt]);
  if (!records->haveFirst || records->firstFields != expected) first = 0;
  if (records->firstDifferent >= 0 && records->firstDifferent < first) first = records->firstDifferent;
  const std::int64_t record = first / linesPerRecord * linesPerRecord;
  if (record == 0) return fromTop;
  las::LineSource src(file.fileName);
  return {facts->offsetOfLine(src, record), d.startLine + record};
}

}  // namespace

FamilyResult checkAsciiSection(const FileView& file, Handover& handover, OutcomeSlots& slots) {
  for (int k = 1; k <= 4; ++k) slots[static_cast<std::size_t>(k)].clear();
  const bool wrapped = !base::iequals(handover.wrapValue, "NO");
  // The line-length limits are part of the certification only while the
  // WRAP line-length check is in the catalogue.
  const bool checkLengths = file.doWrap;
  const int linesPerDepth = handover.linesPerDepth > 0 ? handover.linesPerDepth : 1;
  const int wanted = wrapped ? linesPerDepth : 1;
  const std::int64_t lengthLimit = las::kLongLineLimits[wrapped ? 0 : 1];

  ParsedSections parsed(file);
  for (const las::SectionRow& d : file.directory.rows()) {
    if (d.kind != las::SectionKind::Data) continue;
    const las::ParsedSection& curve = parsed.get(d.association);
    const std::int64_t n = static_cast<std::int64_t>(curve.lineCount());
    const std::int64_t k = handover.valuesPerDepth;
    if (n != k) {
      slots[1] = "~" + d.association + " has " + std::to_string(n) + " channel descriptions while ~" + d.name +
                 " 1st line has " + std::to_string(k) + " delimited channels. ";
      return FamilyResult::Record;
    }
    // Records are read to the end of the file; one holding a tilde ends the walk.
    const WalkStart start = walkStart(file, d, wanted, checkLengths ? (wrapped ? 0 : 1) : -1, n);
    las::SectionCursor cursor(file.fileName, start.offset, start.line, las::CursorRules{false, false, false},
                              file.poll);
    las::LineSource& src = cursor.source();
    std::string_view line;
    bool stop = false;
    while (!stop) {
      // One depth record: its lines are scanned as they are read; the
      // record's text is put together only when it is needed.
      LineScan record;
      std::int64_t recordStart = 0, recordLine = 0;
      int read = 0;
      while (read < wanted && cursor.next(line)) {
        if (read++ == 0) {
          recordStart = cursor.lineStart();
          recordLine = cursor.lineNumber();
        }
        const std::int64_t length = cursor.lineLength();
        if (checkLengths && length > lengthLimit) {
          const std::string message =
              wrapped ? "Line too long for WRAP YES. Was " + std::to_string(length) + " long. 80 is max."
                      : "Line too long for WRAP NO. Was " + std::to_string(length) + " long. 256 is max.";
          slots[4].append(message + "\r\n" + std::string(line), message, cursor.lineNumber(), line);
          stop = true;
          break;
        }
        record.add(scanLine(line));
      }
      // An incomplete last record is still a record: its count tells.
      if (stop || read == 0) break;
      if (record.tilde) break;  // the next section has begun
      auto count = static_cast<std::int64_t>(record.fields);
      std::string text;
      if (record.quote) {
        text = recordText(src, recordStart, recordLine, read);
        count = static_cast<std::int64_t>(text.empty() ? 0 : las::countDataFields(text, ' '));
      }
      if (count != n) {
        if (!record.quote) text = recordText(src, recordStart, recordLine, read);
        const std::string message =
            "Space delimited column count differs from ~Curve channel count. Expected: " + std::to_string(n) +
            ". Found: " + std::to_string(count);
        slots[2].append(message + "\r\n" + text, message, recordLine, text);
        break;
      }
    }
    if (!slots[2].empty() || !slots[4].empty()) return resultFromSlots(slots);
  }

  const auto& rows = file.directory.rows();
  if (!rows.empty()) {
    const std::string& last = rows.back().name;
    if (!base::istartsWith(last, "A") && !base::iequals(last, "Ascii"))
      slots[3] = "~ASCII section is not last section in the file. ~" + last + " was.";
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
