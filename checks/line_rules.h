#pragma once
// Field rules of header lines shared by the line syntax families of both
// versions, and the version 3.0 examination of one header line.
#include <array>
#include <string>
#include <string_view>

namespace korrivan::checks {

bool isValidUnit(std::string_view unit, float version);
bool isValidValue(std::string_view value, float version);
bool isValidDescription(std::string_view description, float version);
// The association list after the last "|" holds no braces, no ";" and no
// delimiter other than the run's own.
bool isValidAssociation(std::string_view line, char delimiter);

// Rule texts 1..10 for one line of a non-data section ("" where it passes).
std::array<std::string, 11> checkHeaderLine3(std::string_view line, std::string_view sectionName, float version,
                                             char delimiter);

}  // namespace korrivan::checks
