// ~Version section: presence, VERS, WRAP and (3.0) DLM lines, their values,
// their count and their positions.
#include <array>

#include "base/text_utils.h"
#include "checks/family.h"

namespace korrivan::checks {

namespace {

using base::iequals;

bool hasVersionSection(const las::SectionDirectory& dir) { return dir.findStandard("Version") != nullptr; }

// The VERS value: legal values are 1.2, 2 and 3 written without an exponent.
std::string versValueError(const std::string& v, float detected) {
  auto number = base::parseNumber(v);
  if (!number) return "VERS value is invalid (not a number) or VERS not found to read value from. Value read was: " + v;
  const bool noExponent = v.find_first_of("eE") == std::string::npos;
  const bool legal = noExponent && (*number == 1.2 || *number == 2.0 || *number == 3.0);
  if (!legal) return "Invalid VERS value, " + v + ". Version must be 1.2, 2 or 3 before other checks can be attempted";
  if (static_cast<float>(*number) != detected)
    return "Mismatched VERS value, " + v + "and " + base::numberText(detected) +
           ". Version intially determined and read from VERS are different.";
  return "";
}

std::string dlmValueError(const std::string& d) {
  if (iequals(d, "SPACE") || iequals(d, "COMMA") || iequals(d, "TAB")) return "";
  if (base::trimSpaces(d).empty()) return "Invalid DLM value, (No Value)";
  if (d.find('\t') != std::string::npos) return "Invalid DLM value, TAB character(s) found instead of word TAB";
  if (base::trimSpaces(d) == ",") return "Invalid DLM value, comma character found instead of word COMMA";
  return "Invalid DLM value, " + d;
}

}  // namespace

FamilyResult checkVersionSection(const FileView& file, Handover& handover, OutcomeSlots& slots) {
  const bool v3 = file.version == 3.0f;
  const int count = v3 ? 9 : 6;
  for (int k = 1; k <= count; ++k) slots[static_cast<std::size_t>(k)] = " ";
  handover.wrapValue = " ";

  // Slot numbers of the same check in the two catalogues.
  const std::size_t versValue = v3 ? 5 : 4, wrapValue = v3 ? 6 : 5, onlyOne = v3 ? 9 : 6;

  if (!hasVersionSection(file.directory)) {
    slots[1] = "Version section not found";
    return FamilyResult::Record;
  }
  slots[1] = "";
  const std::string vers = lookupParamValue(file.versionSection, "VERS");
  const std::string wrap = lookupParamValue(file.versionSection, "WRAP");
  const std::string dlm = v3 ? lookupParamValue(file.versionSection, "DLM") : "";
  handover.wrapValue = wrap;
  slots[2] = vers == " " ? "VERS mnemonic missing. " : "";
  slots[3] = wrap == " " ? "WRAP mnemonic missing. " : "";
  if (v3) slots[4] = dlm == " " ? "DLM mnemonic missing. " : "";
  if (!slots[2].empty() || !slots[3].empty() || (v3 && !slots[4].empty())) return FamilyResult::Record;

  slots[versValue] = versValueError(vers, file.version);
  if (v3)
    slots[wrapValue] = iequals(wrap, "NO") ? "" : "Invalid WRAP value was, '" + wrap + "'";
  else
    slots[wrapValue] = (iequals(wrap, "YES") || iequals(wrap, "NO"))
                           ? ""
                           : "Invalid WRAP value was, '" + wrap + "', must be NO or YES";
  if (v3) slots[7] = dlmValueError(dlm);

  const std::array<const char*, 3> names = {"VERS", "WRAP", "DLM"};
  std::array<int, 3> counts{}, lastRow{};
  const std::size_t checked = v3 ? 3 : 2;
  for (std::size_t r = 1; r < file.versionSection.rows.size(); ++r)
    for (std::size_t i = 0; i < checked; ++i)
      if (iequals(file.versionSection.rows[r].mnemonic, names[i])) {
        ++counts[i];
        lastRow[i] = static_cast<int>(r);
      }
  bool moreThanOne = false;
  for (std::size_t i = 0; i < checked; ++i) moreThanOne = moreThanOne || counts[i] > 1;
  if (moreThanOne) {
    slots[onlyOne] = v3 ? "More than one VERS, WRAP or DLM parameter data line found"
                        : "More than one VERS, WRAP parameter data line found";
  } else {
    slots[onlyOne] = "";
    if (v3) {
      std::string positions;
      for (std::size_t i = 0; i < 3; ++i)
        if (lastRow[i] > 3)
          positions += std::string(names[i]) + " not 1st, 2nd or 3rd. It was " + std::to_string(lastRow[i]) + "th\r\n";
      slots[8] = positions;
    }
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
