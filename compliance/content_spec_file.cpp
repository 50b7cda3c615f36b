#include "compliance/content_spec_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "base/run_error.h"
#include "base/safe_file.h"
#include "base/text_utils.h"

namespace korrivan::compliance {

using base::iequals;
using base::trimSpaces;

namespace {

constexpr std::string_view kGroupWord = "group";
constexpr std::size_t kRowFields = 13;

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string titleLine() { return std::string(kSpecFileTitle) + " " + std::to_string(kSpecFileFormat); }

// The lines of a text; CR LF, LF and CR all end a line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::string_view> splitAtBars(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    std::size_t bar = line.find('|');
    fields.push_back(trimSpaces(line.substr(0, bar)));
    if (bar == std::string_view::npos) return fields;
    line.remove_prefix(bar + 1);
  }
}

class SpecParser {
public:
  ContentSpecReading run(std::string_view text) {
    if (base::istartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::vector<std::string_view> lines = splitLines(text);
    std::int64_t number = 0;
    bool titled = false;
    for (std::string_view raw : lines) {
      ++number;
      const std::string_view line = trimSpaces(raw);
      if (line.empty() || line.front() == '#') continue;
      if (!titled) {
        if (!readTitle(line, number)) return std::move(reading_);
        titled = true;
        continue;
      }
      if (line.front() == '~')
        readRow(line, number);
      else if (isGroupLine(line))
        readGroup(line, number);
      else
        error(number, "expected a row beginning with \"~\", a group line or a comment");
    }
    if (!titled) error(0, "the file is empty: a content specification begins with the line " + quoted(titleLine()));
    return std::move(reading_);
  }

private:
  void error(std::int64_t line, std::string message) { reading_.errors.push_back({line, std::move(message)}); }

  bool readTitle(std::string_view line, std::int64_t number) {
    if (!base::istartsWith(line, kSpecFileTitle)) {
      error(number, "not a Korrivan content specification: the first line must read " + quoted(titleLine()));
      return false;
    }
    const std::string_view version = trimSpaces(line.substr(kSpecFileTitle.size()));
    const auto format = base::parseNumber(version);
    if (!format || version.find_first_not_of("0123456789") != std::string_view::npos) {
      error(number, "the first line must read " + quoted(titleLine()) + ", with the format number at its end");
      return false;
    }
    if (*format > kSpecFileFormat) {
      error(number, "content specification format " + std::string(version) +
                        " was written by a newer Korrivan; this one reads format " + std::to_string(kSpecFileFormat));
      return false;
    }
    return true;
  }

  static bool isGroupLine(std::string_view line) {
    return base::istartsWith(line, kGroupWord) && (line.size() == kGroupWord.size() || line[kGroupWord.size()] == ' ');
  }

  void readGroup(std::string_view line, std::int64_t number) {
    const std::vector<std::string_view> fields = splitAtBars(line.substr(kGroupWord.size()));
    if (fields.size() != 2) {
      error(number, "a group line reads \"group NAME | LAYOUT\"");
      return;
    }
    const std::string_view name = fields[0];
    if (!isValidGroupName(name)) {
      error(number,
            quoted(name) + " cannot name a section group (a name without spaces or any of . : | ~ { } [ ] _ # ; ,)");
      return;
    }
    const auto layout = groupLayoutOf(fields[1]);
    if (!layout) {
      error(number, quoted(fields[1]) + " is not a layout of a section group (~Par ~Def ~Data, ~Def ~Data or ~Par)");
      return;
    }
    if (declared_.count(base::toUpper(name))) {
      error(number, "section group " + std::string(name) + " is declared twice");
      return;
    }
    declared_[base::toUpper(name)] = true;
    if (SectionGroup* g = group(name))
      g->layout = *layout;
    else
      reading_.contentSpec.groups.push_back({std::string(name), *layout});
  }

  void readRow(std::string_view line, std::int64_t number) {
    const std::vector<std::string_view> fields = splitAtBars(line);
    if (fields.size() != kRowFields) {
      error(number, "a row holds " + std::to_string(kRowFields) + " fields separated by \"|\" (the section and " +
                        "twelve cells); this line holds " + std::to_string(fields.size()));
      return;
    }
    const std::string_view sectionField = trimSpaces(fields[0].substr(1));
    const auto section = sectionRefOf(sectionField);
    if (!section) {
      error(number, quoted(fields[0]) +
                        " is not a section of a content specification (~Version, ~Well, ~Parameter, or "
                        "~GROUP_Parameter, ~GROUP_Definition, ~GROUP_Data)");
      return;
    }
    GridCells cells;
    for (std::size_t i = 1; i < kRowFields; ++i) cells[i] = std::string(fields[i]);
    RowReading row = rowOfCells(cells, section->name);
    if (!row.row) {
      error(number, row.message);
      return;
    }
    std::size_t& count = rowsPerSection_[base::toUpper(section->name)];
    if (++count > static_cast<std::size_t>(kGridRows)) {
      error(number, "~" + section->name + " holds more than " + std::to_string(kGridRows) + " rows");
      return;
    }
    if (!section->group.empty() && !group(section->group))
      reading_.contentSpec.groups.push_back({section->group, GroupLayout::ParDefData});
    // Rows take the spelling of their group as declared.
    if (const SectionGroup* g = group(section->group)) row.row->section = groupSectionName(g->name, section->tab);
    row.row->sourceLine = number;
    reading_.contentSpec.rows.push_back(std::move(*row.row));
  }

  SectionGroup* group(std::string_view name) {
    if (name.empty()) return nullptr;
    for (SectionGroup& g : reading_.contentSpec.groups)
      if (iequals(g.name, name)) return &g;
    return nullptr;
  }

  ContentSpecReading reading_;
  std::map<std::string, bool> declared_;
  std::map<std::string, std::size_t> rowsPerSection_;
};

// Reads the whole file, refusing one larger than a content specification can be.
std::string readSmallFile(const std::string& fileName) {
  // Not blocking: a name that turns out to be a pipe must not hang the open.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw base::RunError::fromErrno(errno, base::FileOp::Read);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw base::RunError(base::err::PathFileAccess, "not a regular file");
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      throw base::RunError::fromErrno(e, base::FileOp::Read);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    if (static_cast<std::int64_t>(text.size()) > kMaxSpecFileBytes) {
      ::close(fd);
      throw base::RunError(base::err::InvalidCall, "the file is larger than a content specification can be (16 MiB)");
    }
  }
  ::close(fd);
  return text;
}

std::string rowLine(const ContentSpecRow& row) {
  const GridCells cells = cellsOfRow(row);
  std::string line = "~" + row.section;
  for (std::size_t i = 1; i < cells.size(); ++i) line += " | " + cells[i];
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

std::string ContentSpecError::text() const {
  return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

ContentSpecReading parseContentSpec(std::string_view text) { return SpecParser().run(text); }

ContentSpecReading readContentSpecFile(const std::string& fileName) {
  try {
    return parseContentSpec(readSmallFile(fileName));
  } catch (const base::RunError& e) {
    ContentSpecReading reading;
    reading.errors.push_back({0, fileName + ": " + e.text()});
    return reading;
  }
}

std::string writeContentSpec(const ContentSpec& contentSpec) {
  std::string text = titleLine() + "\n";
  text += "# Rows: SECTION";
  for (int c = 1; c < kGridColumns; ++c) text += " | " + std::string(columnHeader(c));
  text += "\n# Groups: group NAME | ~Par ~Def ~Data, ~Def ~Data or ~Par\n";
  for (const SectionGroup& g : contentSpec.groups)
    text += std::string(kGroupWord) + " " + g.name + " | " + std::string(captionOf(g.layout)) + "\n";
  const std::vector<std::string> sections = contentSpec.sectionNames();
  for (const std::string& section : sections)
    for (const ContentSpecRow* row : contentSpec.rowsOf(section)) text += rowLine(*row) + "\n";
  // Rows of a section no group stands for are kept too, after the others.
  for (const ContentSpecRow& row : contentSpec.rows) {
    bool listed = false;
    for (const std::string& section : sections) listed = listed || iequals(section, row.section);
    if (!listed) text += rowLine(row) + "\n";
  }
  return text;
}

void saveContentSpecFile(const std::string& fileName, const ContentSpec& contentSpec) {
  base::replaceFileContent(fileName, writeContentSpec(contentSpec), base::IdentityPolicy::BestEffort);
}

}  // namespace korrivan::compliance
