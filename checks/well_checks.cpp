// ~Well section: required mnemonics, the country code and the mnemonics its
// country requires, and (3.0) a complete set of location mnemonics.
#include <initializer_list>

#include "base/text_utils.h"
#include "checks/family.h"

namespace korrivan::checks {

namespace {

constexpr std::initializer_list<const char*> kRequired = {"STRT", "STOP", "STEP", "NULL", "COMP",
                                                          "WELL", "FLD",  "LOC",  "DATE", "SRVC"};

bool present(const las::ParsedSection& well, std::string_view mnemonic) {
  return base::icontains(well.validMnemonics(), " " + std::string(mnemonic) + " ");
}

// Each missing member followed by `separator`.
std::string missing(const las::ParsedSection& well, std::initializer_list<const char*> list,
                    std::string_view separator) {
  std::string out;
  for (const char* m : list)
    if (!present(well, m)) out += std::string(m) + std::string(separator);
  return out;
}

}  // namespace

bool isLetter(std::string_view text) {
  if (text.empty()) return false;
  char c = text.front();
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

FamilyResult checkWellSectionV3(const FileView& file, Handover&, OutcomeSlots& slots) {
  const las::ParsedSection& well = file.wellSection;
  for (int k = 1; k <= 6; ++k) slots[static_cast<std::size_t>(k)] = " ";
  slots[1] = missing(well, kRequired, "\r\n");

  const las::LasLineParts* ctry = nullptr;
  for (std::size_t r = 1; r < well.rows.size() && !ctry; ++r)
    if (base::iequals(well.rows[r].mnemonic, "CTRY")) ctry = &well.rows[r];
  if (ctry) {
    const std::string& value = ctry->value;
    slots[2] = "";
    slots[3] = (!value.empty() && value.size() != 2) ? value + "\r\n" : "";
    slots[4] =
        (value.size() > 1 && !(isLetter(value.substr(0, 1)) && isLetter(value.substr(1, 1)))) ? value + "\r\n" : "";
    if (base::iequals(value, "ca"))
      slots[5] = missing(well, {"PROV", "UWI", "LIC"}, "\r\n");
    else if (base::iequals(value, "us"))
      slots[5] = missing(well, {"STAT", "CNTY", "API"}, "\r\n");
    else
      slots[5] = "";
  }

  std::string set1 = missing(well, {"X", "Y", "GDAT", "HZCS"}, ", ");
  std::string set2 = missing(well, {"LATI", "LONG", "GDAT"}, ", ");
  if (set1.empty() || set2.empty()) {
    slots[6] = "";
  } else if (!present(well, "GDAT")) {
    slots[6] = base::replaceAll(set1, "GDAT", "\r\n") + base::replaceAll(set2, "GDAT", "\r\n") + "GDAT";
  } else {
    slots[6] = set1 + set2;
  }
  return resultFromSlots(slots);
}

FamilyResult checkWellSectionV2(const FileView& file, Handover& handover, OutcomeSlots& slots) {
  const las::ParsedSection& well = file.wellSection;
  slots[1] = slots[2] = " ";
  std::string required = missing(well, kRequired, ", ");
  slots[1] = required.empty() ? "" : "Missing required mnemonics are : " + required;

  std::string canada = missing(well, {"PROV", "UWI"}, ", ");
  std::string usa = missing(well, {"STAT", "CNTY", "CTRY", "API"}, ", ");
  if (!canada.empty() && !usa.empty()) {
    slots[2] = "Country Specific mnemonics: CDN set missing,  " + canada + " ; USA set missing, " + usa;
  } else {
    slots[2] = "";
    if (canada.empty() && !usa.empty()) handover.countryRequirement = " (CDN Requirements)";
    if (usa.empty() && !canada.empty()) handover.countryRequirement = " (USA Requirements)";
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
