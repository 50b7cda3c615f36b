// The header-line grammar: classification, the six parts, mnemonic rules
// and whole sections read through the directory.
#include "las/line_parser.h"

#include <gtest/gtest.h>

#include "las/parsed_section.h"
#include "las/section_directory.h"
#include "support/las_fixture.h"

using namespace korrivan::las;

namespace {

struct PartsCase {
  const char* line;
  const char* mnemonic;
  const char* unit;
  const char* value;
  const char* description;
  const char* format;
  const char* association;
};

TEST(HeaderLineParts, ExampleLines) {
  const PartsCase cases[] = {
      {"STRT.M      1000.0 : START DEPTH", "STRT", "M", "1000.0", "START DEPTH", "", ""},
      {"WELL.   ANY ET AL 12-34 : WELL", "WELL", "", "ANY ET AL 12-34", "WELL", "", ""},
      {"DEPT.M : DEPTH", "DEPT", "M", "", "DEPTH", "", ""},
      {"TIME.    12:30:00 : Start time {hh:mm:ss}", "TIME", "", "12:30:00", "Start time", "hh:mm:ss", ""},
      {"GR  .GAPI : Gamma ray {F} | Run[1]", "GR", "GAPI", "", "Gamma ray", "F", "Run[1]"},
      {"NMR[1].ms 5 : Echo {AF10.4;extra}", "NMR[1]", "ms", "5", "Echo", "F10.4", ""},
      {" COMP    .       ANY OIL COMPANY INC.  :COMPANY", "COMP", "", "ANY OIL COMPANY INC.", "COMPANY", "", ""},
      {"BHT .DEGC  35.5 : Temp | A,B", "BHT", "DEGC", "35.5", "Temp", "", "A,B"},
  };
  for (const PartsCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(getMnemonic(c.line), c.mnemonic);
    EXPECT_EQ(getUnit(c.line), c.unit);
    EXPECT_EQ(getValue(c.line), c.value);
    EXPECT_EQ(getDescription(c.line), c.description);
    EXPECT_EQ(getFormat(c.line), c.format);
    EXPECT_EQ(getAssociation(c.line, ' '), c.association);
  }
}

TEST(HeaderLineParts, AssociationItemsSplitAtTheRunDelimiter) {
  std::vector<std::string> items;
  getAssociation("X.m 1 : d | A, B", ',', &items);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1], " B");
  getAssociation("X.m 1 : d | A   B", ' ', &items);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1], "B");
}

TEST(ClassifyLine, KindsInOrder) {
  const std::pair<const char*, LineKind> cases[] = {
      {"", LineKind::Blank},
      {"    ", LineKind::Blank},
      {"# comment . :", LineKind::Comment},
      {"  ~Well", LineKind::SectionTitle},
      {"DEPT.:Depth", LineKind::Undetermined},
      {"DEPT. :Depth", LineKind::ParameterLine},
      {"NO PERIOD : here", LineKind::Undetermined},
      {"NO.COLON here", LineKind::Undetermined},
      {"  .M 1 : no mnemonic", LineKind::MissingMnemonic},
      {"WELL NAME.  X : y", LineKind::SpaceInMnemonic},
      {"GR.\tGAPI 1 : tab", LineKind::TabOnLine},
      {"STRT.M 1000 : START", LineKind::ParameterLine},
  };
  for (const auto& [line, kind] : cases) EXPECT_EQ(classifyLine(line), kind) << line;
}

TEST(Mnemonics, RulesByVersion) {
  EXPECT_TRUE(isValidMnemonic("GR", 2.0f));
  EXPECT_TRUE(isValidMnemonic("GR[2]", 2.0f));
  EXPECT_FALSE(isValidMnemonic("G R", 2.0f));
  EXPECT_FALSE(isValidMnemonic("", 2.0f));
  EXPECT_TRUE(isValidMnemonic("G,R", 1.2f));
  EXPECT_TRUE(isValidMnemonic("GR[2]", 3.0f));
  EXPECT_FALSE(isValidMnemonic("GR[]", 3.0f));
  EXPECT_FALSE(isValidMnemonic("GR[x]", 3.0f));
  EXPECT_FALSE(isValidMnemonic("[2]", 3.0f));
  EXPECT_FALSE(isValidMnemonic("GR[2", 3.0f));
  EXPECT_FALSE(isValidMnemonic("GR[2]X", 3.0f));
  EXPECT_FALSE(isValidMnemonic("G,R", 3.0f));
  EXPECT_FALSE(isValidMnemonic("G|R", 3.0f));
}

TEST(ParseSection, RowsListAndTabs) {
  korrivan::test::ScratchDir dir;
  std::string file = dir.writeLas("p.las", {"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "# comment . :", "",
                                            "NOCOLON. here", " DLM\t. SPACE : d", "~Well", " STRT.M 1 : s"});
  SectionDirectory directory;
  directory.build(file, 2.0f);
  ParsedSection table;
  ASSERT_EQ(parseSection(directory, table, "Version", {' ', 2.0f}), ParseStatus::Read);
  ASSERT_EQ(table.lineCount(), 3u);
  EXPECT_EQ(table.validMnemonics(), " VERS WRAP DLM ");
  EXPECT_EQ(table.rows[3].value, "SPACE");  // the tab became a space

  EXPECT_EQ(parseSection(directory, table, "Other", {' ', 2.0f}), ParseStatus::EmptyOrAbsent);
  EXPECT_EQ(table.lineCount(), 0u);
  EXPECT_EQ(table.validMnemonics(), "");
}

TEST(ParseSection, LastSectionReadsToTheEndOfTheFile) {
  korrivan::test::ScratchDir dir;
  std::string file = dir.write("last.las", "~Version\r\n VERS. 3.0 : v\r\n~Well\r\n STRT.M 1 : s\r\n STOP.M 2 : e");
  SectionDirectory directory;
  directory.build(file, 3.0f);
  ParsedSection table;
  ASSERT_EQ(parseSection(directory, table, "Well", {' ', 3.0f}), ParseStatus::Read);
  ASSERT_EQ(table.lineCount(), 2u);
  EXPECT_EQ(table.rows[2].mnemonic, "STOP");
  ASSERT_EQ(parseSection(directory, table, "Version", {' ', 3.0f}), ParseStatus::Read);
  EXPECT_EQ(table.lineCount(), 1u);
}

}  // namespace
