#include "checks/family.h"

#include "base/text_utils.h"

namespace korrivan::checks {

FamilyResult invokeFamily(Family family, const FileView& file, Handover& handover, OutcomeSlots& slots) {
  try {
    return family(file, handover, slots);
  } catch (const base::RunCancelled&) {
    throw;
  } catch (const std::exception& e) {
    handover.familyError = base::pendingError(e);
  } catch (...) {
    handover.familyError = {base::err::InvalidCall, base::errorText(base::err::InvalidCall)};
  }
  return FamilyResult::InternalError;
}

FamilyResult resultFromSlots(const OutcomeSlots& slots) {
  for (int k = 1; k <= certify::kLastRow; ++k)
    if (!slots[static_cast<std::size_t>(k)].empty()) return FamilyResult::Record;
  return FamilyResult::AllPassed;
}

void appendFinding(std::string& text, std::string_view entry) {
  static constexpr std::string_view kMore = "(further findings of this check are not listed)";
  if (text.size() + entry.size() <= kMaxFindingsText) {
    text += entry;
    return;
  }
  const std::string marker =
      entry.substr(0, 2) == kCrLf ? std::string(kCrLf) + std::string(kMore) : std::string(kMore) + std::string(kCrLf);
  // Once full, the marker is the text's last line.
  if (!text.ends_with(marker)) text += marker;
}

const las::ParsedSection& ParsedSections::get(const std::string& name) {
  auto [it, inserted] = byName_.try_emplace(base::toUpper(name));
  if (inserted) las::parseSection(file_.directory, it->second, name, file_.lineRules());
  return it->second;
}

std::string lookupParamValue(const las::ParsedSection& section, std::string_view mnemonic) {
  for (std::size_t r = 1; r < section.rows.size(); ++r)
    if (base::iequals(section.rows[r].mnemonic, mnemonic)) return section.rows[r].value;
  return " ";
}

char delimiterFromDlm(std::string_view dlm) {
  if (base::iequals(dlm, "COMMA")) return ',';
  if (base::iequals(dlm, "TAB")) return '\t';
  return ' ';
}

}  // namespace korrivan::checks
