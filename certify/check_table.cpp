#include "certify/check_table.h"

#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace korrivan::certify {

CheckTable::CheckTable(int lastGroup)
    : lastGroup_(lastGroup), cells_(static_cast<std::size_t>(kRows * kColumns * (lastGroup + 1))) {}

std::string& CheckTable::cell(int row, int column, int group) {
  return const_cast<std::string&>(std::as_const(*this).cell(row, column, group));
}

const std::string& CheckTable::cell(int row, int column, int group) const {
  if (row < 0 || row >= kRows || column < 0 || column >= kColumns || group < 0 || group > lastGroup_)
    throw std::out_of_range("check table cell");
  return cells_[static_cast<std::size_t>((group * kRows + row) * kColumns + column)];
}

namespace {

void fillGroup(CheckTable& t, int group, std::string title, std::initializer_list<std::string> names) {
  t.cell(0, 0, group) = std::move(title);
  int row = 1;
  for (const std::string& name : names) t.checkName(group, row++) = name;
}

void fillVersion3Catalogue(CheckTable& t, std::string_view data) {
  const std::string d(data);
  fillGroup(t, 1, "File Naming, Availability, Termination and Size.",
            {"File exists", "File has more than 0 bytes", "File can be accessed. Locked by any other program??",
             "File is correctly PC Windows (CR LF) terminated", "File has pure ASCII structure.",
             "File extension is .LAS", "Correct tilde (~) Section Title line formatting"});
  fillGroup(t, 2, "~Version VERS, WRAP, DLM present and correct Values.",
            {"~Version section present", "VERS Parameter present in ~Version section",
             "WRAP Parameter present in ~Version section", "DLM Parameter present in ~Version section",
             "VERS Value is 3.0", "WRAP Value is NO", "DLM Value is SPACE COMMA or TAB",
             "VERS WRAP and DLM are first parameters in ~Version section",
             "Only one VERS, WRAP and DLM mnemonic in ~Version section"});
  fillGroup(t, 3, "Section Title Check",
            {"Minimum required ~ (tilde) sections present", "Section titles use recognized names",
             "~Version and ~Well are the first and second sections", "No duplicate section titles",
             "Data Column Data section titles uses a correct delimiter ( | bar))",
             "Column Data section title contains matching Associated Column Definition title",
             "Associated Column Definition section title contains \"_Definition\" suffix",
             "The associated Column Definition section exists in file",
             "Column Definition section has matching Column Data section in file",
             "Parameter Data or Column Definition section titles have no association delimiter and/or associated "
             "section title",
             "All data section sets have sections in correct order (_Para  _Def  _Data)",
             "~Version/~Well/~Curve/~Parameter/~Ascii section titles do have [ ] indexes",
             "Multiple identical section titles each have index [ ] suffixes",
             "Section title indexes [ ] sequential starting with one [1]"});
  fillGroup(t, 4, "Line Structure Syntax Check",
            {"Legal Mnemonic", "Legal UNIT", "Legal VALUE", "Legal DESCRIPTION",
             "Correct use of association delimiter | and association formatting",
             "Correct use of formats and format delimiters {}", "Legal {} FORMAT", "Legal ASSOCIATED Mnemonics",
             "Column Data section contains no Parameter Data lines", "Legal line type for section type",
             "Log Data section(s) contains data lines"});
  fillGroup(t, 5, "~Well Section Mnemonics and Content Checks",
            {"Well section contains required mnemonics", "CTRY Parameter Data line present",
             "CTRY 2 char. Internet country code Value exactly 2 characters",
             "CTRY 2 char. Internet country code Value two letters", "CTRY () based required mnemonics present",
             "Either X/Y/GDAT/HZCS or LATI/LONG/GDAT location parameters present"});
  fillGroup(t, 6, d + " Section STRT/STOP/STEP Checks",
            {"STRT/STOP/STEP have Value(s) present", "STRT Value matches " + d + " section first index",
             "STOP Value matches " + d + " section last index", "STEP Value matches " + d + " section index increment",
             "Index channel format has sufficient decimal places to carry STEP precision",
             "Possible STEP Rounding error", "Units on STRT/STOP/STEP and " + d + " section first indexes match"});
  fillGroup(t, 7, "Column Data Section Checks",
            {"Column Data section channel count matches Column Definition line count.",
             "Delimited channel count consistent for all lines of Column Data section",
             "Stated Column Definition Format matches data items in Column Data section"});
  fillGroup(t, 8, "Association Mnemonics Checks",
            {"Referenced Association mnemonic(s) found", "No Circular Association References"});
  fillGroup(t, 9, "Array Channel Checks",
            {"Channels indicated as Array channels have [n] appended to channel names",
             "Array channels have sequential indexes from [1] to [n]", "Array channels are grouped together",
             "Array channel spacing indexes in {} format field consistent for all",
             "Array channels of a group have same units"});
}

void fillVersion2Catalogue(CheckTable& t, bool doWrap) {
  fillGroup(
      t, 1, "File Naming, Availability, Termination and Size.",
      {"File exists", "File has more than 0 bytes", "File can be accessed. Locked by any other program??",
       "File is correctly PC Windows (CR LF) terminated", "File has pure ASCII structure.", "File extension is .LAS"});
  fillGroup(t, 2, "~Version section VERS and WRAP Checks",
            {"~Version section present", "VERS parameter present in ~Version section",
             "WRAP parameter present in ~Version section", "VERS Value is 1.2, 2 or 3", "WRAP Value is YES or NO",
             "Only one VERS and WRAP mnemonic in ~Version section"});
  fillGroup(t, 3, "Section Title Checks",
            {"Minimum required ~ (tilde) sections present", "No duplicate section titles",
             "Correct tilde (~) section title line formatting"});
  fillGroup(t, 4, "Line Structure and Syntax Checks",
            {"Legal MNEMONIC", "Legal UNIT", "Legal VALUE", "Legal DESCRIPTION", "Legal line type for section",
             "ASCII section contains data lines", "ASCII section structure matches WRAP value"});
  fillGroup(t, 5, "~Well Section Mnemonics and Content Checks",
            {"Well Section STRT/STOP/STEP/NULL and key Wellsite mnemonics present",
             "Well section contains required Country specific mnemonics"});
  fillGroup(t, 6, "~Well Section STRT/STOP/STEP Checks",
            {"STRT/STOP/STEP/NULL have Value(s) present", "STRT Value matches ~ASCII section first index",
             "STOP Value matches ~ASCII section last index", "STEP Value matches ~ASCII section index increment",
             "Index channel format has sufficient decimal places to carry STEP precision",
             "Possible STEP Rounding error", "Units on STRT/STOP/STEP and ~C index channel match"});
  fillGroup(
      t, 7, "~ASCII Section Checks",
      {"~ASCII channel count matches ~Curve section channel count",
       "Space delimited channel count consistent for all lines of ~Ascii section", "ASCII section is final ~ section",
       doWrap ? "~ASCII line length conforms to WRAP line length requirements (256 NO, 80 YES)" : ""});
}

}  // namespace

void fillCheckCatalogue(CheckTables& tables, std::string_view dataSectionName, bool doWrap) {
  fillVersion3Catalogue(tables.v3, dataSectionName);
  fillVersion2Catalogue(tables.v2, doWrap);
}

CheckTable catalogueTable(CatalogueKind kind, std::string_view dataSectionName, bool doWrap) {
  if (kind == CatalogueKind::Version3) {
    CheckTable table(9);
    fillVersion3Catalogue(table, dataSectionName);
    return table;
  }
  CheckTable table(7);
  fillVersion2Catalogue(table, doWrap);
  return table;
}

void recordGroupResults(CheckTable& table, int group, const OutcomeSlots& slots) {
  for (int k = 1; k <= kLastRow; ++k) table.outcome(group, k) = slots[static_cast<std::size_t>(k)];
}

bool anyCheckFailed(const CheckTable& table) {
  for (int g = 1; g <= table.lastGroup(); ++g)
    for (int r = 1; r <= kLastRow; ++r)
      if (!table.outcome(g, r).empty()) return true;
  return false;
}

void clearCheckTable(CheckTable& table) {
  for (int g = 0; g <= table.lastGroup(); ++g)
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) table.cell(r, c, g).clear();
}

}  // namespace korrivan::certify
