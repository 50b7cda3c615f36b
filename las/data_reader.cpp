#include "las/data_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "base/text_utils.h"
#include "las/data_facts.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"

namespace korrivan::las {

using namespace korrivan::base;

namespace {

// Fields of a trimmed line where runs of spaces are one separator.
// Fields of a trimmed line where runs of spaces are one separator, counted
// in the same walk that looks for a double quote; nullopt when the line
// holds one (quoted text goes through the field splitter).
std::optional<std::size_t> countSpaceSeparatedUnquoted(std::string_view t) {
  if (t.empty()) return 0;
  std::size_t fields = 1;
  const char* p = t.data();
  const char* end = p + t.size();
  while (p < end) {
    const char c = *p++;
    if (c == '"') return std::nullopt;
    if (c != ' ') continue;
    ++fields;
    while (p < end && *p == ' ') ++p;
  }
  return fields;
}

// Fields of a line split at every delimiter; nullopt when it holds a quote.
std::optional<std::size_t> countDelimitedUnquoted(std::string_view line, char delimiter) {
  std::size_t fields = 1;
  for (const char c : line) {
    if (c == '"') return std::nullopt;
    fields += c == delimiter ? 1 : 0;
  }
  return fields;
}

char effective(char delimiter) { return delimiter == '\0' ? ' ' : delimiter; }

}  // namespace

std::size_t countDataFields(std::string_view line, char delimiter) {
  delimiter = effective(delimiter);
  auto fast =
      delimiter == ' ' ? countSpaceSeparatedUnquoted(trimSpaces(line)) : countDelimitedUnquoted(line, delimiter);
  if (fast) return *fast;
  std::string_view t = trimSpaces(line);
  return t.empty() ? 1 : countFields(t, std::string_view(&delimiter, 1));
}

std::vector<std::string> splitDataFields(std::string_view line, char delimiter) {
  delimiter = effective(delimiter);
  const bool quoted = line.find('"') != std::string_view::npos;
  if (!quoted && delimiter != ' ') return splitAtEvery(line, delimiter);
  return splitFields(trimSpaces(line), std::string_view(&delimiter, 1));
}

namespace {

// The number of fields splitDataFields gives for a line, without copying
// them out (a hostile line holds millions); 0 when it gives one empty field.
std::int64_t valuedFieldCount(std::string_view line, char delimiter) {
  delimiter = effective(delimiter);
  const bool quoted = line.find('"') != std::string_view::npos;
  if (!quoted && delimiter != ' ')
    return line.empty() ? 0 : 1 + static_cast<std::int64_t>(std::count(line.begin(), line.end(), delimiter));
  const std::string_view t = trimSpaces(line);
  const std::string_view separators(&delimiter, 1);
  const auto n = static_cast<std::int64_t>(countFields(t, separators));
  if (n != 1) return n;
  return splitFields(t, separators).front().empty() ? 0 : 1;
}

}  // namespace

bool readCurveDefinitions(CurveTable& table, const SectionDirectory& directory, std::string_view curveSectionName) {
  table.assign(1, CurveRow{});
  try {
    const SectionRow* section = curveSectionName.empty() ? nullptr : directory.find(curveSectionName);
    if (!section) return false;
    // The definitions end at the first blank line or line holding a tilde
    // anywhere; like a parsed section, the table takes at most
    // kMaxSectionRows of them from at most kMaxSectionText bytes.
    SectionCursor cursor(directory.fileName(), *section, CursorRules{false, false, false});
    std::string_view raw;
    bool first = true;
    std::int64_t bytes = 0;
    while (cursor.next(raw)) {
      bytes += cursor.lineLength() + 2;
      if (bytes > kMaxSectionText) break;
      std::string upper = toUpper(trimSpaces(raw));
      if (upper.empty() || upper.find('~') != std::string::npos) break;
      if (classifyLine(upper) != LineKind::ParameterLine) continue;
      if (!first && table.size() >= kMaxSectionRows) break;
      if (!first) table.emplace_back();
      first = false;
      CurveRow& row = table.back();
      row[0] = std::string(trimSpaces(getMnemonic(upper)));
      row[1] = std::string(trimSpaces(getUnit(upper)));
      row[2] = std::string(trimSpaces(getValue(upper)));
      row[3] = std::string(trimSpaces(getDescription(upper)));
    }
    return true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    table.assign(1, CurveRow{});
    return false;
  }
}

namespace {

struct LineStat {
  std::int64_t fields;
  std::int64_t length;
};

// n / 2 rounded to the nearest integer, halves to the even neighbour.
std::int64_t halfRoundedEven(std::int64_t n) {
  std::int64_t q = n / 2;
  if (n % 2 == 0) return q;
  return (q % 2 == 0) ? q : q + 1;
}

// Z-array of a text: z[i] is the length of the longest common prefix of the
// text and its suffix from i (z[0] is the whole length).
std::vector<std::size_t> zArray(std::string_view s) {
  std::vector<std::size_t> z(s.size(), 0);
  if (s.empty()) return z;
  z[0] = s.size();
  std::size_t left = 0, right = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (i < right) z[i] = std::min(right - i, z[i - left]);
    while (i + z[i] < s.size() && s[z[i]] == s[i + z[i]]) ++z[i];
    if (i + z[i] > right) {
      left = i;
      right = i + z[i];
    }
  }
  return z;
}

// Longest line still taken as one record of a known length.
constexpr std::int64_t kMaxSingleLineLength = 32765;

WrapStructure wrapFromStats(const std::vector<LineStat>& stats) {
  WrapStructure w;
  w.result = WrapResult::Undetermined;
  if (stats.empty()) return w;
  const LineStat& first = stats.front();
  bool allSame = std::all_of(stats.begin(), stats.end(), [&](const LineStat& s) { return s.fields == first.fields; });
  if (allSame) {
    if (first.length <= kMaxSingleLineLength) {
      w.result = WrapResult::Unwrapped;
      w.linesPerDepth = 1;
      w.recordLength = first.length + 2;
      w.valuesPerRecord = first.fields;
    }
    return w;
  }
  // A pattern of l lines repeats when the field counts of lines l+1..2l,
  // written as decimal numbers one after the other, read the same as those
  // of lines 1..l. All the counts are written once, and one Z-array of that
  // text compares every candidate in a single step.
  const auto n = static_cast<std::int64_t>(stats.size());
  const std::int64_t m = halfRoundedEven(n);
  std::string counts;
  std::vector<std::size_t> at;  // where each line's count begins; at[n] is the end
  for (const LineStat& s : stats) {
    at.push_back(counts.size());
    counts += std::to_string(s.fields);
  }
  at.push_back(counts.size());
  const std::vector<std::size_t> z = zArray(counts);
  for (std::int64_t l = 1; l <= m + 1; ++l) {
    const std::size_t patternEnd = at[static_cast<std::size_t>(std::min(l, n))];
    const std::size_t nextEnd = at[static_cast<std::size_t>(std::min(2 * l, n))];
    if (nextEnd - patternEnd != patternEnd || patternEnd >= counts.size() || z[patternEnd] < patternEnd) continue;
    if (counts.front() != '1') return w;
    const auto ul = static_cast<std::size_t>(l);
    w.result = WrapResult::Wrapped;
    w.linesPerDepth = static_cast<int>(l);
    for (std::size_t i = 0; i < ul && i < stats.size(); ++i) {
      w.recordLength += stats[i].length + 2;
      w.valuesPerRecord += stats[i].fields;
    }
    return w;
  }
  return w;
}

std::optional<std::int64_t> dataSectionStart(const SectionDirectory& dir) {
  for (std::string_view name :
       {std::string_view(dir.dataSectionName), std::string_view("Log_Data"), std::string_view("A")}) {
    if (name.empty()) continue;
    if (auto s = dir.sectionStart(name)) return s;
  }
  return std::nullopt;
}

// Lets window events run; the poll throws when the user confirms a cancel.
void poll(const DataReadContext& ctx) {
  if (ctx.poll) ctx.poll();
}

}  // namespace

WrapStructure detectWrapStructure(const DataReadContext& ctx, int channelHint, CurveTable& curves) {
  WrapStructure notFound;
  try {
    auto start = dataSectionStart(ctx.directory);
    if (!start || *start >= ctx.directory.fileSize()) {
      notFound.result = WrapResult::NotFound;
      return notFound;
    }
    std::int64_t budget;
    if (channelHint != 0) {
      budget = static_cast<std::int64_t>(std::floor(channelHint / 5.0 * 3.0));
    } else {
      readCurveDefinitions(curves, ctx.directory, ctx.directory.curveSectionName);
      budget = static_cast<std::int64_t>(std::floor(static_cast<double>(curves.size() - 1) / 5.0 * 3.0));
    }
    LineSource src(ctx.directory.fileName());
    src.seek(*start);
    std::vector<LineStat> stats;
    std::int64_t singles = 0, multis = 0;
    std::string_view line;
    while (src.next(line)) {
      std::string_view t = trimSpaces(line);
      if (t.empty() || t.front() == '#') continue;  // blank and comment lines hold no values
      if (t.front() == '~') break;                  // the next section's title ends the data
      poll(ctx);
      const std::int64_t fields = valuedFieldCount(line, ctx.delimiter);
      if (fields > 0) {
        stats.push_back(
            {fields, src.truncated() ? src.lineLength() : static_cast<std::int64_t>(trimTrailingSpaces(line).size())});
        (fields == 1 ? singles : multis) += 1;
      }
      if (multis > budget || singles >= 4) break;
    }
    return wrapFromStats(stats);
  } catch (const std::exception&) {
    notFound.result = WrapResult::NotFound;
    return notFound;
  }
}

FirstDataLine readFirstDataLine(const DataReadContext& ctx, std::string_view sectionName, const SectionFacts* facts) {
  FirstDataLine out;
  try {
    const SectionRow* section = ctx.directory.find(sectionName);
    if (!section) return out;
    // The first line that is neither blank nor a comment, even the next section's title.
    const bool known = facts && facts->start == section->start && facts->firstData.found();
    SectionCursor cursor(ctx.directory.fileName(), known ? facts->firstData.offset : section->start,
                         known ? facts->firstData.number : section->startLine, CursorRules{true, true, false},
                         ctx.poll);
    std::string_view line;
    const char delimiter = effective(ctx.delimiter);
    while (cursor.next(line)) {
      out.line = std::string(line);
      out.lineNumber = cursor.lineNumber();
      if (line.find(delimiter) != std::string_view::npos) {
        out.columns = static_cast<std::int64_t>(countDataFields(line, delimiter));
        out.columnsSet = true;
      }
      out.result = -1;
      return out;
    }
    out.result = 1;
    return out;
  } catch (const std::exception&) {
    return FirstDataLine{};
  }
}

namespace {

ColumnConsistency columnConsistencyOf(const SectionFacts& facts, const std::string& fileName) {
  ColumnConsistency out;
  if (facts.dataLines == 0) {
    out.result = -1;
    return out;
  }
  if (!facts.columnsDiffer.found()) {
    out.result = facts.columns;
    return out;
  }
  LineSource src(fileName);
  src.seek(facts.columnsDiffer.offset, facts.columnsDiffer.number);
  std::string_view line;
  if (src.next(line)) out.offendingLine = std::string(trimSpaces(line));
  out.lineNumber = facts.columnsDiffer.number;
  out.result = -facts.differentColumns;
  return out;
}

}  // namespace

ColumnConsistency checkColumnCountConsistency(const DataReadContext& ctx, std::string_view sectionName,
                                              const SectionFacts* facts) {
  ColumnConsistency out;
  try {
    const SectionRow* section = ctx.directory.find(sectionName);
    if (!section) return out;
    if (facts && facts->start == section->start) return columnConsistencyOf(*facts, ctx.directory.fileName());
    SectionCursor cursor(ctx.directory.fileName(), *section, CursorRules{true, true, true}, ctx.poll);
    std::string_view line;
    std::int64_t kept = -1;
    const char delimiter = effective(ctx.delimiter);
    while (cursor.next(line)) {
      std::string_view t = trimSpaces(line);
      auto count = static_cast<std::int64_t>(countDataFields(t, delimiter));
      if (kept < 0) {
        kept = count;
      } else if (count != kept) {
        out.offendingLine = std::string(t);
        out.lineNumber = cursor.lineNumber();
        out.result = -count;
        return out;
      }
    }
    out.result = kept < 0 ? -1 : kept;
    return out;
  } catch (const std::exception&) {
    return ColumnConsistency{};
  }
}

}  // namespace korrivan::las
