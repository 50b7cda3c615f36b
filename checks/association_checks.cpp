// Version 3.0 associations: every mnemonic named after "|" exists in a
// header section, and associations do not run in a circle.
#include "checks/family.h"
#include "las/line_parser.h"
#include "las/text_utils.h"

namespace korrivan::checks {

namespace {

std::vector<std::string> associationItems(const std::string& association, char delimiter) {
  if (delimiter == ' ' || delimiter == '\0') return las::splitFields(association, " ");
  return las::splitAtEvery(association, delimiter);
}

std::string lineImage(const las::LasLineParts& row) {
  return row.mnemonic + "." + row.unit + "    " + row.value + " : " + row.description + " | " + row.association;
}

}  // namespace

int findMnemonicRow(const std::vector<las::LasLineParts>& table, std::string_view mnemonic) {
  if (las::trimSpaces(mnemonic).empty()) return -1;
  for (std::size_t r = 1; r < table.size(); ++r)
    if (las::iequals(table[r].mnemonic, mnemonic)) return static_cast<int>(r);
  return -1;
}

FamilyResult checkAssociations(CertifyRun& run, OutcomeSlots& slots) {
  std::vector<las::LasLineParts> table(1);
  for (const las::SectionRow& s : run.directory.rows()) {
    if (s.kind != las::SectionKind::Header && s.kind != las::SectionKind::Definition &&
        s.kind != las::SectionKind::Parameter)
      continue;
    las::ParsedSection section;
    las::parseSection(run.directory, section, s.name, run.lineRules());
    table.insert(table.end(), section.rows.begin() + 1, section.rows.end());
  }
  slots[1] = slots[2] = "";

  for (std::size_t r = 1; r < table.size(); ++r) {
    if (table[r].association.empty()) continue;
    for (const std::string& item : associationItems(table[r].association, run.delimiter)) {
      int found = findMnemonicRow(table, item);
      if (found == -1)
        slots[1] +=
            "Association mnemonic " + item + " not found in file. Line was :\r\n" + lineImage(table[r]) + "\r\n";
      else if (found == static_cast<int>(r))
        slots[2] += "Line was like : " + lineImage(table[r]) + "\r\n";
    }
  }

  for (std::size_t r = 1; r < table.size(); ++r) {
    if (table[r].association.empty()) continue;
    std::string chain = table[r].mnemonic;
    for (std::string x : associationItems(table[r].association, run.delimiter)) {
      // Each step adds a row to the chain, so a walk ends within the table's size.
      for (std::size_t steps = 0; steps <= table.size(); ++steps) {
        int d = findMnemonicRow(table, x);
        if (d == -1 || table[static_cast<std::size_t>(d)].association.empty()) break;
        const las::LasLineParts& row = table[static_cast<std::size_t>(d)];
        const std::string f = associationItems(row.association, run.delimiter).front();
        if (las::icontains(chain, " " + f + " ")) {
          slots[2] += "Circular Association at line: \r\n" + lineImage(row) + "\r\n";
          break;
        }
        chain += " " + row.mnemonic + " ";
        x = f;
      }
    }
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
