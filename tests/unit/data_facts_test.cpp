// The one pass over the data sections: split anywhere, on any number of
// threads, it gathers the facts of one unsplit scan; index values read as
// the STEP scan reads them; a cancel in the middle stops every thread.
#include "las/data_facts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "base/run_error.h"
#include "base/text_utils.h"
#include "las/line_source.h"
#include "las/section_directory.h"
#include "support/las_fixture.h"

using namespace korrivan;
using namespace korrivan::las;
using korrivan::test::ScratchDir;

namespace {

std::string refText(const LineRef& r) {
  return r.found() ? std::to_string(r.offset) + "/" + std::to_string(r.number) + "/" + std::to_string(r.index) : "-";
}

// Every fact of a section as text, so that two scans compare at a glance.
std::string describe(const SectionFacts& f) {
  std::ostringstream o;
  o << "start " << f.start << " line " << f.startLine << " lines " << f.lines << " title " << f.endedAtTitle << " end "
    << refText(f.end) << "\n";
  o << "notables " << f.allNotablesKept;
  for (const NotableLine& n : f.notables) o << " [" << n.number << ":" << int(n.kinds) << ":" << n.text << "]";
  o << "\ndata " << f.dataLines << " first " << refText(f.firstData) << " delim " << f.firstDataHasDelimiter
    << " lastWithout " << refText(f.lastDataWithoutDelimiter) << " lastWith " << refText(f.lastDataWithDelimiter)
    << " gap " << refText(f.firstGap) << "\ncolumns " << f.columns << " differ " << refText(f.columnsDiffer) << " "
    << f.differentColumns << "\n";
  if (f.step) {
    const StepFacts& s = *f.step;
    o << "step " << s.linesPerDepth << " depths " << s.depthLines << " last " << refText(s.lastDepth) << " inc "
      << s.haveIncrement << " " << base::numberText(s.lastIncrement) << " changed " << s.changed << " "
      << refText(s.change) << " " << base::numberText(s.changeIndex) << " " << base::numberText(s.changeIncrement)
      << "\n";
  }
  for (const RecordFacts& r : f.records)
    o << "records " << r.linesPerRecord << " " << r.haveFirst << " " << r.firstFields << " " << r.firstDifferent
      << "\n";
  o << "quote " << refText(f.firstQuote) << " tilde " << refText(f.firstTilde) << " long "
    << refText(f.firstLongerThan[0]) << " " << refText(f.firstLongerThan[1]) << "\n";
  return o.str();
}

std::string describe(const DataFacts& facts) {
  std::string out;
  for (const SectionFacts& s : facts.sections) out += describe(s) + "--\n";
  return out;
}

struct Scan {
  SectionDirectory directory;
  std::vector<const SectionRow*> rows;
  DataScanPlan plan;

  Scan(const std::string& file, float version, char delimiter) {
    directory.locateMainSections(file, version);
    for (const SectionRow& r : directory.rows())
      if (r.kind == SectionKind::Data) rows.push_back(&r);
    plan.delimiter = delimiter;
    plan.notables = true;
    plan.notableBudget = 1 << 20;
    plan.notableOverhead = 27;
    plan.recordSizes = {1, 2, 3};
    if (const SectionRow* main = directory.find(directory.dataSectionName)) plan.stepSection = main->start;
  }

  DataFacts run(const ScanSettings& settings, const RunPoll& poll = {}) const {
    return scanDataSections(directory, rows, plan, settings, poll);
  }
};

ScanSettings onePart() {
  ScanSettings s;
  s.threads = 1;
  s.partBytes = 1ll << 40;
  return s;
}

ScanSettings split(std::int64_t partBytes, int threads) {
  ScanSettings s;
  s.threads = threads;
  s.parallelFrom = 0;
  s.partBytes = partBytes;
  return s;
}

// A data section whose lines each put something different at the split
// points: blank and comment lines, a tab, quotes, a tilde inside a line, a
// lone LF, a line ending in CR alone, trailing blanks, a long line, a wrong
// column count, a STEP change, a line that is only blanks.
std::string trickySection() {
  std::string s;
  auto line = [&s](const std::string& text, const char* end = "\r\n") { s += text + end; };
  double depth = 1000.0;
  auto row = [&](const std::string& rest, const char* end = "\r\n") {
    line(base::fixedText(depth, 3) + rest, end);
    depth += 0.5;
  };
  row(" 1.0 2.0");
  row("  1.0  2.0   ");
  line("");
  row(" 1.0 2.0");
  line("# a comment 1 2 3");
  row("\t1.0 2.0");
  row(" 1.0 \"a b\"");
  row(" 1.0 2.0", "\r");
  row(" 1.0 2~0");
  row(" 1.0\n2.0");
  line("   ");
  row(" 1.0 2.0 3.0");
  row(" " + std::string(300, '7') + " 2.0");
  depth += 0.25;  // the increment changes here
  row(" 1.0 2.0");
  row(",1.0,2.0");
  for (int i = 0; i < 6; ++i) row(" 1.0 2.0");
  return s;
}

std::string lasWith(const std::string& dataSection, const std::string& after = "") {
  return test::crlf({"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "~Well", " STRT.M 1000.0 : s", "~Curve",
                     " DEPT.M : d", " A.M : a", " B.M : b", "~A"}) +
         dataSection + after;
}

void expectSameWhereverSplit(const Scan& scan, std::int64_t fileBytes) {
  const std::string whole = describe(scan.run(onePart()));
  for (std::int64_t partBytes = 1; partBytes <= fileBytes / 4 + 2; ++partBytes)
    for (int threads : {1, 3}) {
      ASSERT_EQ(describe(scan.run(split(partBytes, threads))), whole)
          << "parts of " << partBytes << " bytes on " << threads << " threads";
    }
}

TEST(DataFacts, SplitAnywhereTheFactsAreThoseOfOneScan) {
  ScratchDir dir;
  const std::string text = lasWith(trickySection());
  const std::string file = dir.write("tricky.las", text);
  for (int perDepth : {1, 2, 3}) {
    for (char delimiter : {' ', ',', '\t'}) {
      Scan scan(file, 2.0f, delimiter);
      scan.plan.stepLinesPerDepth = perDepth;
      expectSameWhereverSplit(scan, static_cast<std::int64_t>(text.size()));
    }
  }
}

TEST(DataFacts, SplitAnywhereEvenSectionsGiveTheFactsOfOneScan) {
  // Nothing changes: the STEP scan and the record counts run to the end.
  ScratchDir dir;
  std::string data;
  for (int d = 0; d < 30; ++d)
    data += base::fixedText(1000.0 + d * 0.25, 2) + "\r\n 1.0 2.0 3.0 4.0 5.0\r\n 6.0 7.0\r\n";
  const std::string text = lasWith(data, "~Other\r\n");
  const std::string file = dir.write("even.las", text);
  Scan scan(file, 2.0f, ' ');
  scan.plan.stepLinesPerDepth = 3;
  const SectionFacts whole = scan.run(onePart()).sections[0];
  ASSERT_TRUE(whole.step);
  EXPECT_FALSE(whole.step->changed);
  EXPECT_EQ(whole.step->depthLines, 30);
  EXPECT_EQ(whole.step->lastIncrement, 0.25f);
  EXPECT_EQ(whole.step->lastDepth.index, 87);
  EXPECT_EQ(whole.recordsOf(3)->firstFields, 8);
  EXPECT_EQ(whole.recordsOf(3)->firstDifferent, -1);
  EXPECT_EQ(whole.recordsOf(2)->firstDifferent, 3);
  EXPECT_TRUE(whole.endedAtTitle);
  expectSameWhereverSplit(scan, static_cast<std::int64_t>(text.size()));
}

TEST(DataFacts, PartsOfManyBuffersOnManyThreadsGiveTheFactsOfOneScan) {
  // Wrapped records over 3 MB: parts of several buffers each, scanned while
  // the parts before them are still being scanned.
  ScratchDir dir;
  std::string data;
  for (int d = 0; d < 60000; ++d)
    data += base::fixedText(1000.0 + d * 0.25, 2) + "\r\n 1.0 2.0 3.0 4.0 5.0\r\n 6.0 7.0\r\n";
  data += "2000.00\r\n 1.0 2.0 3.0 4.0 5.0\r\n 6.0\r\n";  // the last record is short and the step changes
  const std::string file = dir.write("wrapped.las", lasWith(data));
  Scan scan(file, 2.0f, ' ');
  scan.plan.stepLinesPerDepth = 3;
  const std::string whole = describe(scan.run(onePart()));
  EXPECT_NE(whole.find("changed 1"), std::string::npos) << whole;
  for (int threads : {2, 3, 4}) EXPECT_EQ(describe(scan.run(split(700000, threads))), whole) << threads;
}

TEST(DataFacts, FactsOfTheTrickySection) {
  ScratchDir dir;
  const std::string file = dir.write("tricky.las", lasWith(trickySection()));
  Scan scan(file, 2.0f, ' ');
  const DataFacts facts = scan.run(onePart());
  ASSERT_EQ(facts.sections.size(), 1u);
  const SectionFacts& f = facts.sections[0];
  EXPECT_EQ(describe(f), describe(scan.run(split(5, 3)).sections[0]));
  const std::int64_t first = f.startLine;  // "~A" is line 10; the data begin on line 11
  EXPECT_EQ(first, 11);
  EXPECT_EQ(f.lines, 21);
  EXPECT_FALSE(f.endedAtTitle);
  // Blank (line 13), comment (15), tab (16), blanks only (21).
  ASSERT_EQ(f.notables.size(), 4u);
  EXPECT_EQ(f.notables[0].number, first + 2);
  EXPECT_EQ(f.notables[0].kinds, NotableLine::Blank);
  EXPECT_EQ(f.notables[1].kinds, NotableLine::Comment);
  EXPECT_EQ(f.notables[2].kinds, NotableLine::Tab);
  EXPECT_EQ(f.notables[2].text, "1001.500\t1.0 2.0");
  EXPECT_EQ(f.notables[3].number, first + 10);
  EXPECT_EQ(f.notables[3].kinds, NotableLine::Blank);
  EXPECT_EQ(f.dataLines, 18);
  EXPECT_EQ(f.columns, 3);
  EXPECT_EQ(f.columnsDiffer.number, first + 5);  // the tab joins two values
  EXPECT_EQ(f.differentColumns, 2);
  EXPECT_EQ(f.firstGap.number, first + 2);
  EXPECT_EQ(f.firstQuote.number, first + 6);
  EXPECT_EQ(f.firstTilde.number, first + 8);
  EXPECT_EQ(f.firstLongerThan[0].number, first + 12);
  EXPECT_EQ(f.firstLongerThan[1].number, first + 12);
  ASSERT_TRUE(f.step);
  EXPECT_TRUE(f.step->changed);
  EXPECT_EQ(f.step->change.number, first + 13);
  EXPECT_EQ(f.step->changeIndex, 1005.25);
  EXPECT_EQ(f.step->changeIncrement, 0.75f);
  const RecordFacts* one = f.recordsOf(1);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->firstFields, 3);
  EXPECT_EQ(one->firstDifferent, 2);  // the blank line
  // The lines after the lone LF keep their numbers: a LF ends no line.
  LineSource src(file);
  EXPECT_EQ(f.offsetOfLine(src, 13), f.step->change.offset);
}

TEST(DataFacts, SectionsEndAtTheirTitleLineWhereverSplit) {
  ScratchDir dir;
  // Two data sets of a 3.0 file, a title the directory does not list ("~"
  // alone) ending the first, and a section after the second.
  std::string text = test::crlf({"~Version", " VERS. 3.0 : v", " DLM . COMMA : d", "~Log_Definition", " DEPT.M : d",
                                 " A.M : a", "~Log_Data | Log_Definition"});
  for (int i = 0; i < 12; ++i) text += std::to_string(10 + i) + ".5,1," + std::to_string(i) + "\r\n";
  text += test::crlf({"   ~", "1,2,3", "~Core_Definition", " CD.M : d", "~Core_Data | Core_Definition"});
  for (int i = 0; i < 9; ++i) text += std::to_string(i) + ",1\r\n";
  text += "\r\n~Other\r\nremarks 1,2\r\n";
  const std::string file = dir.write("sets.las", text);
  Scan scan(file, 3.0f, ',');
  ASSERT_EQ(scan.rows.size(), 2u);
  const DataFacts whole = scan.run(onePart());
  EXPECT_EQ(whole.sections[0].lines, 12);
  EXPECT_TRUE(whole.sections[0].endedAtTitle);
  EXPECT_EQ(whole.sections[1].lines, 10);
  EXPECT_EQ(whole.sections[1].firstGap.index, 9);
  expectSameWhereverSplit(scan, static_cast<std::int64_t>(text.size()));
}

TEST(DataFacts, LinesLongerThanABufferAndFilesWithoutLineEnd) {
  ScratchDir dir;
  // Lines longer than a buffer, and lines longer than the first, small read of a part.
  std::string data = "1000.0 1 2\r\n1000.5 " + std::string(700000, '1') + " 2\r\n1001.0 1 2\r\n";
  data += "1000.75 " + std::string(20000, '2') + " 3\r\n1000.875 " + std::string(100000, '3') + " 4\r\n";
  data += "1001.5 " + std::string(600000, ' ') + "1 2";  // the last line has no line end
  const std::string text = lasWith(data);
  const std::string file = dir.write("long.las", text);
  Scan scan(file, 2.0f, ' ');
  const std::string whole = describe(scan.run(onePart()));
  EXPECT_NE(whole.find("lines 6 title 0"), std::string::npos) << whole;
  for (std::int64_t partBytes : {4096ll, 65536ll, 300000ll, 700007ll, 1000000ll})
    EXPECT_EQ(describe(scan.run(split(partBytes, 3))), whole) << partBytes;
}

TEST(DataFacts, IndexValuesReadAsTheStepScanReadsThem) {
  auto reference = [](std::string_view t, char delimiter) {
    const std::size_t at = t.find(delimiter);
    const double v = base::leadingNumber(at == std::string_view::npos ? t : t.substr(0, at));
    return std::round(v * std::pow(10.0, 5)) / std::pow(10.0, 5);
  };
  std::vector<std::string> texts = {"1000.125 2",
                                    "-0.5",
                                    "+.25,1",
                                    "1.2.3",
                                    "12e3 4",
                                    "1d2",
                                    "1e",
                                    "\t5 6",
                                    ",5",
                                    "-",
                                    ".",
                                    "5.",
                                    "0001000.125",
                                    "-0",
                                    "123456789012345",
                                    "1234567890123456",
                                    "0.000001",
                                    "99999.999994",
                                    "1.000005",
                                    "abc",
                                    "1.5\t2",
                                    "3.14159265358979",
                                    "12345678.5",
                                    "1.12345678",
                                    "1234567.1234567",
                                    "1234567.12345678",
                                    "9999999.9999999",
                                    "123456789"};
  std::mt19937_64 random(18);
  const std::string digits = "0123456789", alphabet = "0123456789.-+eE ,\tdx";
  for (int i = 0; i < 200000; ++i) {
    std::string t;
    if (random() % 4 == 0) t += "-+"[random() % 2];
    for (auto k = random() % 10; k > 0; --k) t += digits[random() % 10];
    if (random() % 4 != 0) t += '.';
    for (auto k = random() % 10; k > 0; --k) t += digits[random() % 10];
    for (auto k = random() % 3; k > 0; --k) t += alphabet[random() % alphabet.size()];
    texts.push_back(std::string(base::trimSpaces(t)));
    // The same followed by more of the line: read in place, not from a copy.
    texts.push_back(texts.back() + " 12.5 7 " + std::string(random() % 30, '9'));
  }
  for (const std::string& t : texts)
    for (char delimiter : {' ', ',', '\t'}) {
      const double want = reference(t, delimiter), got = depthIndexValue(t, delimiter);
      ASSERT_TRUE(got == want && std::signbit(got) == std::signbit(want)) << "'" << t << "' " << int(delimiter);
      // In the pass's buffer: the line's CR, then whatever the buffer holds.
      const std::string buffered = t + "\r" + std::string(40, "1\n.9"[random() % 4]);
      const double inBuffer = bufferedIndexValue(buffered.data(), t.size(), delimiter);
      ASSERT_TRUE(inBuffer == want && std::signbit(inBuffer) == std::signbit(want)) << "'" << t << "' buffered";
    }
}

TEST(DataFacts, OnlyTheCallingThreadPollsAndAPollThatThrowsStopsEveryThread) {
  ScratchDir dir;
  std::string data;
  for (int i = 0; i < 40000; ++i) data += std::to_string(1000 + i) + ".0 1.5 2.5\r\n";
  const std::string file = dir.write("big.las", lasWith(data));
  Scan scan(file, 2.0f, ' ');
  std::set<std::thread::id> pollers;
  int polls = 0, throwAt = 0;
  auto poll = [&] {
    pollers.insert(std::this_thread::get_id());
    if (++polls == throwAt) throw base::RunCancelled{};
  };
  const std::set<std::thread::id> thisThread{std::this_thread::get_id()};

  // One thread polls after every 8 KiB or so it scans.
  ScanSettings one = split(4096, 1);
  one.pollBytes = 8192;
  scan.run(one, poll);
  EXPECT_LE(polls, static_cast<int>(data.size() / 8192));
  EXPECT_GE(polls, static_cast<int>(data.size() / 16384));
  throwAt = 5;
  polls = 0;
  EXPECT_THROW(scan.run(one, poll), base::RunCancelled);
  EXPECT_EQ(polls, 5);

  // With helpers, only the calling thread polls; when its poll throws, the
  // helpers stop and are joined before the exception passes on.
  ScanSettings four = split(4096, 4);
  four.pollBytes = 8192;
  for (int round = 0; round < 20; ++round) {
    polls = 0;
    throwAt = 1;
    EXPECT_THROW(scan.run(four, poll), base::RunCancelled);
    polls = 0;
    throwAt = 0;
    const std::string facts = describe(scan.run(four, poll));
    EXPECT_GE(polls, 1);
    EXPECT_EQ(facts, describe(scan.run(onePart())));
  }
  EXPECT_EQ(pollers, thisThread);
}

TEST(DataFacts, ThreadsOnlyForLargeSections) {
  ScanSettings s;
  s.threads = 2;
  EXPECT_EQ(s.threadsFor(64ll << 20), 1);
  EXPECT_EQ(s.threadsFor((64ll << 20) + 1), 2);
  s.threads = 100;
  EXPECT_EQ(s.threadsFor(1ll << 40), ScanSettings::kMaxThreads);
}

}  // namespace
