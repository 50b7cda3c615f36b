#include "checks/format_checks.h"

#include <cmath>
#include <new>

#include "base/text_utils.h"
#include "las/line_parser.h"
#include "las/pattern_format.h"

namespace korrivan::checks {

namespace {

using base::trimSpaces;

bool allDigits(std::string_view s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos; }

// The number a digit string stands for, capped far beyond any real width.
long digitsValue(std::string_view s) {
  constexpr long kCap = 1000000000;
  long v = 0;
  for (char c : s) {
    v = v * 10 + (c - '0');
    if (v > kCap) return kCap;
  }
  return v;
}

bool containsDegreeSign(std::string_view s) { return s.find('\xB0') != std::string_view::npos; }

bool isDateLetter(char c) {
  c = base::toUpperAscii(c);
  return c == 'D' || c == 'M' || c == 'Y' || c == 'H';
}

// w.d with a period neither first nor last; nullopt otherwise.
std::optional<std::pair<std::string_view, std::string_view>> widthAndDecimals(std::string_view r) {
  std::size_t p = r.find('.');
  if (p == std::string_view::npos || p == 0 || p + 1 == r.size()) return std::nullopt;
  return std::make_pair(r.substr(0, p), r.substr(p + 1));
}

bool isDatePatternLegal(std::string_view f) {
  return las::isRecognisedDateTime(las::formatMoment(las::kSampleMoment, f));
}

}  // namespace

bool startsWithDegreeSign(std::string_view s, std::size_t* length) {
  std::size_t n = 0;
  if (!s.empty() && static_cast<unsigned char>(s[0]) == 0xB0)
    n = 1;
  else if (s.size() >= 2 && static_cast<unsigned char>(s[0]) == 0xC2 && static_cast<unsigned char>(s[1]) == 0xB0)
    n = 2;
  if (length) *length = n;
  return n > 0;
}

bool isLegalFormatCode(std::string_view format) {
  std::string_view f = trimSpaces(format);
  if (f.empty()) return true;
  std::size_t degree = 0;
  if (startsWithDegreeSign(f, &degree)) return f.substr(degree) == "'\"";
  const char kind = base::toUpperAscii(f[0]);
  std::string_view r = trimSpaces(f.substr(1));
  switch (kind) {
    case 'F': {
      if (r.empty()) return true;
      auto wd = widthAndDecimals(r);
      if (!wd || !allDigits(wd->first) || !allDigits(wd->second)) return false;
      return digitsValue(wd->first) > digitsValue(wd->second);
    }
    case 'I':
    case 'S': return r.empty() || (allDigits(r) && digitsValue(r) > 0);
    case 'E': {
      if (r.size() < 2 || r.find('+') == std::string_view::npos || base::ifind(r, "E") == std::string_view::npos)
        return false;
      auto written = las::formatNumberPattern(12, r);
      if (!written) return false;
      auto back = base::parseNumber(*written);
      return back && std::fabs(*back - 12.0) < 1e-9;
    }
    default: return isDatePatternLegal(f);
  }
}

bool isLegalFormat(std::string_view format) {
  if (format.empty()) return true;
  if (format.find(' ') != std::string_view::npos) {
    std::string_view t = trimSpaces(format);
    return t.find(' ') != std::string_view::npos && isDateLetter(t[0]);
  }
  std::string_view f = trimSpaces(format);
  if (!f.empty() && f.front() == '{') f.remove_prefix(1);
  if (f.empty() || base::toUpperAscii(f[0]) != 'A') return isLegalFormatCode(f);
  if (f.size() == 1) return true;
  std::size_t semi = f.find(';');
  if (f[1] != ';' &&
      !isLegalFormatCode(f.substr(1, semi == std::string_view::npos ? std::string_view::npos : semi - 1)))
    return false;
  if (semi == std::string_view::npos) return true;
  std::string_view parts = f.substr(semi + 1);
  for (;;) {
    std::size_t next = parts.find(';');
    if (parts.substr(0, next).empty()) return false;
    if (next == std::string_view::npos) return true;
    parts = parts.substr(next + 1);
  }
}

bool matchesFloatFormat(std::string_view item, std::string_view code) {
  if (!base::isNumeric(item) || base::ifind(item, "E") != std::string_view::npos) return false;
  if (!code.empty() && item.find('.') == std::string_view::npos) return false;
  if (code.empty()) return true;
  auto wd = widthAndDecimals(code);
  if (!wd) return false;
  auto w = base::parseNumber(wd->first), d = base::parseNumber(wd->second);
  if (!w || !d) return false;
  std::size_t afterPoint = item.size() - item.find('.') - 1;
  return static_cast<double>(item.size()) == *w && static_cast<double>(afterPoint) == *d;
}

bool matchesExponentFormat(std::string_view item) {
  return base::ifind(item, "E") != std::string_view::npos && base::isNumeric(item);
}

bool matchesStringWidth(std::string_view item, std::string_view code) {
  if (trimSpaces(item).empty() || code.empty()) return true;
  auto width = base::parseNumber(code);
  return width && static_cast<double>(item.size()) == *width;
}

std::vector<std::string> splitPaddedFields(std::string_view t) {
  if (t.empty()) return {""};
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (t[i - 1] != ' ' && t[i] == ' ') {
      items.emplace_back(t.substr(start, i - start));
      start = i;
    }
  }
  if (start + 1 < t.size()) items.emplace_back(t.substr(start));
  if (items.empty()) items.emplace_back(t);
  return items;
}

FormatMatch valueMatchesFormat(std::string_view value, std::string_view format, char delimiter) {
  try {
    if (trimSpaces(value).empty()) return FormatMatch::Matches;
    if (delimiter == '\0') delimiter = ' ';
    const char kind = format.empty() ? 'F' : base::toUpperAscii(format[0]);
    std::vector<std::string> items;
    if (kind == 'S' || value.find(delimiter) == std::string_view::npos) {
      items.emplace_back(value);
    } else if (delimiter == ' ') {
      items = splitPaddedFields(value);
    } else {
      items = base::splitAtEvery(value, delimiter);
    }
    std::size_t degree = 0;
    const bool degrees = startsWithDegreeSign(format, &degree);
    std::string_view c = format.empty() ? std::string_view{} : format.substr(degrees ? degree : 1, 100);
    auto all = [&](auto pred) {
      for (const std::string& item : items)
        if (!pred(item)) return FormatMatch::Mismatch;
      return FormatMatch::Matches;
    };
    if (degrees) {
      return all([](const std::string& x) {
        return containsDegreeSign(x) && x.find('"') != std::string::npos && x.find('\'') != std::string::npos;
      });
    }
    switch (kind) {
      case 'F': return all([&](const std::string& x) { return matchesFloatFormat(x, c); });
      case 'I': return all([&](const std::string& x) { return las::isUnsignedInteger(x, c); });
      case 'S': return all([&](const std::string& x) { return matchesStringWidth(x, c); });
      case 'E': return all([](const std::string& x) { return matchesExponentFormat(x); });
      case 'D':
      case 'M':
      case 'Y':
      case 'H': {
        auto moment = las::parseMoment(value, format);
        if (!moment) return FormatMatch::Mismatch;
        return base::iequals(las::formatMoment(*moment, format), value) ? FormatMatch::Matches : FormatMatch::Mismatch;
      }
      default: return FormatMatch::Mismatch;
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return FormatMatch::Failed;
  }
}

}  // namespace korrivan::checks
