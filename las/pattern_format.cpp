#include "las/pattern_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "base/text_utils.h"

namespace korrivan::las {

using namespace korrivan::base;

namespace {

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

enum class Tok {
  Literal,
  Day,
  Day2,
  DayAbbr,
  DayName,
  Month,
  Month2,
  MonthAbbr,
  MonthName,
  Year2,
  Year4,
  Hour,
  Hour2,
  Minute,
  Minute2,
  Second,
  Second2,
  AmPm,
  AP
};

struct Token {
  Tok kind;
  std::string text;  // literal text, or the AM/PM token as written
};

bool isHourToken(Tok t) { return t == Tok::Hour || t == Tok::Hour2; }

std::size_t runLength(std::string_view p, std::size_t i) {
  char c = toUpperAscii(p[i]);
  std::size_t n = 0;
  while (i + n < p.size() && toUpperAscii(p[i + n]) == c) ++n;
  return n;
}

std::vector<Token> tokenize(std::string_view p) {
  std::vector<Token> out;
  auto literal = [&](std::string_view s) {
    if (!out.empty() && out.back().kind == Tok::Literal)
      out.back().text += s;
    else
      out.push_back({Tok::Literal, std::string(s)});
  };
  std::size_t i = 0;
  while (i < p.size()) {
    char c = toUpperAscii(p[i]);
    if (istartsWith(p.substr(i), "AM/PM")) {
      out.push_back({Tok::AmPm, std::string(p.substr(i, 5))});
      i += 5;
      continue;
    }
    if (istartsWith(p.substr(i), "A/P")) {
      out.push_back({Tok::AP, std::string(p.substr(i, 3))});
      i += 3;
      continue;
    }
    if (p[i] == '"') {
      std::size_t close = p.find('"', i + 1);
      std::size_t end = close == std::string_view::npos ? p.size() : close;
      literal(p.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (p[i] == '\\' && i + 1 < p.size()) {
      literal(p.substr(i + 1, 1));
      i += 2;
      continue;
    }
    std::size_t n = runLength(p, i);
    switch (c) {
      case 'D':
        out.push_back({n >= 4 ? Tok::DayName : n == 3 ? Tok::DayAbbr : n == 2 ? Tok::Day2 : Tok::Day, ""});
        break;
      case 'M': {
        bool afterHour = false;
        for (auto it = out.rbegin(); it != out.rend(); ++it) {
          if (it->kind == Tok::Literal) continue;
          afterHour = isHourToken(it->kind);
          break;
        }
        if (afterHour && n <= 2)
          out.push_back({n == 2 ? Tok::Minute2 : Tok::Minute, ""});
        else
          out.push_back({n >= 4 ? Tok::MonthName : n == 3 ? Tok::MonthAbbr : n == 2 ? Tok::Month2 : Tok::Month, ""});
        break;
      }
      case 'Y': out.push_back({n >= 4 ? Tok::Year4 : Tok::Year2, ""}); break;
      case 'H': out.push_back({n >= 2 ? Tok::Hour2 : Tok::Hour, ""}); break;
      case 'N': out.push_back({n >= 2 ? Tok::Minute2 : Tok::Minute, ""}); break;
      case 'S': out.push_back({n >= 2 ? Tok::Second2 : Tok::Second, ""}); break;
      default: literal(p.substr(i, n)); break;
    }
    i += n;
  }
  return out;
}

bool hasTwelveHourClock(const std::vector<Token>& toks) {
  for (const Token& t : toks)
    if (t.kind == Tok::AmPm || t.kind == Tok::AP) return true;
  return false;
}

std::string pad2(int v) {
  std::string text = std::to_string(v);
  if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
  return text;
}

// Day of the week, 0 = Sunday (Zeller's congruence).
int weekday(const Moment& m) {
  int y = m.year, mo = m.month;
  if (mo < 3) {
    mo += 12;
    --y;
  }
  int k = y % 100, j = y / 100;
  int h = (m.day + 13 * (mo + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;
  return (h + 6) % 7;
}

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return days[month - 1];
}

bool validDate(int year, int month, int day) {
  return month >= 1 && month <= 12 && day >= 1 && year >= 0 && year <= 9999 && day <= daysInMonth(year, month);
}

// A month or day name at the start of s, full or three letters.
int matchName(std::string_view s, const char* const* names, int count, bool full, std::size_t& used) {
  for (int i = 0; i < count; ++i) {
    std::string_view name = names[i];
    if (!full) name = name.substr(0, 3);
    if (istartsWith(s, name)) {
      used = name.size();
      return i;
    }
  }
  return -1;
}

}  // namespace

std::string formatMoment(const Moment& m, std::string_view pattern) {
  const auto toks = tokenize(pattern);
  const bool twelve = hasTwelveHourClock(toks);
  int hour = m.hour;
  if (twelve) hour = hour % 12 == 0 ? 12 : hour % 12;
  std::string out;
  for (const Token& t : toks) {
    switch (t.kind) {
      case Tok::Literal: out += t.text; break;
      case Tok::Day: out += std::to_string(m.day); break;
      case Tok::Day2: out += pad2(m.day); break;
      case Tok::DayAbbr: out += std::string(kDayNames[weekday(m)]).substr(0, 3); break;
      case Tok::DayName: out += kDayNames[weekday(m)]; break;
      case Tok::Month: out += std::to_string(m.month); break;
      case Tok::Month2: out += pad2(m.month); break;
      case Tok::MonthAbbr: out += std::string(kMonthNames[m.month - 1]).substr(0, 3); break;
      case Tok::MonthName: out += kMonthNames[m.month - 1]; break;
      case Tok::Year2: out += pad2(m.year % 100); break;
      case Tok::Year4: out += std::to_string(m.year); break;
      case Tok::Hour: out += std::to_string(hour); break;
      case Tok::Hour2: out += pad2(hour); break;
      case Tok::Minute: out += std::to_string(m.minute); break;
      case Tok::Minute2: out += pad2(m.minute); break;
      case Tok::Second: out += std::to_string(m.second); break;
      case Tok::Second2: out += pad2(m.second); break;
      case Tok::AmPm: {
        bool upper = t.text[0] == 'A';
        out += m.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
        break;
      }
      case Tok::AP: {
        bool upper = t.text[0] == 'A';
        out += m.hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
        break;
      }
    }
  }
  return out;
}

std::optional<Moment> parseMoment(std::string_view text, std::string_view pattern) {
  const auto toks = tokenize(pattern);
  Moment m{};
  m.year = 1899;
  m.month = 12;
  m.day = 30;
  bool pm = false, twelve = false;
  std::size_t i = 0;
  auto number = [&](std::size_t maxDigits) -> std::optional<int> {
    std::size_t n = 0;
    int v = 0;
    while (i + n < text.size() && n < maxDigits && text[i + n] >= '0' && text[i + n] <= '9') {
      v = v * 10 + (text[i + n] - '0');
      ++n;
    }
    if (n == 0) return std::nullopt;
    i += n;
    return v;
  };
  for (const Token& t : toks) {
    std::string_view rest = text.substr(std::min(i, text.size()));
    std::optional<int> v;
    std::size_t used = 0;
    switch (t.kind) {
      case Tok::Literal:
        if (!istartsWith(rest, t.text)) return std::nullopt;
        i += t.text.size();
        continue;
      case Tok::Day:
      case Tok::Day2:
        v = number(2);
        if (!v) return std::nullopt;
        m.day = *v;
        continue;
      case Tok::DayAbbr:
      case Tok::DayName:
        if (matchName(rest, kDayNames, 7, t.kind == Tok::DayName, used) < 0) return std::nullopt;
        i += used;
        continue;
      case Tok::Month:
      case Tok::Month2:
        v = number(2);
        if (!v) return std::nullopt;
        m.month = *v;
        continue;
      case Tok::MonthAbbr:
      case Tok::MonthName: {
        int idx = matchName(rest, kMonthNames, 12, t.kind == Tok::MonthName, used);
        if (idx < 0) return std::nullopt;
        m.month = idx + 1;
        i += used;
        continue;
      }
      case Tok::Year2:
        v = number(2);
        if (!v) return std::nullopt;
        m.year = *v < 30 ? 2000 + *v : 1900 + *v;
        continue;
      case Tok::Year4:
        v = number(4);
        if (!v) return std::nullopt;
        m.year = *v;
        continue;
      case Tok::Hour:
      case Tok::Hour2:
        v = number(2);
        if (!v) return std::nullopt;
        m.hour = *v;
        continue;
      case Tok::Minute:
      case Tok::Minute2:
        v = number(2);
        if (!v) return std::nullopt;
        m.minute = *v;
        continue;
      case Tok::Second:
      case Tok::Second2:
        v = number(2);
        if (!v) return std::nullopt;
        m.second = *v;
        continue;
      case Tok::AmPm:
      case Tok::AP: {
        twelve = true;
        std::size_t len = t.kind == Tok::AmPm ? 2 : 1;
        if (rest.size() < len) return std::nullopt;
        char c = toUpperAscii(rest[0]);
        if (c != 'A' && c != 'P') return std::nullopt;
        if (len == 2 && toUpperAscii(rest[1]) != 'M') return std::nullopt;
        pm = c == 'P';
        i += len;
        continue;
      }
    }
  }
  if (i != text.size()) return std::nullopt;
  if (twelve) {
    if (m.hour < 1 || m.hour > 12) return std::nullopt;
    m.hour = m.hour % 12 + (pm ? 12 : 0);
  }
  if (!validDate(m.year, m.month, m.day) || m.hour > 23 || m.minute > 59 || m.second > 59) return std::nullopt;
  return m;
}

bool isRecognisedDateTime(std::string_view text) {
  std::string_view t = trimSpaces(text);
  if (t.empty()) return false;
  std::vector<int> numbers;
  std::vector<bool> numberInTime;
  int monthFromName = 0;
  bool ampm = false, sawColon = false;
  std::size_t i = 0;
  while (i < t.size()) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      int v = 0;
      std::size_t n = 0;
      while (i < t.size() && t[i] >= '0' && t[i] <= '9' && n < 5) v = v * 10 + (t[i++] - '0'), ++n;
      if (i < t.size() && t[i] >= '0' && t[i] <= '9') return false;
      bool timePart = (i < t.size() && t[i] == ':') || (i > n && t[i - n - 1] == ':');
      numbers.push_back(v);
      numberInTime.push_back(timePart);
      continue;
    }
    if (std::isalpha(static_cast<unsigned char>(c))) {
      std::size_t start = i;
      while (i < t.size() && std::isalpha(static_cast<unsigned char>(t[i]))) ++i;
      std::string_view word = t.substr(start, i - start);
      std::size_t used = 0;
      if (iequals(word, "AM") || iequals(word, "PM") || iequals(word, "A") || iequals(word, "P")) {
        ampm = true;
      } else if (int mo = matchName(word, kMonthNames, 12, true, used); mo >= 0 && used == word.size()) {
        monthFromName = mo + 1;
      } else if (int ma = matchName(word, kMonthNames, 12, false, used); ma >= 0 && word.size() == 3) {
        monthFromName = ma + 1;
      } else if (matchName(word, kDayNames, 7, true, used) >= 0 && used == word.size()) {
      } else if (matchName(word, kDayNames, 7, false, used) >= 0 && word.size() == 3) {
      } else {
        return false;
      }
      continue;
    }
    if (c == ':')
      sawColon = true;
    else if (std::string_view("/-., ").find(c) == std::string_view::npos)
      return false;
    ++i;
  }
  std::vector<int> time, date;
  for (std::size_t k = 0; k < numbers.size(); ++k) (numberInTime[k] ? time : date).push_back(numbers[k]);
  bool timeOk = false;
  if (sawColon) {
    if (time.size() < 2 || time.size() > 3) return false;
    int maxHour = ampm ? 12 : 23;
    timeOk = time[0] <= maxHour && time[1] <= 59 && (time.size() < 3 || time[2] <= 59);
    if (!timeOk) return false;
  } else if (ampm) {
    return false;
  }
  const std::size_t parts = date.size() + (monthFromName ? 1 : 0);
  if (parts == 0) return timeOk;
  if (parts < 2 || parts > 3) return false;
  // Some order of day, month and year must name a valid date.
  auto plausible = [](int d, int mo, int y) { return validDate(y < 100 ? 2000 + y : y, mo, d); };
  if (monthFromName) {
    if (date.size() == 1) return date[0] >= 1 && (date[0] <= 31 || date[0] >= 100);
    return plausible(date[0], monthFromName, date[1]) || plausible(date[1], monthFromName, date[0]);
  }
  if (date.size() == 2)
    return plausible(date[0], date[1], 2000) || plausible(date[1], date[0], 2000) ||
           (date[0] >= 1 && date[0] <= 12 && date[1] >= 100);
  return plausible(date[0], date[1], date[2]) || plausible(date[1], date[0], date[2]) ||
         plausible(date[2], date[1], date[0]);
}

std::optional<std::string> formatNumberPattern(double value, std::string_view pattern) {
  std::size_t e = pattern.find_first_of("eE");
  std::string_view mantissa = pattern.substr(0, e);
  int intPlaces = 0, decimals = 0;
  bool afterPoint = false;
  for (char c : mantissa) {
    if (c == '.') {
      if (afterPoint) return std::nullopt;
      afterPoint = true;
    } else if (c == '0' || c == '#') {
      (afterPoint ? decimals : intPlaces) += 1;
    } else {
      return std::nullopt;
    }
  }
  if (intPlaces + decimals == 0) return std::nullopt;
  if (e == std::string_view::npos) return fixedText(value, decimals);
  if (e + 1 >= pattern.size() || (pattern[e + 1] != '+' && pattern[e + 1] != '-')) return std::nullopt;
  const bool alwaysSign = pattern[e + 1] == '+';
  std::string_view expDigits = pattern.substr(e + 2);
  if (expDigits.empty() || expDigits.find_first_not_of("0#") != std::string_view::npos) return std::nullopt;
  int exponent = 0;
  double m = value;
  if (value != 0) {
    int wantInt = intPlaces == 0 ? 0 : intPlaces;
    exponent = static_cast<int>(std::floor(std::log10(std::fabs(value)))) - (wantInt - 1);
    m = value / std::pow(10.0, exponent);
    // Rounding to the decimals may carry into one more integer digit.
    double rounded = std::round(m * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    if (std::fabs(rounded) >= std::pow(10.0, wantInt)) {
      ++exponent;
      m = value / std::pow(10.0, exponent);
    }
  }
  std::string out = fixedText(m, decimals);
  if (intPlaces == 0 && out.rfind("0.", 0) == 0) out.erase(0, 1);
  std::string expText = std::to_string(std::abs(exponent));
  std::size_t minDigits = static_cast<std::size_t>(std::count(expDigits.begin(), expDigits.end(), '0'));
  if (expText.size() < minDigits) expText.insert(0, minDigits - expText.size(), '0');
  out += pattern[e];
  out += exponent < 0 ? "-" : (alwaysSign ? "+" : "");
  out += expText;
  return out;
}

}  // namespace korrivan::las
