// The content-specification file: a round trip keeps every row and group,
// and every malformed line gets its own message with its line number.
#include "compliance/content_spec_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/las_fixture.h"

using namespace korrivan::compliance;
using korrivan::test::ScratchDir;

namespace {

constexpr const char* kTitle = "Korrivan content specification 1\n";

ContentSpec sampleSpec() {
  ContentSpec contentSpec = newContentSpec();
  contentSpec.groups.push_back({"Core", GroupLayout::DefData});
  ContentSpecRow strt;
  strt.section = "Well";
  strt.mnemonic = "STRT";
  strt.unit = "M";
  strt.unitRule = PartRule::Filled;
  strt.formatCode = "F";
  strt.description = "First Index Value: depth";
  ContentSpecRow run;
  run.section = "Log_Parameter";
  run.mnemonic = "RUN";
  run.mnemonicRule = PartRule::Filled;
  run.valueRule = ValueRule::OptionalUseFormat;
  run.formatKind = FormatKind::Exponential;
  run.formatCode = "0.00E+00";
  run.association = "RUN[1]";
  run.associationRule = AssociationRule::Must;
  ContentSpecRow depth;
  depth.section = "Core_Definition";
  depth.mnemonic = "DEPTH";
  depth.valueRule = ValueRule::NotFilled;
  depth.formatKind = FormatKind::None;
  depth.formatCode.clear();
  depth.description = "\xC2\xB0 and spaces  inside";
  contentSpec.rows = {strt, run, depth};
  return contentSpec;
}

TEST(SpecFile, RoundTripKeepsGroupsRowsAndOrder) {
  const ContentSpec contentSpec = sampleSpec();
  const std::string text = writeContentSpec(contentSpec);
  EXPECT_EQ(text.substr(0, 33), kTitle);
  EXPECT_NE(text.find("group Core | ~Def ~Data\n"), std::string::npos);
  EXPECT_NE(text.find("~Well | STRT | Exact | M | Filled |  | Must be filled/Use Format | Floating Point | F | First "
                      "Index Value: depth | Exact |  | Optional\n"),
            std::string::npos);

  const ContentSpecReading read = parseContentSpec(text);
  ASSERT_TRUE(read.ok()) << read.errors.front().text();
  ASSERT_EQ(read.contentSpec.groups.size(), 2u);
  EXPECT_EQ(read.contentSpec.groups[1].layout, GroupLayout::DefData);
  ASSERT_EQ(read.contentSpec.rows.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const ContentSpecRow& a = contentSpec.rows[i];
    const ContentSpecRow& b = read.contentSpec.rows[i];
    EXPECT_EQ(cellsOfRow(a), cellsOfRow(b)) << i;
    EXPECT_EQ(a.section, b.section);
  }
  EXPECT_EQ(read.contentSpec.rows[0].sourceLine, 6);
  EXPECT_EQ(writeContentSpec(read.contentSpec), text);
}

TEST(SpecFile, EveryMalformedLineIsNamed) {
  const std::string text = std::string(kTitle) +                                             // 1
                           "# a comment\n"                                                   // 2
                           "\n"                                                              // 3
                           "~Well | STRT | Exact\n"                                          // 4
                           "~Wel | STRT | | | | | | | | | | |\n"                             // 5
                           "~Well | STRT | Exactly | | | | | | | | | |\n"                    // 6
                           "~Well | STRT | | | | | | Integer | F10.2 | | | |\n"              // 7
                           "~Well | | | M | | | | | | | | |\n"                               // 8
                           "~Well | GR | | | | | | | | {brace} | | |\n"                      // 9
                           "group My Core | ~Par\n"                                          // 10
                           "group Core | ~All\n"                                             // 11
                           "group Log | ~Par\n"                                              // 12
                           "group Log | ~Def ~Data\n"                                        // 13
                           "STRT | Exact\n"                                                  // 14
                           "~Log_Definition | DEPT | Exact | M | Exact | | | | | | | |\r\n"  // 15: fine, CR LF
                           "~Well | STOP | | | | | | Exponential | 0.00E+00 | | | |\n";      // 16: fine
  const ContentSpecReading read = parseContentSpec(text);
  std::vector<std::string> messages;
  for (const ContentSpecError& e : read.errors) messages.push_back(e.text());
  const std::vector<std::string> expected{
      "line 4: a row holds 13 fields separated by \"|\" (the section and twelve cells); this line holds 3",
      "line 5: \"~Wel\" is not a section of a content specification (~Version, ~Well, ~Parameter, or "
      "~GROUP_Parameter, ~GROUP_Definition, ~GROUP_Data)",
      "line 6: \"Exactly\" is not a rule of MNEM (Exact, Filled or Optional)",
      "line 7: format code \"F10.2\" is not a legal format of the kind Integer",
      "line 8: the row has no mnemonic",
      "line 9: DESC \"{brace}\" holds a character \"{\" no cell may hold",
      "line 10: \"My Core\" cannot name a section group (a name without spaces or any of . : | ~ { } [ ] _ # ; ,)",
      "line 11: \"~All\" is not a layout of a section group (~Par ~Def ~Data, ~Def ~Data or ~Par)",
      "line 13: section group Log is declared twice",
      "line 14: expected a row beginning with \"~\", a group line or a comment",
  };
  EXPECT_EQ(messages, expected);
  // The good lines are still read.
  ASSERT_EQ(read.contentSpec.rows.size(), 2u);
  EXPECT_EQ(read.contentSpec.rows[0].mnemonic, "DEPT");
  EXPECT_EQ(read.contentSpec.groups.at(0).layout, GroupLayout::Par);
}

TEST(SpecFile, TitleAndFormatVersion) {
  auto firstError = [](std::string_view text) {
    const ContentSpecReading read = parseContentSpec(text);
    return read.errors.empty() ? std::string() : read.errors.front().text();
  };
  EXPECT_EQ(firstError("~VERSION INFORMATION\r\n VERS. 2.0 : x\r\n"),
            "line 1: not a Korrivan content specification: the first line must read \"Korrivan content "
            "specification 1\"");
  EXPECT_EQ(firstError("# comment first\nKorrivan content specification 2\n"),
            "line 2: content specification format 2 was written by a newer Korrivan; this one reads format 1");
  EXPECT_EQ(firstError("Korrivan content specification one\n"),
            "line 1: the first line must read \"Korrivan content specification 1\", with the format number at its "
            "end");
  EXPECT_EQ(firstError(""),
            "the file is empty: a content specification begins with the line \"Korrivan content "
            "specification 1\"");
  EXPECT_EQ(firstError("\xEF\xBB\xBFKorrivan content specification 1\r\n"), "");
}

TEST(SpecFile, RowsPerSectionAreBounded) {
  std::string text = kTitle;
  for (int i = 0; i <= kGridRows; ++i) text += "~Well | M" + std::to_string(i) + " | | | | | | | | | | |\n";
  const ContentSpecReading read = parseContentSpec(text);
  ASSERT_EQ(read.errors.size(), 1u);
  EXPECT_EQ(read.errors[0].text(), "line 1002: ~Well holds more than 1000 rows");
  EXPECT_EQ(read.contentSpec.rows.size(), static_cast<std::size_t>(kGridRows));
}

TEST(SpecFile, SavedSafelyAndReadBack) {
  ScratchDir dir;
  const std::string name = (dir.path() / "contentSpec.def").string();
  saveContentSpecFile(name, sampleSpec());
  const ContentSpecReading read = readContentSpecFile(name);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.contentSpec.rows.size(), 3u);

  const ContentSpecReading missing = readContentSpecFile((dir.path() / "none.def").string());
  ASSERT_EQ(missing.errors.size(), 1u);
  EXPECT_EQ(missing.errors[0].text(), (dir.path() / "none.def").string() + ": File not found");
  EXPECT_EQ(readContentSpecFile(dir.path().string()).errors.at(0).text(), dir.path().string() + ": not a regular file");

  // A folder that takes no new file leaves the old specification as it was.
  if (::geteuid() != 0) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_ANY_THROW(saveContentSpecFile(name, newContentSpec()));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(readContentSpecFile(name).contentSpec.rows.size(), 3u);
  }
}

}  // namespace
