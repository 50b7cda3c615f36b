// Wrap detection, first data lines and the column-count walk.
#include "base/run_error.h"
#include "las/data_reader.h"
#include "las/line_source.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "las/section_directory.h"
#include "support/las_fixture.h"

using namespace korrivan::las;
using korrivan::test::ScratchDir;

namespace {

std::vector<std::string> header(int curves) {
  std::vector<std::string> lines = {"~Version", " VERS. 2.0 : v", " WRAP. YES : w", "~Curve"};
  for (int i = 0; i < curves; ++i) lines.push_back(" C" + std::to_string(i) + ".M : curve");
  lines.push_back("~A");
  return lines;
}

struct Reader {
  SectionDirectory directory;
  DataReadContext ctx{directory, ' ', nullptr};
  CurveTable curves;
  Reader(const std::string& file, float version = 2.0f) { directory.locateMainSections(file, version); }
  WrapStructure wrap(int hint = 0) { return detectWrapStructure(ctx, hint, curves); }
};

TEST(WrapDetection, WrappedFourteenChannelsFiveToALine) {
  ScratchDir dir;
  auto lines = header(14);
  for (int d = 0; d < 6; ++d) {
    lines.push_back(std::to_string(1000 + d) + ".0");
    lines.push_back("  1.0  2.0  3.0  4.0  5.0");
    lines.push_back("  6.0  7.0  8.0  9.0 10.0");
    lines.push_back(" 11.0 12.0 13.0");
  }
  Reader r(dir.writeLas("w.las", lines));
  WrapStructure w = r.wrap();
  EXPECT_EQ(w.result, WrapResult::Wrapped);
  EXPECT_EQ(w.linesPerDepth, 4);
  EXPECT_EQ(w.valuesPerRecord, 14);
  EXPECT_EQ(w.recordLength, 6 + 25 + 25 + 15 + 4 * 2);
  EXPECT_EQ(r.curves.size(), 14u);
}

// A pattern repeats when the field counts read the same written one after
// the other: counts 1 12 then 11 2 both read "112".
TEST(WrapDetection, PatternsCompareTheirCountsAsWritten) {
  ScratchDir dir;
  auto lines = header(24);
  const std::string twelve = " 1 2 3 4 5 6 7 8 9 10 11 12", eleven = " 1 2 3 4 5 6 7 8 9 10 11";
  lines.insert(lines.end(), {"1000.0", twelve, eleven, " 1 2", "1002.0", twelve});
  Reader r(dir.writeLas("w.las", lines));
  WrapStructure w = r.wrap();
  EXPECT_EQ(w.result, WrapResult::Wrapped);
  EXPECT_EQ(w.linesPerDepth, 2);
  EXPECT_EQ(w.valuesPerRecord, 13);
}

TEST(WrapDetection, UnwrappedIrregularAndEmpty) {
  ScratchDir dir;
  auto even = header(3);
  for (int d = 0; d < 10; ++d) even.push_back("1000.0  2.0  3.0   ");
  Reader unwrapped(dir.writeLas("u.las", even));
  WrapStructure w = unwrapped.wrap();
  EXPECT_EQ(w.result, WrapResult::Unwrapped);
  EXPECT_EQ(w.linesPerDepth, 1);
  EXPECT_EQ(w.recordLength, 16 + 2);
  EXPECT_EQ(w.valuesPerRecord, 3);

  auto broken = header(14);
  for (const char* l : {"1000", "1 2 3 4 5", "6 7 8 9 10", "11 12 13", "1001", "1 2 3 4 5", "6 7 8 9", "11 12 13",
                        "1002", "1 2 3 4 5", "6 7 8 9 10", "11 12 13"})
    broken.push_back(l);
  EXPECT_EQ(Reader(dir.writeLas("b.las", broken)).wrap().result, WrapResult::Undetermined);

  auto twoFirst = header(6);
  for (int d = 0; d < 5; ++d) {
    twoFirst.push_back("1000 1");
    twoFirst.push_back("1 2 3 4");
  }
  EXPECT_EQ(Reader(dir.writeLas("t.las", twoFirst)).wrap().result, WrapResult::Undetermined);

  auto empty = header(3);
  empty.push_back("   ");
  EXPECT_EQ(Reader(dir.writeLas("e.las", empty)).wrap().result, WrapResult::Undetermined);
  // A data section title on the last line starts at the end of the file.
  EXPECT_EQ(Reader(dir.writeLas("end.las", header(3))).wrap().result, WrapResult::NotFound);
  EXPECT_EQ(Reader(dir.writeLas("n.las", {"~Version", " VERS. 2.0 : v"})).wrap().result, WrapResult::NotFound);
}

// The data section ends at the next title line, and comment lines among the
// records are no data lines.
TEST(WrapDetection, ReadsOnlyTheDataLinesOfTheSection) {
  ScratchDir dir;
  auto followed = header(8);
  for (int d = 0; d < 3; ++d) followed.push_back("1000 1 2 3 4 5 6 7");
  for (const char* l : {"~Other", "Run 1 logged by the night crew.", "x"}) followed.push_back(l);
  WrapStructure w = Reader(dir.writeLas("f.las", followed)).wrap(8);
  EXPECT_EQ(w.result, WrapResult::Unwrapped);
  EXPECT_EQ(w.valuesPerRecord, 8);

  auto commented = header(7);
  for (int d = 0; d < 4; ++d) {
    commented.push_back("1000");
    commented.push_back("1 2 3 4 5 6");
    if (d == 0) commented.push_back("  # a remark among the records");
  }
  w = Reader(dir.writeLas("c.las", commented)).wrap(7);
  EXPECT_EQ(w.result, WrapResult::Wrapped);
  EXPECT_EQ(w.linesPerDepth, 2);
}

TEST(WrapDetection, PollsEveryLineAndAConfirmedCancelEndsTheRun) {
  ScratchDir dir;
  auto lines = header(3);
  for (int d = 0; d < 10; ++d) lines.push_back("1 2 3");
  Reader r(dir.writeLas("c.las", lines));
  int polls = 0;
  r.ctx.poll = [&] {
    if (++polls > 1) throw korrivan::base::RunCancelled{};
  };
  EXPECT_THROW(r.wrap(3), korrivan::base::RunCancelled);
  EXPECT_EQ(polls, 2);
}

TEST(CurveDefinitions, BlankLineEndsTheSection) {
  ScratchDir dir;
  std::string file =
      dir.writeLas("c.las", {"~Curve", " DEPT.M : d", " GR.GAPI : g", "", " RHOB.K/M3 : r", "~A", "1 2"});
  SectionDirectory d;
  d.locateMainSections(file, 2.0f);
  CurveTable t;
  ASSERT_TRUE(readCurveDefinitions(t, d, "Curve"));
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1][0], "GR");
  EXPECT_EQ(t[1][1], "GAPI");
  EXPECT_FALSE(readCurveDefinitions(t, d, "Missing"));
}

TEST(ColumnCounts, ThirdLineShortOfAColumn) {
  ScratchDir dir;
  std::string file = dir.writeLas("cc.las", {"~A", "# comment", "1 2 3", "", "4   5   6", "7 8", "9 10 11"});
  SectionDirectory d;
  d.locateMainSections(file, 2.0f);
  DataReadContext ctx{d, ' ', nullptr};
  ColumnConsistency c = checkColumnCountConsistency(ctx, "A");
  EXPECT_EQ(c.result, -2);
  EXPECT_EQ(c.offendingLine, "7 8");
  EXPECT_EQ(checkColumnCountConsistency(ctx, "Nope").result, 0);

  FirstDataLine first = readFirstDataLine(ctx, "A");
  EXPECT_EQ(first.result, -1);
  EXPECT_EQ(first.line, "1 2 3");
  EXPECT_EQ(first.columns, 3);
}

TEST(ColumnCounts, CommaDataWithQuotesAndEmptyFields) {
  EXPECT_EQ(countDataFields("1,,3", ','), 3u);
  EXPECT_EQ(countDataFields("1,\"text\",3", ','), 3u);
  EXPECT_EQ(countDataFields("1,\"a,b\",3", ','), 3u);
  EXPECT_EQ(countDataFields("  1  2   3  ", ' '), 3u);
  EXPECT_EQ(countDataFields("1\t2\t\t4", '\t'), 4u);
}

TEST(ColumnCounts, StopsAtTheNextSectionAndReadsLfOnlyAsOneLine) {
  ScratchDir dir;
  std::string file = dir.write("lf.las", "~A\r\n1 2\r\n3 4\r\n~Other\r\n5\r\n");
  SectionDirectory d;
  d.locateMainSections(file, 2.0f);
  DataReadContext ctx{d, ' ', nullptr};
  EXPECT_EQ(checkColumnCountConsistency(ctx, "A").result, 2);

  std::string lf = dir.write("lf2.las", "~A\r\n1 2\n3 4 5\n");
  SectionDirectory d2;
  d2.locateMainSections(lf, 2.0f);
  DataReadContext ctx2{d2, ' ', nullptr};
  // A lone LF is no line end: the data read as one line of 4 fields.
  EXPECT_EQ(checkColumnCountConsistency(ctx2, "A").result, 4);
}

TEST(ColumnCounts, FileRemovedAfterTheDirectoryWasBuilt) {
  ScratchDir dir;
  std::string file = dir.writeLas("gone.las", {"~A", "1 2"});
  SectionDirectory d;
  d.locateMainSections(file, 2.0f);
  std::remove(file.c_str());
  DataReadContext ctx{d, ' ', nullptr};
  EXPECT_EQ(checkColumnCountConsistency(ctx, "A").result, 0);
  EXPECT_EQ(readFirstDataLine(ctx, "A").result, 0);
  CurveTable t;
  EXPECT_EQ(detectWrapStructure(ctx, 2, t).result, WrapResult::NotFound);
}

}  // namespace

namespace {

// Something other than a regular file in the LAS file's place is refused at
// once, never read (a pipe would otherwise wait for a writer forever).
TEST(LineSourceFiles, PipesAndFoldersAreRefused) {
  ScratchDir dir;
  std::string pipe = (dir.path() / "pipe.las").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_THROW(LineSource{pipe}, korrivan::base::RunError);
  EXPECT_THROW(LineSource{dir.path().string()}, korrivan::base::RunError);
}

}  // namespace
