// Section titles, kinds by version and the main sections of a run.
#include "las/section_directory.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "checks/family.h"
#include "las/line_source.h"
#include "support/las_fixture.h"

using namespace korrivan::las;
using korrivan::test::ScratchDir;

namespace {

TEST(SectionTitle, NamesAndAssociations) {
  struct Case {
    const char* line;
    const char* name;
    const char* assoc;
  };
  const Case cases[] = {
      {"~Version Information", "Version", ""},
      {"~A  DEPTH  GR", "A", ""},
      {"~Log_Data | Log_Definition", "Log_Data", "Log_Definition"},
      {"~Log_Definition[2]", "Log_Definition[2]", ""},
      {"~Parameter|", "Parameter", " "},
      {"   ~Core_Data|Core_Definition extra", "Core_Data", "Core_Definition"},
      {"~", "", ""},
      {"Version", "", ""},
  };
  for (const Case& c : cases) {
    TitleParts t = parseSectionTitle(c.line);
    EXPECT_EQ(t.name, c.name) << c.line;
    EXPECT_EQ(t.association, c.assoc) << c.line;
  }
}

TEST(SectionTitle, IndexSplitting) {
  EXPECT_EQ(splitSectionIndex("Log_Data[1]").baseName, "Log_Data");
  EXPECT_EQ(splitSectionIndex("Log_Data[1]").index, 1);
  EXPECT_EQ(splitSectionIndex("Log_Data[]").index, 0);
  EXPECT_EQ(splitSectionIndex("Log_Data").index, -1);
  EXPECT_EQ(splitSectionIndex("Log_Data").baseName, "Log_Data");
  EXPECT_EQ(splitSectionIndex("Log_Data[x]").baseName, "");
  EXPECT_EQ(splitSectionIndex("Log_Data[1").baseName, "");
  EXPECT_EQ(splitSectionIndex("Log]Data[").baseName, "");
  EXPECT_EQ(splitSectionIndex("Log_Data[1][2]").baseName, "");
  EXPECT_EQ(splitSectionIndex("Log_Data[1]x").baseName, "");
}

TEST(Directory, OneLetterTitlesByVersion) {
  ScratchDir dir;
  std::string file = dir.writeLas("v.las", {"~V", "VERS. 2.0 : v", "~W", "~C", "DEPT.M : d", "~A", "1"});
  SectionDirectory d;
  ASSERT_TRUE(d.locateMainSections(file, 2.0f));
  ASSERT_EQ(d.rows().size(), 4u);
  EXPECT_EQ(d.rows()[0].kind, SectionKind::Header);
  EXPECT_EQ(d.rows()[1].kind, SectionKind::Header);
  EXPECT_EQ(d.rows()[2].kind, SectionKind::Definition);
  EXPECT_EQ(d.rows()[3].kind, SectionKind::Data);
  EXPECT_EQ(d.rows()[3].association, "C");
  EXPECT_EQ(d.curveSectionName, "C");
  EXPECT_EQ(d.dataSectionName, "A");
  EXPECT_TRUE(d.mainSectionsFound);

  ASSERT_TRUE(d.locateMainSections(file, 3.0f));
  for (const SectionRow& r : d.rows()) EXPECT_EQ(r.kind, SectionKind::Other) << r.name;
  EXPECT_EQ(d.dataSectionName, "");
  EXPECT_FALSE(d.mainSectionsFound);
}

TEST(Directory, Version3SectionsGroupsAndIndexes) {
  ScratchDir dir;
  std::string file = dir.writeLas("v3.las", {"~Version", "~Well", "~Core_Definition", "~Core_Data|Core_Definition",
                                             "~Log_Definition[2]", "~Log_Data[2]|Log_Definition[2]", "~ASCII"});
  SectionDirectory d;
  d.locateMainSections(file, 3.0f);
  EXPECT_EQ(d.groups(), (std::vector<std::string>{"Core", "Log"}));
  EXPECT_EQ(d.rows().back().association, "Curve");
  EXPECT_EQ(d.dataSectionName, "ASCII");
  EXPECT_EQ(d.curveSectionName, "");  // the first Log_Definition has index 2
  EXPECT_EQ(d.rows()[4].index, 2);
}

// The main data set is the one with index [1] (or without index), also
// when another set is written before it; only version 3.0 knows such names.
TEST(Directory, DataSetOneIsFoundAfterDataSetTwo) {
  ScratchDir dir;
  std::string file =
      dir.writeLas("sets.las", {"~Version", "~Well", "~Log_Definition[2]", "~Log_Data[2]|Log_Definition[2]",
                                "~Log_Definition[1]", "~Log_Data[1]|Log_Definition[1]"});
  SectionDirectory d;
  d.locateMainSections(file, 3.0f);
  EXPECT_EQ(d.curveSectionName, "Log_Definition[1]");
  EXPECT_EQ(d.dataSectionName, "Log_Data[1]");
  EXPECT_EQ(d.parameterSectionName, "");
  EXPECT_TRUE(d.mainSectionsFound);

  d.locateMainSections(file, 2.0f);
  EXPECT_EQ(d.curveSectionName, "");
  EXPECT_EQ(d.dataSectionName, "");
}

TEST(Directory, StartsPointAfterTitlesAlsoWhenIndentedAndWithCapitals) {
  ScratchDir dir;
  std::string file =
      dir.write("s.las", "~VERSION INFORMATION\r\n VERS. 2.0 : v\r\n   ~CURVE INFORMATION\r\nDEPT.M : d\r\n");
  SectionDirectory d;
  d.locateMainSections(file, 2.0f);
  ASSERT_EQ(d.rows().size(), 2u);
  EXPECT_EQ(d.curveSectionName, "CURVE");
  auto start = d.sectionStart("curve");
  ASSERT_TRUE(start.has_value());
  EXPECT_EQ(*start, static_cast<std::int64_t>(
                        std::string("~VERSION INFORMATION\r\n VERS. 2.0 : v\r\n   ~CURVE INFORMATION\r\n").size()));
  EXPECT_FALSE(d.sectionStart("Well").has_value());
}

TEST(Directory, BadInputGivesAClearOutcome) {
  ScratchDir dir;
  // A title at the very end of the file, unbalanced brackets, NUL bytes.
  static const char kBytes[] = "~Version\r\nx\0y\r\n~Log_Data[1\r\n~Well]";
  std::string file = dir.write("bad.las", std::string(kBytes, sizeof kBytes - 1));
  SectionDirectory d;
  d.build(file, 3.0f);
  ASSERT_EQ(d.rows().size(), 3u);
  EXPECT_EQ(d.rows()[1].name, "Log_Data[1");
  EXPECT_EQ(d.rows()[1].index, -1);
  EXPECT_EQ(d.rows()[2].start, d.fileSize());
  EXPECT_EQ(readSectionText(d, "Well]"), "");

  SectionDirectory missing;
  missing.build((dir.path() / "absent.las").string(), 2.0f);
  EXPECT_TRUE(missing.empty());
  EXPECT_FALSE(missing.sectionStart("Version").has_value());
}

// A section's text runs to the line before the next title line; a tilde
// later in a line, as in a comment, ends nothing, in the last section too.
TEST(Directory, SectionTextEndsOnlyAtATitleLine) {
  ScratchDir dir;
  std::string file = dir.write("t.las",
                               "~Well\r\n A.M 1 : a\r\n # see ~Other\r\n B.M 2 : b\r\n"
                               "~Tops_Parameter\r\n C. 3 : c\r\n # see ~Well\r\n D. 4 : d\r\n   ~\r\n E. 5 : e\r\n");
  SectionDirectory d;
  d.build(file, 3.0f);
  EXPECT_EQ(readSectionText(d, "Well"), " A.M 1 : a\r\n # see ~Other\r\n B.M 2 : b\r");
  // A title line without a name takes no row, yet the section ends there.
  EXPECT_EQ(readSectionText(d, "Tops_Parameter"), " C. 3 : c\r\n # see ~Well\r\n D. 4 : d\r");
}

TEST(LineSource, LineEndsAndPositions) {
  ScratchDir dir;
  std::string file = dir.write("ends.las", "a\r\nb\rc\nd\r\r\ne");
  LineSource src(file);
  std::vector<std::string> lines;
  std::vector<std::int64_t> starts;
  std::string_view l;
  while (src.next(l)) {
    lines.emplace_back(l);
    starts.push_back(src.lineStart());
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c\nd", "", "e"}));
  EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 3, 5, 9, 11}));
  EXPECT_TRUE(src.endedWithoutLineEnd());
}

TEST(LineSource, HugeLineIsCutButMeasured) {
  ScratchDir dir;
  const std::size_t big = LineSource::kMaxKeptLine + 3 * LineSource::kBlockSize + 17;
  std::string text(big, '7');
  text += "\r\nnext\r\n";
  std::string file = dir.write("huge.las", text);
  LineSource src(file);
  std::string_view l;
  ASSERT_TRUE(src.next(l));
  EXPECT_EQ(l.size(), LineSource::kMaxKeptLine);
  EXPECT_EQ(src.lineLength(), static_cast<std::int64_t>(big));
  EXPECT_TRUE(src.truncated());
  ASSERT_TRUE(src.next(l));
  EXPECT_EQ(l, "next");
  EXPECT_FALSE(src.next(l));
}

TEST(LineSource, CrLfSplitAcrossBlocks) {
  ScratchDir dir;
  std::string first(LineSource::kBlockSize - 1, 'x');
  std::string file = dir.write("split.las", first + "\r\nsecond\r\n");
  LineSource src(file);
  std::string_view l;
  ASSERT_TRUE(src.next(l));
  EXPECT_EQ(l.size(), first.size());
  ASSERT_TRUE(src.next(l));
  EXPECT_EQ(l, "second");
  EXPECT_FALSE(src.next(l));
}

}  // namespace

namespace {

// Lines holding a character, found by whole-block search, must be exactly
// the lines next() would give, at block boundaries too.
TEST(LineSource, NextContainingMatchesLineByLineReading) {
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 120000; ++i) {  // about 2 MB: several blocks
    text += (i % 97 == 0) ? "  ~Title " + std::to_string(i) : "1000." + std::to_string(i) + " 2 3";
    text += (i % 5 == 0) ? "\r" : "\r\n";
  }
  text += "tail ~ without line end";
  std::string file = dir.write("scan.las", text);
  // Offset, line number and text of each line: the block search counts the
  // lines it passes over as next() does.
  std::vector<std::tuple<std::int64_t, std::int64_t, std::string>> expected, got;
  LineSource a(file), b(file);
  a.seek(0, 1);
  b.seek(0, 1);
  std::string_view l;
  while (a.next(l))
    if (l.find('~') != std::string_view::npos) expected.emplace_back(a.lineStart(), a.lineNumber(), std::string(l));
  while (b.nextContaining('~', l)) got.emplace_back(b.lineStart(), b.lineNumber(), std::string(l));
  EXPECT_EQ(got, expected);
  EXPECT_EQ(std::get<1>(expected.back()), 120001);
  EXPECT_EQ(got.size(), 120000u / 97 + 2);
}

}  // namespace

namespace {

// Versions 1.2 and 2.0 take a section from the letter after the tilde, so
// ~Curves, ~Params and ~Asc are the curve, parameter and data sections;
// version 3.0 names sections by the whole word and does not know them.
TEST(Directory, FirstLetterDecidesTheSectionBeforeVersionThree) {
  ScratchDir dir;
  std::string file = dir.writeLas("t.las", {"~Vers", "VERS. 2.0 : v", "~Wellinfo", "~Curves", "DEPT.M : d", "~Params",
                                            "~Others", "~Asc DEPTH", "1"});
  SectionDirectory d;
  ASSERT_TRUE(d.locateMainSections(file, 2.0f));
  const SectionKind v2[] = {SectionKind::Header,    SectionKind::Header, SectionKind::Definition,
                            SectionKind::Parameter, SectionKind::Header, SectionKind::Data};
  ASSERT_EQ(d.rows().size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(d.rows()[i].kind, v2[i]) << d.rows()[i].name;
  EXPECT_EQ(d.curveSectionName, "Curves");
  EXPECT_EQ(d.dataSectionName, "Asc");
  EXPECT_EQ(d.parameterSectionName, "Params");
  EXPECT_EQ(d.rows()[5].association, "Curves");
  EXPECT_EQ(d.findStandard("Well")->name, "Wellinfo");

  ASSERT_TRUE(d.locateMainSections(file, 3.0f));
  for (const SectionRow& r : d.rows()) EXPECT_EQ(r.kind, SectionKind::Other) << r.name;
  EXPECT_FALSE(d.mainSectionsFound);
  EXPECT_EQ(d.findStandard("Well"), nullptr);
}

}  // namespace

namespace tilde_lines {

using korrivan::checks::scanTildeLinesV2;
using korrivan::checks::scanTildeLinesV3;

// The tilde-line checks read the lines the directory met while it was built
// instead of searching the file again; they must find what a search finds.
std::string withDirectory(const std::string& file, float version) {
  SectionDirectory d;
  d.build(file, version);
  return std::string(version == 3.0f ? scanTildeLinesV3(file, &d).text.text() : scanTildeLinesV2(file, &d).text.text());
}
std::string bySearch(const std::string& file, float version) {
  return std::string(version == 3.0f ? scanTildeLinesV3(file).text.text() : scanTildeLinesV2(file).text.text());
}

TEST(TildeLines, TheDirectorysLinesGiveWhatASearchGives) {
  ScratchDir dir;
  const std::string file = dir.writeLas(
      "t.las", {"~Version", " VERS. 2.0 : v", "~well", "# ~comment", " STRT.M 1 : x ~ y", "~", "~ Curve", " DEPT.M : d",
                "~A", "1 ~"});
  for (const float version : {2.0f, 3.0f}) {
    const std::string found = bySearch(file, version);
    EXPECT_NE(found, "") << version;
    EXPECT_EQ(withDirectory(file, version), found) << version;
  }
}

TEST(TildeLines, LinesBeyondWhatTheDirectoryKeepsAreSearched) {
  ScratchDir dir;
  // More tilde lines than the directory keeps (comments: no finding in 3.0),
  // then more titles than it lists; a finding after each.
  std::string manyTildes = "~Version\r\n VERS. 3.0 : v\r\n";
  for (std::size_t i = 0; i <= SectionDirectory::kMaxTildeLines; ++i) manyTildes += "# ~\r\n";
  manyTildes += "x ~ after the kept lines\r\n";
  std::string manyTitles = "~Version\r\n VERS. 3.0 : v\r\n";
  for (std::size_t i = 0; i <= SectionDirectory::kMaxSections; ++i) manyTitles += "~T" + std::to_string(i) + "\r\n";
  manyTitles += "x ~ after the listed titles\r\n";
  for (const std::string& text : {manyTildes, manyTitles}) {
    const std::string file = dir.write("many.las", text);
    const std::string found = bySearch(file, 3.0f);
    EXPECT_NE(found.find("x ~ after the"), std::string::npos);
    EXPECT_EQ(withDirectory(file, 3.0f), found);
  }
}

TEST(TildeLines, AFileChangedSinceTheDirectoryWasBuiltIsSearchedAgain) {
  ScratchDir dir;
  const std::string file = dir.writeLas("t.las", {"~Version", " VERS. 2.0 : v", "~A", "1"});
  SectionDirectory d;
  d.build(file, 2.0f);
  dir.writeLas("t.las", {"~Version", " VERS. 2.0 : v", "x ~ added later", "~A", "1"});
  EXPECT_FALSE(d.describesFile(file));
  EXPECT_EQ(std::string(scanTildeLinesV2(file, &d).text.text()), bySearch(file, 2.0f));
  EXPECT_NE(bySearch(file, 2.0f).find("added later"), std::string::npos);
}

}  // namespace tilde_lines

namespace spread_search {

// Past the data section title, several threads search the rest of a long
// file for tildes; the directory must be the one a single search builds.
void expectSameDirectory(const std::string& file, float version, int threads) {
  SectionDirectory one, spread;
  one.build(file, version);
  spread.spreadSearch(threads, 0);
  spread.build(file, version);
  ASSERT_EQ(spread.rows().size(), one.rows().size());
  for (std::size_t i = 0; i < one.rows().size(); ++i) {
    const SectionRow &a = one.rows()[i], &b = spread.rows()[i];
    EXPECT_EQ(std::tie(b.name, b.association, b.start, b.titleStart, b.titleLine),
              std::tie(a.name, a.association, a.start, a.titleStart, a.titleLine))
        << i;
  }
  EXPECT_EQ(spread.tildeLineStarts(), one.tildeLineStarts());
  EXPECT_EQ(spread.tildeLinesEnd(), one.tildeLinesEnd());
}

TEST(SpreadSearch, FindsWhatOneSearchFindsWherePartsSplitLines) {
  ScratchDir dir;
  std::mt19937 random(7);
  const std::vector<std::string> pieces = {"1.0 2.0", "~", "x ~ y", "~Other", "~Log_Data[2]", "  ~Tops", "#~c", "\n",
                                           "~~", "12345678901234567890", ""};
  const std::vector<std::string> ends = {"\r\n", "\r", "\n\r\n", "\r\n\n"};
  for (int round = 0; round < 200; ++round) {
    std::string text = "~Version\r\n VERS. 2.0 : v\r\n~Curve\r\n DEPT.M : d\r\n~A\r\n";
    const int lines = 1 + static_cast<int>(random() % 60);
    for (int i = 0; i < lines; ++i)
      text += pieces[random() % pieces.size()] + pieces[random() % pieces.size()] + ends[random() % ends.size()];
    if (random() % 2) text.resize(text.size() - 1);
    const std::string file = dir.write("r.las", text);
    for (const int threads : {2, 3, 5}) {
      expectSameDirectory(file, 2.0f, threads);
      expectSameDirectory(file, 3.0f, threads);
    }
    if (HasFailure()) {
      ADD_FAILURE() << "round " << round;
      return;
    }
  }
}

TEST(SpreadSearch, MoreTildesThanAPartKeepsAndMoreTitlesThanTheDirectoryLists) {
  ScratchDir dir;
  std::string tildes = "~Version\r\n VERS. 2.0 : v\r\n~A\r\n";
  for (int i = 0; i < 100000; ++i) tildes += "1 ~\r\n";
  tildes += "~Other\r\n";
  std::string titles = "~Version\r\n VERS. 3.0 : v\r\n~Log_Data\r\n";
  for (std::size_t i = 0; i <= SectionDirectory::kMaxSections; ++i) titles += "~T" + std::to_string(i) + "\r\n1\r\n";
  for (const std::string& text : {tildes, titles}) {
    const std::string file = dir.write("many.las", text);
    expectSameDirectory(file, 3.0f, 2);
    expectSameDirectory(file, 2.0f, 4);
  }
}

}  // namespace spread_search
