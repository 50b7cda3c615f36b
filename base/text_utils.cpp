#include "base/text_utils.h"

#include <string.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace korrivan::base {

std::string_view trimLeadingSpaces(std::string_view s) {
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string_view::npos ? std::string_view{} : s.substr(b);
}

std::string_view trimTrailingSpaces(std::string_view s) {
  std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string_view{} : s.substr(0, e + 1);
}

std::string_view trimSpaces(std::string_view s) { return trimTrailingSpaces(trimLeadingSpaces(s)); }

char toUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string toUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = toUpperAscii(c);
  return out;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (toUpperAscii(a[i]) != toUpperAscii(b[i])) return false;
  return true;
}

bool istartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

bool iendsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && iequals(s.substr(s.size() - suffix.size()), suffix);
}

namespace {

// Short needles in short texts are compared position by position; anything
// longer is looked for in upper-case copies with memmem, whose two-way search
// takes time in proportion to the text whatever the two hold.
constexpr std::size_t kShortNeedle = 16;
constexpr std::size_t kShortText = 256;

bool compareEveryPosition(std::size_t textSize, std::size_t needleSize) {
  return needleSize <= kShortNeedle && textSize <= kShortText;
}

std::string upperCopy(std::string_view s, bool reversed) {
  std::string out(s.size(), '\0');
  for (std::size_t i = 0; i < s.size(); ++i) out[reversed ? s.size() - 1 - i : i] = toUpperAscii(s[i]);
  return out;
}

// Offset of the first occurrence of the needle in the text, both given in
// upper case, or npos.
std::size_t firstIn(const std::string& text, const std::string& needle) {
  const void* hit = ::memmem(text.data(), text.size(), needle.data(), needle.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : std::string_view::npos;
}

}  // namespace

std::size_t ifind(std::string_view s, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= s.size() ? from : std::string_view::npos;
  if (s.size() < needle.size() || from > s.size() - needle.size()) return std::string_view::npos;
  if (compareEveryPosition(s.size() - from, needle.size())) {
    const char first = toUpperAscii(needle[0]);
    for (std::size_t i = from; i + needle.size() <= s.size(); ++i)
      if (toUpperAscii(s[i]) == first && iequals(s.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
  }
  const std::size_t at = firstIn(upperCopy(s.substr(from), false), upperCopy(needle, false));
  return at == std::string_view::npos ? at : from + at;
}

std::size_t irfind(std::string_view s, std::string_view needle) {
  if (needle.empty()) return s.size();
  if (s.size() < needle.size()) return std::string_view::npos;
  if (compareEveryPosition(s.size(), needle.size())) {
    const char first = toUpperAscii(needle[0]);
    for (std::size_t i = s.size() - needle.size() + 1; i-- > 0;)
      if (toUpperAscii(s[i]) == first && iequals(s.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
  }
  // The last occurrence is the first one in the reversed text.
  const std::size_t at = firstIn(upperCopy(s, true), upperCopy(needle, true));
  return at == std::string_view::npos ? at : s.size() - needle.size() - at;
}

bool icontains(std::string_view s, std::string_view needle) { return ifind(s, needle) != std::string_view::npos; }

std::string_view before(std::string_view s, char c) {
  std::size_t p = s.find(c);
  return p == std::string_view::npos ? s : s.substr(0, p);
}

template <typename T>
static std::string shortestText(T value) {
  if (value == 0) return "0";  // also turns -0 into "0"
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  std::string out(buf, res.ptr);
  // Plain form for a number written with an exponent in shortest form:
  // keep the exponent, in capitals, as the classic formatter did ("1E+20").
  std::size_t e = out.find('e');
  if (e != std::string::npos) out[e] = 'E';
  return out;
}

std::string numberText(double value) { return shortestText(value); }

std::string fixedText(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  // The integer part of a double has at most 309 digits.
  std::string out(static_cast<std::size_t>(decimals) + 330, '\0');
  auto res = std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, decimals);
  out.resize(res.ec == std::errc{} ? static_cast<std::size_t>(res.ptr - out.data()) : 0);
  return out;
}
std::string numberText(float value) { return shortestText(value); }

// Length of the longest decimal number at the start of s (sign, digits,
// point, digits, exponent), 0 when s does not start with a number.
static std::size_t numberPrefixLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

// Plain decimals of up to 15 digits without exponent (nearly every value of
// a log): the digits form an exact integer and one division by an exact
// power of ten rounds correctly, giving the same double as a full parse.
static std::optional<double> convertPlainDecimal(std::string_view t) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  std::int64_t mantissa = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return std::nullopt;
      mantissa = mantissa * 10 + (c - '0');
      decimals += point ? 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  double v = static_cast<double>(mantissa) / kPowers[decimals];
  return negative ? -v : v;
}

static double convertNumber(std::string_view text) {
  if (auto plain = convertPlainDecimal(text)) return *plain;
  // A Fortran-style "D" exponent is read as "E"; only then is a copy needed.
  std::string copy;
  std::string_view t = text;
  if (text.find_first_of("dD") != std::string_view::npos) {
    copy = std::string(text);
    for (char& c : copy)
      if (c == 'd' || c == 'D') c = 'E';
    t = copy;
  }
  std::size_t skip = (!t.empty() && t[0] == '+') ? 1 : 0;
  double v = 0;
  auto res = std::from_chars(t.data() + skip, t.data() + t.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // from_chars leaves v untouched on range errors: decide by the exponent sign.
    bool tiny = t.find("E-") != std::string::npos;
    bool neg = !t.empty() && t[0] == '-';
    v = tiny ? 0.0 : (neg ? -HUGE_VAL : HUGE_VAL);
  }
  return v;
}

double leadingNumber(std::string_view s) {
  s = trimLeadingSpaces(s);
  while (!s.empty() && s.front() == '\t') s.remove_prefix(1);
  std::size_t n = numberPrefixLength(s);
  return n == 0 ? 0.0 : convertNumber(s.substr(0, n));
}

std::optional<double> parseNumber(std::string_view s) {
  s = trimSpaces(s);
  if (s.empty()) return std::nullopt;
  std::size_t n = numberPrefixLength(s);
  if (n == 0 || n != s.size()) return std::nullopt;
  return convertNumber(s);
}

bool isNumeric(std::string_view s) { return parseNumber(s).has_value(); }

std::vector<std::string> splitAtEvery(std::string_view s, char delimiter) {
  std::vector<std::string> out;
  out.reserve(1 + static_cast<std::size_t>(std::count(s.begin(), s.end(), delimiter)));
  std::size_t from = 0;
  for (;;) {
    std::size_t hit = s.find(delimiter, from);
    out.emplace_back(s.substr(from, hit == std::string_view::npos ? std::string_view::npos : hit - from));
    if (hit == std::string_view::npos) return out;
    from = hit + 1;
  }
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  if (from.empty()) return std::string(s);
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos)).append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

}  // namespace korrivan::base
