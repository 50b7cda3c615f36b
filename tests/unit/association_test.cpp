// Association walks on whole header tables: circles found by following the
// first items, and tables far larger than any real file stay quick.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "checks/certify_run.h"
#include "checks/family.h"
#include "las/parsed_section.h"
#include "support/las_fixture.h"

using namespace korrivan;
using korrivan::test::ScratchDir;

namespace {

// Runs one version 3.0 family on a file of these lines; its result and slots.
std::pair<certify::FamilyResult, certify::OutcomeSlots> runFamilyOn(const ScratchDir& dir,
                                                                    const std::vector<std::string>& lines,
                                                                    checks::Family family, char delimiter = ' ') {
  checks::FileView file;
  file.fileName = dir.writeLas("family.las", lines);
  file.version = 3.0f;
  file.delimiter = delimiter;
  file.directory.locateMainSections(file.fileName, 3.0f);
  checks::Handover handover;
  certify::OutcomeSlots slots;
  certify::FamilyResult result = family(file, handover, slots);
  return {result, slots};
}

std::string associationsOf(const ScratchDir& dir, const std::vector<std::string>& parameters, char delimiter = ' ') {
  std::vector<std::string> lines = {"~Version", " VERS. 3.0 : v", "~Log_Parameter"};
  lines.insert(lines.end(), parameters.begin(), parameters.end());
  lines.push_back("~Log_Data");
  auto [result, slots] = runFamilyOn(dir, lines, checks::checkAssociations, delimiter);
  return slots[1].text() + "#" + slots[2].text();
}

TEST(Associations, CirclesReportTheRowThatClosesThem) {
  ScratchDir dir;
  // A walk from Z enters the circle B -> C -> D -> B at B and reports D.
  EXPECT_EQ(associationsOf(dir, {" Z.  1 : z | B", " B.  1 : b | C", " C.  1 : c | D", " D.  1 : d | B"}),
            "#Circular Association at line: \r\nD.    1 : d | B\r\n"
            "Circular Association at line: \r\nB.    1 : b | C\r\n"
            "Circular Association at line: \r\nC.    1 : c | D\r\n"
            "Circular Association at line: \r\nD.    1 : d | B\r\n");
  // Several items: the later walk sees the rows of the earlier one.
  EXPECT_EQ(associationsOf(dir, {" X.  1 : x | A B", " A.  1 : a | B", " B.  1 : b | Q", " Q.  1 : q"}), "#");
  EXPECT_EQ(associationsOf(dir, {" X.  1 : x | A B", " A.  1 : a | B", " B.  1 : b | A"}),
            "#Circular Association at line: \r\nB.    1 : b | A\r\n"  // X, first item
            "Circular Association at line: \r\nB.    1 : b | A\r\n"   // X, second item: A is in the chain
            "Circular Association at line: \r\nA.    1 : a | B\r\n"
            "Circular Association at line: \r\nB.    1 : b | A\r\n");
  // With DLM COMMA an item keeps the blank after the comma and is not found.
  EXPECT_EQ(associationsOf(dir, {" X.  1 : x | A, B", " A.  1 : a", " B.  1 : b"}, ','),
            "Association mnemonic  B not found in file. Line was :\r\nX.    1 : x | A, B\r\n#");
}

TEST(Associations, EndlessChainsStayQuick) {
  ScratchDir dir;
  const int n = static_cast<int>(las::kMaxSectionRows);
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) lines.push_back(" A" + std::to_string(i) + ".  1 : p | A" + std::to_string((i + 1) % n));
  std::string result = associationsOf(dir, lines);
  // One circle through every row: each walk comes back to the row it started from.
  EXPECT_TRUE(
      result.starts_with("#Circular Association at line: \r\nA0.    1 : p | A1\r\n"
                         "Circular Association at line: \r\nA1.    1 : p | A2\r\n"));
  EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 2 * n);
}

// Rows of several items walk the chain one by one; on endless chains the
// walks stop after a fixed number of steps in all and say so.
TEST(Associations, WalksOfSeveralItemsEndWithinTheirBudget) {
  ScratchDir dir;
  const int n = static_cast<int>(las::kMaxSectionRows) - 1;
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i)
    lines.push_back(" A" + std::to_string(i) + ".  1 : p | A" + std::to_string(i + 1) + " A0");
  lines.push_back(" A" + std::to_string(n) + ".  1 : end");
  std::string result = associationsOf(dir, lines);
  EXPECT_TRUE(result.ends_with(
      "Association chains too long to follow: circular references after this point were not looked for\r\n"));
}

}  // namespace

namespace {

// Following the walks as a graph of rows must give what walking the chain
// text gives. A mnemonic with a space makes the check walk the chain text
// for every row, without changing any walk's result.
TEST(Associations, GraphWalksAgreeWithChainTextWalks) {
  ScratchDir dir;
  std::mt19937 random(7);
  const std::string names = "ABCDEFGHIJ";
  for (int table = 0; table < 150; ++table) {
    std::vector<std::string> lines;
    const int rows = 1 + static_cast<int>(random() % 10);
    for (int r = 0; r < rows; ++r) {
      std::string line = std::string(" ") + names[random() % names.size()] + ".  1 : p";
      if (random() % 5 != 0) line += std::string(" | ") + names[random() % names.size()];
      lines.push_back(line);
    }
    std::string asGraph = associationsOf(dir, lines);
    lines.push_back(" Q Z.  1 : q");
    std::string asText = associationsOf(dir, lines);
    ASSERT_EQ(asGraph, asText) << "table " << table;
  }
}

}  // namespace

namespace {

// Array channel checks over a definition section of many arrays, each
// followed by another channel, take one walk per array.
TEST(ArrayChannels, ManyArraysStayQuick) {
  ScratchDir dir;
  std::vector<std::string> lines = {"~Version", " VERS. 3.0 : v", "~Log_Definition", " DEPT.M : d {F}"};
  for (int i = 0; i < 2400; ++i) {
    lines.push_back(" N" + std::to_string(i) + "[1].MS : bin {AF;1}");
    lines.push_back(" G" + std::to_string(i) + ".G : g {F}");
  }
  lines.push_back(" N7[2].MS : bin {AF;1}");  // a member away from its array
  lines.push_back("~Log_Data | Log_Definition");
  auto [result, slots] = runFamilyOn(dir, lines, checks::checkArrayChannels);
  EXPECT_EQ(result, certify::FamilyResult::Record);
  EXPECT_EQ(slots[3], "N7[2]\r\n");
  EXPECT_EQ(slots[2], "");
}

}  // namespace
