#pragma once
// Small text helpers shared by the whole program. Trimming removes spaces
// only (tabs are part of the text); comparisons of names, mnemonics and
// keywords ignore ASCII letter case; numbers are read and written without
// any locale.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korrivan::base {

std::string_view trimSpaces(std::string_view s);
std::string_view trimLeadingSpaces(std::string_view s);
std::string_view trimTrailingSpaces(std::string_view s);

char toUpperAscii(char c);
std::string toUpper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool istartsWith(std::string_view s, std::string_view prefix);
bool iendsWith(std::string_view s, std::string_view suffix);
// Position of the first case-insensitive occurrence at or after `from`, or npos.
std::size_t ifind(std::string_view s, std::string_view needle, std::size_t from = 0);
// Position of the last case-insensitive occurrence, or npos.
std::size_t irfind(std::string_view s, std::string_view needle);
bool icontains(std::string_view s, std::string_view needle);

// Text before the first occurrence of `c` (all of `s` when absent).
std::string_view before(std::string_view s, char c);

// A number in its shortest plain form: 2.0 gives "2", 1.2f gives "1.2".
std::string numberText(double value);
std::string numberText(float value);

// A number with exactly `decimals` digits after the point ("%.*f" in the C
// locale, whatever the process locale is).
std::string fixedText(double value, int decimals);

// The longest leading number of a text (after leading blanks), 0 when there is none.
double leadingNumber(std::string_view s);

// The whole text (spaces around it allowed) is one decimal number.
std::optional<double> parseNumber(std::string_view s);
bool isNumeric(std::string_view s);

// The pieces between every occurrence of `delimiter` (two adjacent
// delimiters give an empty piece); a text without it is one piece.
std::vector<std::string> splitAtEvery(std::string_view s, char delimiter);

// Replaces every occurrence of `from` by `to`.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);

}  // namespace korrivan::base
