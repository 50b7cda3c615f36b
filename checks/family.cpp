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

const las::ParsedSection& ParsedSections::get(const std::string& name) {
  const std::string key = base::toUpper(name);
  if (auto it = byName_.find(key); it != byName_.end()) return it->second;
  if (parsedBytes_ > kMaxParsedText) {
    notRead_.reset();
    notRead_.cut = true;
    return notRead_;
  }
  las::ParsedSection table;
  las::parseSection(file_.directory, table, name, file_.lineRules());
  parsedBytes_ += table.textBytes;
  if (keptBytes_ + table.textBytes > las::kMaxHeaderText) {
    byName_.clear();
    keptBytes_ = 0;
  }
  keptBytes_ += table.textBytes;
  return byName_.emplace(key, std::move(table)).first->second;
}

std::vector<CutSection> cutHeaderSections(const FileView& file) {
  std::vector<CutSection> cuts;
  if (file.version != 3.0f) {
    for (const las::ParsedSection* t :
         {&file.versionSection, &file.wellSection, &file.curveSection, &file.parameterSection})
      if (t->cut) cuts.push_back({t->name, t->cutAtLine, false});
    return cuts;
  }
  std::size_t rows = 0;
  std::int64_t bytes = 0;
  for (const las::SectionRow& s : file.directory.rows()) {
    if (!las::holdsParameterLines(s.kind)) continue;
    las::ParsedSection section;
    las::parseSection(file.directory, section, s.name, file.lineRules());
    if (section.cut) cuts.push_back({s.name, section.cutAtLine, false});
    bytes += section.textBytes;
    if (rows + section.lineCount() > las::kMaxHeaderRows) {
      cuts.push_back({s.name, section.rows[las::kMaxHeaderRows - rows + 1].line, true});
      break;
    }
    rows += section.lineCount();
    if (bytes > las::kMaxHeaderText) {
      cuts.push_back({s.name, s.startLine, true});
      break;
    }
  }
  return cuts;
}

std::string cutSectionMessage(const CutSection& cut) {
  const std::string upTo = cut.line > 0 ? ", read up to line " + std::to_string(cut.line) : "";
  if (cut.allTogether)
    return "Header sections too large: more than " + std::to_string(las::kMaxHeaderRows) + " parameter data lines or " +
           std::to_string(las::kMaxHeaderText) + " bytes in all" + upTo;
  return "Section too large: more than " + std::to_string(las::kMaxSectionRows) + " parameter data lines or " +
         std::to_string(las::kMaxSectionText) + " bytes" + upTo;
}

std::int64_t examinedUpTo(const std::vector<CutSection>& cuts, std::string_view sectionName) {
  for (const CutSection& cut : cuts)
    if (base::iequals(cut.name, sectionName)) return cut.line;
  return 0;
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
