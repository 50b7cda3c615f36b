#pragma once
// Format codes of version 3.0 lines ({F10.4}, {I5}, {S20}, {E0.00E+00},
// {DD/MM/YYYY}, {°'"}, {AF10.4;0.5;1.0}) and values tested against them.
#include <string>
#include <string_view>
#include <vector>

namespace korrivan::checks {

bool isLegalFormat(std::string_view format);
bool isLegalFormatCode(std::string_view format);

enum class FormatMatch { Matches = -1, Mismatch = 1, Failed = 0 };
FormatMatch valueMatchesFormat(std::string_view value, std::string_view format, char delimiter);

bool matchesFloatFormat(std::string_view item, std::string_view code);
bool matchesExponentFormat(std::string_view item);
bool matchesStringWidth(std::string_view item, std::string_view code);

// Space-separated items, each keeping the spaces in front of it.
std::vector<std::string> splitPaddedFields(std::string_view text);

// The degree sign as written in the file: Latin-1 (one byte) or UTF-8.
bool startsWithDegreeSign(std::string_view s, std::size_t* length = nullptr);

}  // namespace korrivan::checks
