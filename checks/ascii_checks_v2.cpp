// ~ASCII section (versions 1.2 and 2.0): channel count against ~Curve, the
// field count of every depth record, line lengths by WRAP, and ~ASCII as the
// last section of the file.
#include "checks/family.h"
#include "las/data_reader.h"
#include "las/line_source.h"
#include "las/text_utils.h"

namespace korrivan::checks {

FamilyResult checkAsciiSection(CertifyRun& run, OutcomeSlots& slots) {
  for (int k = 1; k <= 4; ++k) slots[static_cast<std::size_t>(k)].clear();
  const bool wrapped = !las::iequals(run.wrapValue, "NO");
  // The line-length limits are part of the certification only while the
  // WRAP line-length check is in the catalogue.
  const bool checkLengths = run.session.doWrap;
  const int linesPerDepth = run.linesPerDepth > 0 ? run.linesPerDepth : 1;

  for (const las::SectionRow& d : run.directory.rows()) {
    if (d.kind != las::SectionKind::Data) continue;
    las::ParsedSection curve;
    las::parseSection(run.directory, curve, d.association, run.lineRules());
    const std::int64_t n = static_cast<std::int64_t>(curve.lineCount());
    const std::int64_t k = run.valuesPerDepth;
    if (n != k) {
      slots[1] = "~" + d.association + " has " + std::to_string(n) + " channel descriptions while ~" + d.name +
                 " 1st line has " + std::to_string(k) + " delimited channels. ";
      return FamilyResult::Record;
    }
    auto start = run.directory.sectionStart(d.name);
    if (!start) return FamilyResult::InternalError;
    las::LineSource src(run.fileName);
    src.seek(*start);
    std::string_view line;
    bool stop = false;
    std::string record;  // reused from record to record
    while (!stop) {
      record.clear();
      int read = 0;
      const int wanted = wrapped ? linesPerDepth : 1;
      while (read < wanted && src.next(line)) {
        ++read;
        const std::int64_t length = src.lineLength();
        if (checkLengths && wrapped && length > 78) {
          slots[4] =
              "Line too long for WRAP YES. Was " + std::to_string(length) + " long. 80 is max.\r\n" + std::string(line);
          stop = true;
          break;
        }
        if (checkLengths && !wrapped && length > 254) {
          slots[4] =
              "Line too long for WRAP NO. Was " + std::to_string(length) + " long. 256 is max.\r\n" + std::string(line);
          stop = true;
          break;
        }
        if (read > 1) record += ' ';
        record += line;
      }
      // An incomplete last record is still a record: its count tells.
      if (stop || read == 0) break;
      std::string_view t = las::trimSpaces(record);
      if (t.find('~') != std::string_view::npos) break;
      const auto count = static_cast<std::int64_t>(t.empty() ? 0 : las::countDataFields(t, ' '));
      if (count != n) {
        slots[2] = "Space delimited column count differs from ~Curve channel count. Expected: " + std::to_string(n) +
                   ". Found: " + std::to_string(count) + "\r\n" + std::string(t);
        break;
      }
    }
    if (!slots[2].empty() || !slots[4].empty()) return resultFromSlots(slots);
  }

  const auto& rows = run.directory.rows();
  if (!rows.empty()) {
    const std::string& last = rows.back().name;
    if (!las::istartsWith(last, "A") && !las::iequals(last, "Ascii"))
      slots[3] = "~ASCII section is not last section in the file. ~" + last + " was.";
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
