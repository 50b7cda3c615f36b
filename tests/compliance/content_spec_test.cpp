// The rules of the content-specification grid without the window: key rules
// per column, the defaults after a mnemonic, format codes per kind, the
// lists, and a grid row read as a content specification row.
#include "compliance/content_spec.h"

#include <gtest/gtest.h>

using namespace korrivan::compliance;

namespace {

constexpr int kMnem = static_cast<int>(SpecColumn::Mnemonic);
constexpr int kUnit = static_cast<int>(SpecColumn::Unit);
constexpr int kValue = static_cast<int>(SpecColumn::Value);
constexpr int kDesc = static_cast<int>(SpecColumn::Description);
constexpr int kAssoc = static_cast<int>(SpecColumn::Association);

std::string typed(int column, std::u32string keys) {
  std::string out;
  for (char32_t k : keys)
    if (auto c = acceptKey(column, k)) out += static_cast<char>(*c);  // ASCII keys only here
  return out;
}

std::string& at(GridCells& cells, SpecColumn c) { return cells[static_cast<std::size_t>(c)]; }

TEST(KeyRules, UpperCasingAndRefusalsPerColumn) {
  EXPECT_EQ(typed(kMnem, U"dept"), "DEPT");
  EXPECT_EQ(typed(kMnem, U"gr.x y:[1]"), "GRXY1");
  EXPECT_EQ(typed(kAssoc, U"run.1"), "RUN1");
  EXPECT_EQ(typed(kUnit, U"k/m3.x"), "K/M3.X");  // "." is a unit's character
  EXPECT_EQ(typed(kUnit, U"g cm"), "GCM");
  EXPECT_EQ(typed(kValue, U"12 ab;c"), "12 ABC");
  EXPECT_EQ(typed(kDesc, U"Bit: size [in]"), "Bit: size [in]");  // no upper-casing in DESC
  for (int column : {kMnem, kUnit, kValue, kDesc, kAssoc})
    for (char32_t c : {U'{', U'|', U'}', U'~', char32_t{0}, char32_t{256}, char32_t{0x20AC}})
      EXPECT_FALSE(acceptKey(column, c)) << column << " " << static_cast<unsigned>(c);
  // Latin-1 letters upper-case within Latin-1; the degree sign passes.
  EXPECT_EQ(acceptKey(kUnit, 0xE9), char32_t{0xC9});
  EXPECT_EQ(acceptKey(kUnit, 0xB0), char32_t{0xB0});
  EXPECT_EQ(acceptKey(kDesc, 0xE9), char32_t{0xE9});
  for (int column : {2, 4, 6, 7, 8, 10, 12}) EXPECT_FALSE(acceptKey(column, U'A')) << column;
}

TEST(KeyRules, StoredTextKeepsWhatTypingRefuses) {
  char32_t refused = 1;
  EXPECT_EQ(storedCellText(kMnem, "run[1]", &refused), "RUN[1]");
  EXPECT_EQ(refused, 0u);
  EXPECT_EQ(storedCellText(kDesc, "a{b}|c~d", &refused), "abcd");
  EXPECT_EQ(refused, U'{');
  EXPECT_EQ(storedCellText(kUnit,
                           "\xC2\xB0"
                           "c"),
            "\xC2\xB0"
            "C");
  EXPECT_EQ(storedCellText(kDesc, "x\xE2\x82\xACy", &refused), "xy");  // the euro sign is outside Latin-1
  EXPECT_EQ(storedCellText(kDesc, "x\xB0y", &refused), "xy");          // a Latin-1 byte is not UTF-8
  EXPECT_GT(refused, char32_t{0x10FFFF});
}

TEST(GridRules, DefaultsAfterAMnemonic) {
  GridCells cells;
  at(cells, SpecColumn::Mnemonic) = "DEPT";
  fillRowDefaults(cells);
  EXPECT_EQ(at(cells, SpecColumn::MnemonicRule), "Exact");
  EXPECT_EQ(at(cells, SpecColumn::UnitRule), "Exact");
  EXPECT_EQ(at(cells, SpecColumn::ValueRule), "Must be filled/Use Format");
  EXPECT_EQ(at(cells, SpecColumn::FormatKind), "Floating Point");
  EXPECT_EQ(at(cells, SpecColumn::FormatCode), "F13.5");
  EXPECT_EQ(at(cells, SpecColumn::DescriptionRule), "Exact");
  EXPECT_EQ(at(cells, SpecColumn::AssociationRule), "Optional");

  // Options already chosen stay; a row with a format code keeps its format.
  GridCells chosen;
  at(chosen, SpecColumn::MnemonicRule) = "Optional";
  at(chosen, SpecColumn::FormatKind) = "Integer";
  at(chosen, SpecColumn::FormatCode) = "I10";
  fillRowDefaults(chosen);
  EXPECT_EQ(at(chosen, SpecColumn::MnemonicRule), "Optional");
  EXPECT_EQ(at(chosen, SpecColumn::FormatKind), "Integer");
  EXPECT_EQ(at(chosen, SpecColumn::FormatCode), "I10");
}

TEST(GridRules, FormatCodesPerKind) {
  const std::pair<const char*, const char*> cases[] = {
      {"Floating Point", "F13.5"},      {"Integer", "I10"}, {"String", "S32"}, {"Exponential", "0.00E+00"},
      {"Date a/o Time", "DD/MMM/YYYY"},
  };
  for (const auto& [kind, code] : cases) {
    GridCells cells;
    at(cells, SpecColumn::FormatKind) = kind;
    formatKindChosen(cells);
    EXPECT_EQ(at(cells, SpecColumn::FormatCode), code) << kind;
    EXPECT_TRUE(codeFitsKind(*formatKindOf(kind), code)) << kind;
  }
  for (const char* none : {"<None>", ""}) {
    GridCells cells;
    at(cells, SpecColumn::FormatKind) = none;
    at(cells, SpecColumn::FormatCode) = "F13.5";
    formatKindChosen(cells);
    EXPECT_EQ(at(cells, SpecColumn::FormatKind), "");
    EXPECT_EQ(at(cells, SpecColumn::FormatCode), "");
  }
  GridCells any;
  at(any, SpecColumn::ValueRule) = "Must be filled/Any Format";
  valueRuleChosen(any);
  EXPECT_EQ(at(any, SpecColumn::FormatKind), "Floating Point");
  EXPECT_EQ(at(any, SpecColumn::FormatCode), "F13.5");
  GridCells notFilled;
  at(notFilled, SpecColumn::ValueRule) = "Must NOT be filled";
  valueRuleChosen(notFilled);
  EXPECT_EQ(at(notFilled, SpecColumn::FormatCode), "");
}

TEST(GridRules, ListsAndCodesOfKinds) {
  EXPECT_EQ(listOf(4, true), (std::vector<std::string>{"Exact", "Filled", "Optional"}));
  EXPECT_EQ(listOf(4, false), (std::vector<std::string>{"Exact", "Optional"}));
  EXPECT_EQ(listOf(7, false).front(), "");
  EXPECT_EQ(listOf(7, false).at(1), "<None>");
  EXPECT_EQ(listOf(12, false), (std::vector<std::string>{"Must", "Optional"}));
  EXPECT_TRUE(listOf(8, true).empty());
  EXPECT_TRUE(listOf(1, true).empty());

  EXPECT_EQ(effectiveFormat(FormatKind::Exponential, "0.00E+00"), "E0.00E+00");
  EXPECT_TRUE(codeFitsKind(FormatKind::FloatingPoint, "F10.4"));
  EXPECT_FALSE(codeFitsKind(FormatKind::FloatingPoint, "F4.4"));
  EXPECT_FALSE(codeFitsKind(FormatKind::Integer, "F10.4"));
  EXPECT_TRUE(codeFitsKind(FormatKind::DateTime, "hh:mm:ss"));
  EXPECT_FALSE(codeFitsKind(FormatKind::None, "F"));
  EXPECT_EQ(kindOfCode("DD/MM/YYYY"), FormatKind::DateTime);
  EXPECT_FALSE(kindOfCode("\xB0'\""));
}

TEST(Sections, NamesOfFixedAndGroupSections) {
  EXPECT_EQ(sectionRefOf("well")->name, "Well");
  auto core = sectionRefOf("Core_data");
  ASSERT_TRUE(core);
  EXPECT_EQ(core->name, "Core_Data");
  EXPECT_EQ(core->group, "Core");
  EXPECT_EQ(core->tab, SectionTab::Data);
  EXPECT_FALSE(sectionRefOf("Log"));
  EXPECT_FALSE(sectionRefOf("_Data"));
  EXPECT_FALSE(sectionRefOf("My Core_Data"));
  EXPECT_FALSE(isValidGroupName("My_Core"));
  EXPECT_TRUE(layoutHasTab(GroupLayout::DefData, SectionTab::Data));
  EXPECT_FALSE(layoutHasTab(GroupLayout::Par, SectionTab::Definition));
}

TEST(GridRows, ReadAsSpecificationRows) {
  GridCells cells;
  at(cells, SpecColumn::Mnemonic) = " dept ";
  at(cells, SpecColumn::Unit) = "m";
  RowReading read = rowOfCells(cells, "Log_Definition");
  ASSERT_TRUE(read.row) << read.message;
  EXPECT_EQ(read.row->mnemonic, "DEPT");
  EXPECT_EQ(read.row->unit, "M");
  EXPECT_EQ(read.row->valueRule, ValueRule::FilledUseFormat);  // empty options read as the defaults
  EXPECT_EQ(read.row->formatKind, FormatKind::None);           // an empty format stays empty

  GridCells back = cellsOfRow(*read.row);
  EXPECT_EQ(at(back, SpecColumn::MnemonicRule), "Exact");
  EXPECT_EQ(rowOfCells(back, "Log_Definition").row->mnemonic, "DEPT");

  GridCells bad = cells;
  at(bad, SpecColumn::ValueRule) = "Sometimes";
  EXPECT_EQ(rowOfCells(bad, "Well").message,
            "\"Sometimes\" is not a rule of VALUE (Must be filled/Use Format, Must be filled/Any Format, Must NOT "
            "be filled, Optionally Fill/Use Format or Optionally Fill/Any Format)");
  GridCells code = cells;
  at(code, SpecColumn::FormatKind) = "Integer";
  at(code, SpecColumn::FormatCode) = "F10.2";
  EXPECT_EQ(rowOfCells(code, "Well").message, "format code \"F10.2\" is not a legal format of the kind Integer");
  GridCells noMnemonic;
  at(noMnemonic, SpecColumn::Unit) = "M";
  EXPECT_FALSE(rowOfCells(noMnemonic, "Well").row);
  EXPECT_FALSE(rowIsBlank(noMnemonic));
}

TEST(GridRows, LinesTakenOverFromALasFile) {
  korrivan::las::LasLineParts line;
  line.mnemonic = "run_date";
  line.unit = "";
  line.value = "22/09/1998";
  line.description = "Run 1 date";
  line.format = "DD/MM/YYYY";
  line.association = "Run[1]";
  const std::array<bool, 6> all{true, true, true, true, true, true};
  GridCells cells = importedRow(line, all);
  EXPECT_EQ(at(cells, SpecColumn::Mnemonic), "RUN_DATE");
  EXPECT_EQ(at(cells, SpecColumn::ValueRule), "Must be filled/Use Format");
  EXPECT_EQ(at(cells, SpecColumn::FormatKind), "Date a/o Time");
  EXPECT_EQ(at(cells, SpecColumn::FormatCode), "DD/MM/YYYY");
  EXPECT_EQ(at(cells, SpecColumn::Description), "Run 1 date");
  EXPECT_EQ(at(cells, SpecColumn::Association), "RUN[1]");
  EXPECT_EQ(at(cells, SpecColumn::AssociationRule), "Must");
  EXPECT_TRUE(rowOfCells(cells, "Log_Parameter").row);

  // Parts left behind are Optional; a format no kind stands for is not taken.
  line.value.clear();
  line.format = "\xB0'\"";
  cells = importedRow(line, {true, false, false, false, true, false});
  EXPECT_EQ(at(cells, SpecColumn::UnitRule), "Optional");
  EXPECT_EQ(at(cells, SpecColumn::ValueRule), "Optionally Fill/Any Format");
  EXPECT_EQ(at(cells, SpecColumn::FormatKind), "");
  EXPECT_EQ(at(cells, SpecColumn::Description), "");
  EXPECT_EQ(at(cells, SpecColumn::DescriptionRule), "Optional");
  EXPECT_EQ(at(cells, SpecColumn::AssociationRule), "Optional");
  line.mnemonic = " ";
  EXPECT_TRUE(rowIsBlank(importedRow(line, all)));
}

}  // namespace
