#include "checks/line_rules.h"

#include "base/text_utils.h"

namespace korrivan::checks {

namespace {

bool containsAny(std::string_view s, std::string_view chars) {
  return s.find_first_of(chars) != std::string_view::npos;
}

}  // namespace

bool isValidUnit(std::string_view unit, float version) {
  std::string_view u = base::trimSpaces(unit);
  return !containsAny(u, version == 3.0f ? std::string_view("\t :}{|;") : std::string_view("\t :"));
}

bool isValidValue(std::string_view value, float version) {
  return version != 3.0f || !containsAny(base::trimSpaces(value), "}{|;");
}

bool isValidDescription(std::string_view description, float version) {
  return version != 3.0f || !containsAny(base::trimSpaces(description), "\t}{|;");
}

bool isValidAssociation(std::string_view line, char delimiter) {
  std::size_t bar = line.rfind('|');
  if (bar == std::string_view::npos) return true;
  std::string_view a = base::trimSpaces(line.substr(bar + 1));
  if (containsAny(a, "{};")) return false;
  switch (delimiter) {
    case ',': return !containsAny(a, " \t");
    case '\t': return !containsAny(a, ", ");
    default: return !containsAny(a, ",\t");
  }
}

}  // namespace korrivan::checks
