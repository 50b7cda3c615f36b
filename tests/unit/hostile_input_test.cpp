// What a file can make the reading layer and the checks hold, and how long
// they take: case-insensitive searches in linear time, section tables and
// header lines within their limits (and a finding when a file goes beyond
// them), check texts, findings and reports within their budgets.
#include <gtest/gtest.h>

#include <random>

#include "base/text_utils.h"
#include "bench/hostile_inputs.h"
#include "certify/outcome.h"
#include "certify/report.h"
#include "las/data_reader.h"
#include "las/line_parser.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"
#include "run/certification.h"
#include "support/las_fixture.h"

using namespace korrivan;
using certify::OutcomeSlot;
using korrivan::test::ScratchDir;

namespace {

std::size_t plainFind(std::string_view s, std::string_view needle, std::size_t from) {
  for (std::size_t i = from; i + needle.size() <= s.size(); ++i)
    if (base::iequals(s.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

std::size_t plainRfind(std::string_view s, std::string_view needle) {
  for (std::size_t i = s.size() + 1; i-- > 0;)
    if (i + needle.size() <= s.size() && base::iequals(s.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

TEST(CaseInsensitiveSearch, LongNeedlesFindWhatComparingEveryPositionFinds) {
  std::mt19937 random(3);
  const std::string letters = "aA:b";
  for (int round = 0; round < 2000; ++round) {
    std::string s(random() % 200, ' '), needle(1 + random() % 40, ' ');
    for (char& c : s) c = letters[random() % letters.size()];
    for (char& c : needle) c = letters[random() % 2];  // a/A runs, found often
    if (round % 3 == 0) s.insert(random() % (s.size() + 1), needle);
    const std::size_t from = random() % (s.size() + 1);
    ASSERT_EQ(base::ifind(s, needle, from), plainFind(s, needle, from)) << s << " / " << needle;
    ASSERT_EQ(base::irfind(s, needle), plainRfind(s, needle)) << s << " / " << needle;
  }
}

// A format holding colons followed on the line by text that nearly repeats
// it: the description colon is still found at once, also on a long line.
TEST(CaseInsensitiveSearch, DescriptionColonOfALongLine) {
  const std::string a(200000, 'a');
  const std::string line = " LONG.  V : D {" + a + ":} " + a;
  std::int64_t brace = 0;
  EXPECT_EQ(las::findDescriptionColon(line, &brace), 11);
  EXPECT_EQ(brace, 15);
  EXPECT_EQ(las::getDescription(line), "D");
  EXPECT_EQ(las::findDescriptionColon("TIME.    12:30:00 : Start time {hh:mm:ss}"), 19);
  // The format stands only before the last brace: the last colon counts.
  EXPECT_EQ(las::findDescriptionColon("T. 1 : d {h:m} x {F:}"), 20);
}

TEST(SectionLimits, LongTitlesAreKeptCutWithTheirLength) {
  ScratchDir dir;
  const std::string name(1000, 'N'), association(700, 'a');
  const std::string file = dir.writeLas("t.las", {"~Version", "~" + name + "_Data | " + association, "1 2"});
  las::SectionDirectory d;
  d.locateMainSections(file, 3.0f);
  ASSERT_EQ(d.rows().size(), 2u);
  EXPECT_EQ(d.rows()[1].name, name.substr(0, las::kMaxNameLength));
  EXPECT_EQ(d.rows()[1].nameLength, 1005);
  EXPECT_EQ(d.rows()[1].association, association.substr(0, las::kMaxNameLength));
  EXPECT_NE(d.find(std::string(las::kMaxNameLength, 'n')), nullptr);  // lookups ignore case
}

TEST(SectionLimits, SectionsBeyondTheirLimitsAreReadInPartAndMarkedCut) {
  ScratchDir dir;
  std::vector<std::string> lines = {"~Version", " VERS. 3.0 : v", "~Log_Parameter"};
  for (std::size_t i = 0; i < las::kMaxSectionRows + 10; ++i) lines.push_back(" P" + std::to_string(i) + ". 1 : p");
  lines.push_back("~Big_Parameter");
  const std::string longLine = " B.  " + std::string(9000, 'x') + " : b";
  for (int i = 0; i < 130; ++i) lines.push_back(longLine);
  las::SectionDirectory d;
  d.locateMainSections(dir.writeLas("cut.las", lines), 3.0f);
  las::ParsedSection table;
  las::parseSection(d, table, "Log_Parameter", {',', 3.0f});
  EXPECT_TRUE(table.cut);
  EXPECT_EQ(table.lineCount(), las::kMaxSectionRows);
  EXPECT_EQ(table.cutAtLine, 4 + static_cast<std::int64_t>(las::kMaxSectionRows));
  las::parseSection(d, table, "Big_Parameter", {',', 3.0f});
  EXPECT_TRUE(table.cut);
  EXPECT_EQ(table.lineCount(), static_cast<std::size_t>(las::kMaxSectionText) / (longLine.size() + 2));
  EXPECT_EQ(table.name, "Big_Parameter");
  las::parseSection(d, table, "Version", {',', 3.0f});
  EXPECT_FALSE(table.cut);

  las::CurveTable curves;
  ASSERT_TRUE(las::readCurveDefinitions(curves, d, "Log_Parameter"));
  EXPECT_EQ(curves.size(), las::kMaxSectionRows);
}

// Certifies lines written as a file; the report's first failed check and its text.
std::pair<std::string, std::string> firstFailure(const ScratchDir& dir, const std::vector<std::string>& lines) {
  const std::string file = dir.writeLas("run.las", lines);
  run::CertifyOptions options;
  options.repair = run::RepairPolicy::ReportOnly;
  options.log.programFolder = dir.path().string();
  certify::SilentHooks hooks;
  const run::Certification c = run::certifyFile(file, options, hooks);
  const run::CheckResult* f = c.firstFailure();
  if (!f) return {"passed", ""};
  return {f->idText(), f->cellText};
}

std::vector<std::string> headerV3() {
  return {"~Version", " VERS.   3.0   : V",   " WRAP.   NO    : W", " DLM .   COMMA : D",
          "~Well",    " STRT .M  1.0 : S {F}"};
}

const std::vector<std::string>& dataSetV3() {
  static const std::vector<std::string> lines = {"~Log_Definition", " DEPT .M : d {F}", " GR .G : g {F}",
                                                 "~Log_Data | Log_Definition", "1.0,2.0"};
  return lines;
}

TEST(SectionLimits, LineSyntaxSaysWhereASectionWasCut) {
  ScratchDir dir;
  std::vector<std::string> v3 = headerV3();
  v3.push_back("~Log_Parameter");
  for (std::size_t i = 0; i < las::kMaxSectionRows + 1; ++i) v3.push_back(" P" + std::to_string(i) + " . 1 : p");
  v3.insert(v3.end(), dataSetV3().begin(), dataSetV3().end());
  auto [check, text] = firstFailure(dir, v3);
  EXPECT_EQ(check, "4j");
  EXPECT_EQ(text,
            "Section too large: more than 5000 parameter data lines or 1048576 bytes, read up to line 5008 ( in "
            "~Log_Parameter)\r\n");

  std::vector<std::string> v2 = {"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "~Well", " STRT.M 1 : s", "~Curve"};
  for (std::size_t i = 0; i < las::kMaxSectionRows + 1; ++i) v2.push_back(" C" + std::to_string(i) + ".M : c");
  v2.insert(v2.end(), {"~ASCII", "1 2"});
  std::tie(check, text) = firstFailure(dir, v2);
  EXPECT_EQ(check, "4e");
  EXPECT_NE(text.find("\r\nSection ~Curve too large: more than 5000 parameter data lines or 1048576 bytes, read up "
                      "to line 5007"),
            std::string::npos);
}

TEST(SectionLimits, HeaderLinesTooLongToExamineAreShownInPart) {
  ScratchDir dir;
  const std::string longLine = " LONG.U " + std::string(las::kMaxHeaderLine, 'x') + " : d";
  std::vector<std::string> v3 = headerV3();
  v3.push_back(longLine);
  v3.insert(v3.end(), dataSetV3().begin(), dataSetV3().end());
  auto [check, text] = firstFailure(dir, v3);
  EXPECT_EQ(check, "4j");
  EXPECT_EQ(text, "Line longer than 65536 characters ( in ~Well)\r\n" + longLine.substr(1, OutcomeSlot::kMaxLineText) +
                      "\r\n");
  std::tie(check, text) = firstFailure(
      dir, {"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "~Well", longLine, "~Curve", " DEPT.M : d", "~ASCII", "1"});
  EXPECT_EQ(check, "4e");
  EXPECT_NE(text.find("\r\nLine longer than 65536 characters\r\n" + longLine.substr(0, OutcomeSlot::kMaxLineText)),
            std::string::npos);
}

TEST(SlotBudget, TextsAndFindingsStayWithinTheirSizes) {
  OutcomeSlot assigned(std::string(OutcomeSlot::kMaxText, 'x') + "\r\nmore\r\n");
  EXPECT_TRUE(assigned.full());
  EXPECT_EQ(assigned.text(), std::string(certify::kFindingsNotListed) + "\r\n");  // no whole line fitted

  std::string lines;
  while (lines.size() < OutcomeSlot::kMaxText) lines += "a finding\r\n";
  assigned = lines;
  EXPECT_LE(assigned.text().size(), OutcomeSlot::kMaxText + certify::kFindingsNotListed.size() + 2);
  EXPECT_TRUE(assigned.text().ends_with("a finding\r\n" + std::string(certify::kFindingsNotListed) + "\r\n"));

  OutcomeSlot slot;
  const std::string line(OutcomeSlot::kMaxLineText * 2, 'L');
  for (int i = 0; i < 100000 && !slot.full(); ++i) slot.append({"message ", std::to_string(i)}, "\r\n", i + 1, line);
  EXPECT_TRUE(slot.full());
  EXPECT_LE(slot.text().size(), OutcomeSlot::kMaxText + 64);
  const auto findings = slot.findings();
  EXPECT_LE(findings.size(), OutcomeSlot::kMaxFindings);
  std::size_t bytes = 0;
  for (const certify::Finding& f : findings) bytes += f.message.size() + f.lineText.size();
  EXPECT_LE(bytes, OutcomeSlot::kMaxFindingsBytes);
  EXPECT_EQ(findings.front().lineText.size(), OutcomeSlot::kMaxLineText);

  // An entry of pieces that would not be listed is never put together.
  OutcomeSlot pieces;
  pieces += {"\r\n", std::string(OutcomeSlot::kMaxText, 'p')};
  EXPECT_EQ(pieces.text(), "\r\n" + std::string(certify::kFindingsNotListed));
}

TEST(ReportBudget, ChecksAndTheWholeReportStayWithinTheirSizes) {
  certify::CheckTable table = certify::catalogueTable(certify::CatalogueKind::Version3, "Log_Data", false);
  std::string blankLines;  // the text whose report lines grow most: "Errors: " per CR LF
  while (blankLines.size() < OutcomeSlot::kMaxText) blankLines += "\r\n";
  for (int row = 1; row <= 11; ++row) table.outcome(4, row) = blankLines;
  const std::string report = certify::buildReport(table, {"x.las", 3.0f, {}});
  EXPECT_LE(report.size(), certify::kMaxReportText + 64 * 1024);
  const std::string cut = "Errors: " + std::string(certify::kFindingsNotListed) + "\r\n";
  std::size_t cuts = 0;
  for (std::size_t at = report.find(cut); at != std::string::npos; at = report.find(cut, at + 1)) ++cuts;
  EXPECT_EQ(cuts, 11u);
}

// Every hostile shape, small, certifies to a report within its budget.
TEST(HostileShapes, SmallVersionsCertifyWithinTheirBudgets) {
  ScratchDir dir;
  for (const bench::HostileShape& shape : bench::hostileShapes()) {
    const std::string file = (dir.path() / (std::string(shape.name) + ".las")).string();
    bench::writeHostileLas(file, shape.name, 256 << 10);
    run::CertifyOptions options;
    options.repair = run::RepairPolicy::ReportOnly;
    options.log.programFolder = dir.path().string();
    certify::SilentHooks hooks;
    const run::Certification c = run::certifyFile(file, options, hooks);
    EXPECT_EQ(c.end, run::CertifyEnd::Completed) << shape.name;
    const std::string report = certify::buildReport(c.table(), {file, c.detectedVersion, {}});
    EXPECT_FALSE(report.empty()) << shape.name;
    EXPECT_LE(report.size(), certify::kMaxReportText + 64 * 1024) << shape.name;
  }
}

}  // namespace
