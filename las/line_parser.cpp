#include "las/line_parser.h"

#include <utility>

#include "base/text_utils.h"

namespace korrivan::las {

using namespace korrivan::base;

namespace {

// Text from 1-based position `start`, `len` characters (clipped to the text).
std::string_view mid(std::string_view s, std::int64_t start, std::int64_t len) {
  if (start < 1 || len <= 0 || start > static_cast<std::int64_t>(s.size())) return {};
  return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(len));
}

// Text after 1-based position `pos`.
std::string_view after(std::string_view s, std::int64_t pos) {
  if (pos >= static_cast<std::int64_t>(s.size())) return {};
  return s.substr(static_cast<std::size_t>(pos < 0 ? 0 : pos));
}

}  // namespace

const std::string& LasLineParts::field(int column) const {
  switch (column) {
    case 0: return mnemonic;
    case 1: return unit;
    case 2: return value;
    case 3: return description;
    case 4: return format;
    default: return association;
  }
}

std::string& LasLineParts::field(int column) { return const_cast<std::string&>(std::as_const(*this).field(column)); }

std::int64_t firstPos(std::string_view s, char c) {
  std::size_t p = s.find(c);
  return p == std::string_view::npos ? 0 : static_cast<std::int64_t>(p) + 1;
}

std::int64_t lastPos(std::string_view s, char c) {
  std::size_t p = s.rfind(c);
  return p == std::string_view::npos ? 0 : static_cast<std::int64_t>(p) + 1;
}

LineKind classifyLine(std::string_view line) {
  std::string_view s = trimSpaces(line);
  if (s.empty()) return LineKind::Blank;
  if (s.front() == '#') return LineKind::Comment;
  if (s.front() == '~') return LineKind::SectionTitle;
  std::int64_t p = firstPos(s, '.');
  std::int64_t c = lastPos(s, ':');
  if (p == 0 || c == 0 || p + 1 >= c) return LineKind::Undetermined;
  if (s.find('\t') != std::string_view::npos) return LineKind::TabOnLine;
  if (p == 1) return LineKind::MissingMnemonic;
  if (getMnemonic(s).find(' ') != std::string::npos) return LineKind::SpaceInMnemonic;
  return LineKind::ParameterLine;
}

std::string getMnemonic(std::string_view line) {
  std::int64_t p = firstPos(line, '.');
  if (p == 0) return "";
  return std::string(trimSpaces(line.substr(0, static_cast<std::size_t>(p - 1))));
}

std::string getUnit(std::string_view line) {
  std::int64_t c = lastPos(line, ':');
  std::int64_t p = firstPos(line, '.');
  if (c == 0 || p == 0 || p >= c) return "";
  std::string_view s = mid(line, p + 1, c - p - 1);
  if (trimSpaces(s).empty() || s.front() == ' ') return "";
  return std::string(before(trimSpaces(s), ' '));
}

std::string getValue(std::string_view line) {
  if (classifyLine(line) != LineKind::ParameterLine) return "";
  std::int64_t c = findDescriptionColon(line);
  std::int64_t p = firstPos(line, '.');
  std::string_view s = mid(line, p + 1, c - p - 1);
  if (s.empty()) return "";
  if (s.front() == ' ') return std::string(trimSpaces(s));
  if (countFields(s, " ") <= 1) return "";
  return std::string(trimSpaces(s.substr(s.find(' ') + 1)));
}

std::string getDescription(std::string_view line) {
  std::int64_t b = 0;
  std::int64_t c = findDescriptionColon(line, &b);
  if (b > c) return std::string(trimSpaces(mid(line, c + 1, b - c - 1)));
  std::int64_t last = lastPos(line, ':');
  if (last == 0) return "";
  std::string_view d = trimSpaces(after(line, last));
  d = trimSpaces(before(d, '{'));
  d = trimSpaces(before(d, '|'));
  return std::string(d);
}

std::string getFormat(std::string_view line) {
  std::int64_t o = firstPos(line, '{');
  std::int64_t e = firstPos(line, '}');
  if (o == 0 || e == 0 || o >= e || e - o < 2) return "";
  std::string_view f = trimSpaces(mid(line, o + 1, e - o - 1));
  f = before(f, ';');
  if (!f.empty() && (f.front() == 'A' || f.front() == 'a')) f.remove_prefix(1);
  return std::string(f);
}

std::string getFormatAsWritten(std::string_view line) {
  std::int64_t o = firstPos(line, '{');
  std::int64_t e = firstPos(line, '}');
  if (o == 0 || e == 0 || o >= e) return "";
  return std::string(trimSpaces(mid(line, o + 1, e - o - 1)));
}

std::string getAssociation(std::string_view line, char delimiter, std::vector<std::string>* items) {
  if (items) *items = {""};
  std::int64_t bar = lastPos(line, '|');
  if (bar == 0) return "";
  std::string assoc(trimSpaces(after(line, bar)));
  if (items) {
    if (delimiter == ',' || delimiter == '\t') {
      *items = splitAtEvery(assoc, delimiter);
    } else {
      *items = splitFields(assoc, " ");
    }
  }
  return assoc;
}

std::int64_t findDescriptionColon(std::string_view line, std::int64_t* bracePos) {
  std::string f = getFormat(line);
  std::int64_t b = lastPos(line, '{');
  std::string_view searched = line;
  // Colons of a format that stands after the last "{" are skipped: the last
  // occurrence of the format lies after that brace when any occurrence
  // begins after it.
  if (!f.empty() && f.find(':') != std::string::npos &&
      ifind(line, f, static_cast<std::size_t>(b)) != std::string_view::npos)
    searched = line.substr(0, static_cast<std::size_t>(b - 1));
  if (bracePos) *bracePos = f.empty() ? 0 : b;
  return lastPos(searched, ':');
}

bool isValidMnemonic(std::string_view mnemonic, float version) {
  std::string_view m = trimSpaces(mnemonic);
  if (m.empty()) return false;
  if (version != 3.0f) return m.find_first_of(" .:") == std::string_view::npos;
  if (m.find_first_of(", \t.:{}|;") != std::string_view::npos) return false;
  std::int64_t open = firstPos(m, '[');
  std::int64_t close = firstPos(m, ']');
  if (open && close) {
    if (close != static_cast<std::int64_t>(m.size()) || open == 1) return false;
    return isUnsignedInteger(mid(m, open + 1, close - open - 1), "");
  }
  return open == 0 && close == 0;
}

bool isUnsignedInteger(std::string_view text, std::string_view width) {
  std::string_view t = trimSpaces(text);
  std::string_view digits = t;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
  if (width.empty()) return true;
  auto w = parseNumber(width);
  if (!w || *w <= 0) return false;
  return static_cast<double>(text.size()) == *w;
}

namespace {

// Walks the fields of a text; calls emit(field) for each.
template <typename Emit>
void walkFields(std::string_view text, std::string_view separators, Emit emit) {
  bool isSeparator[256] = {};
  for (char c : separators) isSeparator[static_cast<unsigned char>(c)] = true;
  const bool spaceSeparates = isSeparator[static_cast<unsigned char>(' ')];
  if (spaceSeparates) text = trimSpaces(text);
  if (text.empty()) return;
  bool inQuotes = false;
  std::size_t fieldStart = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"') inQuotes = !inQuotes;
    if (!inQuotes && isSeparator[static_cast<unsigned char>(c)]) {
      emit(text.substr(fieldStart, i - fieldStart));
      ++i;
      if (c == ' ')
        while (i < text.size() && text[i] == ' ') ++i;
      fieldStart = i;
      continue;
    }
    ++i;
  }
  emit(text.substr(fieldStart));
}

}  // namespace

std::size_t countFields(std::string_view text, std::string_view separators) {
  std::size_t n = 0;
  walkFields(text, separators, [&](std::string_view) { ++n; });
  return n;
}

std::vector<std::string> splitFields(std::string_view text, std::string_view separators) {
  std::vector<std::string> out;
  walkFields(text, separators, [&](std::string_view f) { out.emplace_back(trimSpaces(f)); });
  if (out.empty()) out.emplace_back();
  return out;
}

}  // namespace korrivan::las
