// The check catalogue, outcome recording and the report layout.
#include <gtest/gtest.h>

#include "certify/check_table.h"
#include "certify/report.h"
#include "certify/run_hooks.h"
#include "support/las_fixture.h"

using namespace korrivan::certify;
using korrivan::test::splitCrLf;

namespace {

int checksInGroup(const CheckTable& t, int group) {
  int n = 0;
  for (int r = 1; r <= kLastRow; ++r) n += t.checkName(group, r).empty() ? 0 : 1;
  return n;
}

ReportHeader header(float version) { return {"C:/logs/well.las", version, std::chrono::system_clock::now()}; }

TEST(Catalogue, GroupSizesAndTheWrapRow) {
  CheckTables tables;
  fillCheckCatalogue(tables, "", false);
  const int v3[] = {7, 9, 14, 11, 6, 7, 3, 2, 5};
  for (int g = 1; g <= 9; ++g) EXPECT_EQ(checksInGroup(tables.v3, g), v3[g - 1]) << g;
  const int v2[] = {6, 6, 3, 7, 2, 7, 3};
  for (int g = 1; g <= 7; ++g) EXPECT_EQ(checksInGroup(tables.v2, g), v2[g - 1]) << g;
  EXPECT_EQ(tables.v3.title(6), " Section STRT/STOP/STEP Checks");

  fillCheckCatalogue(tables, "Log_Data", true);
  EXPECT_EQ(checksInGroup(tables.v2, 7), 4);
  EXPECT_EQ(tables.v3.title(6), "Log_Data Section STRT/STOP/STEP Checks");
  EXPECT_EQ(tables.v3.checkName(6, 2), "STRT Value matches Log_Data section first index");
  EXPECT_EQ(tables.v3.checkName(3, 7), "Associated Column Definition section title contains \"_Definition\" suffix");
  EXPECT_EQ(tables.v3.checkName(5, 5), "CTRY () based required mnemonics present");
}

TEST(Outcomes, AnyFailedCountsNotPerformedAndIgnoresGroupZero) {
  CheckTable t(7);
  EXPECT_FALSE(anyCheckFailed(t));
  t.outcome(0, 3) = "ignored";
  EXPECT_FALSE(anyCheckFailed(t));
  t.outcome(5, 2) = " ";
  EXPECT_TRUE(anyCheckFailed(t));
}

TEST(Outcomes, RecordingWritesAllFifteenSlots) {
  CheckTable t(9);
  for (int r = 1; r <= kLastRow; ++r) t.outcome(2, r) = "old";
  OutcomeSlots slots;  // only the first three rows decided
  slots[1] = " ";
  slots[3] = "ok?";
  recordGroupResults(t, 2, slots);
  EXPECT_EQ(t.outcome(2, 1), " ");
  EXPECT_EQ(t.outcome(2, 2), "");
  EXPECT_EQ(t.outcome(2, 3), "ok?");
  EXPECT_EQ(t.outcome(2, 4), "");
  EXPECT_EQ(t.outcome(2, 15), "");
}

TEST(Report, PassingTableListsEveryGroup) {
  CheckTables tables;
  fillCheckCatalogue(tables, "Log_Data", false);
  auto lines = splitCrLf(buildReport(tables.v3, header(3.0f)));
  EXPECT_EQ(lines[0], "LAS Certification Result for: C:/logs/well.las");
  EXPECT_TRUE(lines[1].starts_with("Korrivan Ver: 2.0.0 Date: "));
  EXPECT_EQ(lines[1].size(), std::string("Korrivan Ver: 2.0.0 Date: 08-Dec-2026 15:05:25").size());
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "Result: LAS file PASSED Ver 3 Certification");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "01: File Naming, Availability, Termination and Size.");
  EXPECT_EQ(lines[6], "        a. File exists");
  int groups = 0;
  for (const std::string& l : lines) groups += (l.size() > 3 && l[2] == ':' && l[0] == '0') ? 1 : 0;
  EXPECT_EQ(groups, 9);
  EXPECT_EQ(lines.back(), "        e. Array channels of a group have same units");
}

TEST(Report, ListingStopsAfterTheFirstFailingGroup) {
  CheckTables tables;
  fillCheckCatalogue(tables, "", false);
  tables.v2.outcome(2, 2) = "VERS missing\r\nsecond problem";
  tables.v2.outcome(2, 3) = " ";
  auto lines = splitCrLf(buildReport(tables.v2, header(1.2f)));
  EXPECT_EQ(lines[3], "Result: LAS file FAILS Ver 1.2 Certification");
  const std::vector<std::string> tail = {
      "02: ~Version section VERS and WRAP Checks",
      "        a. ~Version section present",
      "Failed: b. VERS parameter present in ~Version section",
      "Errors: VERS missing",
      "Errors: second problem",
      "Failed: c. WRAP parameter present in ~Version section",
      "Errors:  ",
      "        d. VERS Value is 1.2, 2 or 3",
      "        e. WRAP Value is YES or NO",
      "        f. Only one VERS and WRAP mnemonic in ~Version section",
  };
  ASSERT_GE(lines.size(), tail.size());
  std::vector<std::string> last(lines.end() - static_cast<long>(tail.size()), lines.end());
  EXPECT_EQ(last, tail);
}

TEST(Report, UnknownVersionAndHiddenWrapRow) {
  CheckTables tables;
  fillCheckCatalogue(tables, "", false);
  tables.v2.outcome(1, 4) = "Unix Line Feed (ASCII 10) terminated ";
  auto lines = splitCrLf(buildReport(tables.v2, header(-999.25f)));
  EXPECT_EQ(lines[3], "Result: LAS file FAILS Certification");

  tables.v2.outcome(1, 4) = "";
  std::string passed = buildReport(tables.v2, header(2.0f));
  EXPECT_EQ(passed.find("d. ~ASCII line length"), std::string::npos);
  EXPECT_NE(passed.find("07: ~ASCII Section Checks"), std::string::npos);
}

TEST(Report, FileIsReplacedAndEndsWithALineEnd) {
  korrivan::test::ScratchDir dir;
  std::string path = dir.write("r.log", std::string(5000, 'x'));
  SilentHooks hooks;
  ASSERT_TRUE(writeReport(path, "short\r\n", hooks));
  EXPECT_EQ(korrivan::test::readFile(path), "short\r\n\r\n");
  EXPECT_FALSE(writeReport((dir.path() / "none" / "r.log").string(), "x", hooks));
  EXPECT_FALSE(writeReport("/dev/full", "x", hooks));
}

}  // namespace

namespace {

// A failed 5b (country-specific mnemonics) does not stop a version 1.2/2.0
// run, and the report lists what the run found after it; in version 3.0 the
// same row ends the listing like any other.
TEST(Report, CountryFailureOfVersionTwoDoesNotEndTheListing) {
  CheckTables tables;
  fillCheckCatalogue(tables, "", false);
  tables.v2.outcome(5, 2) = "Country Specific mnemonics: CDN set missing,  PROV";
  tables.v2.outcome(6, 3) = "STOP = 1501.5, Last ~ASCII index = 1501";
  std::string v2 = buildReport(tables.v2, header(2.0f));
  EXPECT_NE(v2.find("Failed: b. Well section contains required Country specific mnemonics\r\n"), std::string::npos);
  EXPECT_NE(v2.find("Failed: c. STOP Value matches ~ASCII section last index\r\n"
                    "Errors: STOP = 1501.5, Last ~ASCII index = 1501\r\n"),
            std::string::npos);
  EXPECT_EQ(v2.find("07: "), std::string::npos);  // the group of the 6c failure is the last listed
  EXPECT_EQ(splitCrLf(v2)[3], "Result: LAS file FAILS Ver 2 Certification");

  tables.v3.outcome(5, 2) = " ";
  std::string v3 = buildReport(tables.v3, header(3.0f));
  EXPECT_NE(v3.find("05: "), std::string::npos);
  EXPECT_EQ(v3.find("06: "), std::string::npos);
}

}  // namespace
