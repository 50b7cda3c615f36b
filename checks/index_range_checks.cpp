// STRT, STOP and STEP of the ~Well section against the index channel of the
// data section, and the header lookups they rest on.
#include "checks/family.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "las/text_utils.h"

namespace korrivan::checks {

std::string stripChar(std::string_view text, char c) {
  std::size_t b = text.find_first_not_of(c);
  if (b == std::string_view::npos) return "";
  std::size_t e = text.find_last_not_of(c);
  return std::string(text.substr(b, e - b + 1));
}

HeaderValue readHeaderValue(las::SectionDirectory& directory, std::string_view mnemonic,
                            std::string_view sectionName, float version) {
  HeaderValue out;
  try {
    std::optional<std::int64_t> start;
    if (!sectionName.empty()) start = directory.sectionStart(sectionName);
    las::LineSource src(directory.fileName());
    src.seek(start.value_or(0));
    std::string_view raw;
    while (src.next(raw)) {
      std::string_view line = las::trimLeadingSpaces(raw);
      if (las::istartsWith(line, "~A")) {
        out.notFound = true;
        out.value = " ";
        return out;
      }
      if (!las::iequals(las::getMnemonic(line), mnemonic)) continue;
      const bool keyword = las::iequals(mnemonic, "STRT") || las::iequals(mnemonic, "STOP") ||
                           las::iequals(mnemonic, "STEP") || las::iequals(mnemonic, "NULL");
      if (version == 1.2f && !keyword && las::iequals(sectionName, "W"))
        out.value = std::string(las::trimSpaces(las::getDescription(line)));
      else
        out.value = std::string(las::trimSpaces(las::getValue(line)));
      out.unit = std::string(las::trimSpaces(las::getUnit(line)));
      return out;
    }
  } catch (const std::exception&) {
    return HeaderValue{};
  }
  return out;
}

}  // namespace korrivan::checks
