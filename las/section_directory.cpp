#include "las/section_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>

#include <new>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/file_names.h"
#include "base/text_utils.h"
#include "las/line_source.h"

namespace korrivan::las {

using namespace korrivan::base;

namespace {

std::string keptName(std::string_view name) { return std::string(name.substr(0, kMaxNameLength)); }

}  // namespace

TitleParts parseSectionTitle(std::string_view line) {
  TitleParts t;
  std::string_view s = trimSpaces(line);
  if (s.size() < 2 || s.front() != '~') return t;
  std::string_view rest = trimSpaces(s.substr(1));
  std::size_t bar = rest.find('|');
  if (bar != std::string_view::npos) {
    std::string_view assoc = trimSpaces(rest.substr(bar + 1));
    if (assoc.find(' ') != std::string_view::npos) assoc = trimSpaces(before(assoc, ' '));
    t.association = assoc.empty() ? " " : keptName(assoc);
    rest = trimSpaces(rest.substr(0, bar));
  }
  if (rest.find(' ') != std::string_view::npos) rest = trimSpaces(before(rest, ' '));
  t.name = keptName(rest);
  t.nameLength = static_cast<std::int64_t>(rest.size());
  return t;
}

SectionIndex splitSectionIndex(std::string_view name) {
  SectionIndex r;
  std::string_view n = trimSpaces(name);
  std::size_t open = n.find('[');
  std::size_t close = n.find(']');
  if (open == std::string_view::npos && close == std::string_view::npos) {
    r.baseName = std::string(trimSpaces(before(n, ' ')));
    return r;
  }
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return r;
  if (n.back() != ']' || n.find('[', open + 1) != std::string_view::npos ||
      n.find(']', close + 1) != std::string_view::npos)
    return r;
  std::string_view digits = n.substr(open + 1, close - open - 1);
  if (digits.find_first_not_of("0123456789") != std::string_view::npos) return r;
  int index = 0;
  for (char c : digits) {
    index = index * 10 + (c - '0');
    if (index > 32767) return r;  // beyond a 16-bit index: not a readable index
  }
  r.index = index;
  r.baseName = std::string(trimSpaces(before(trimSpaces(n.substr(0, open)), ' ')));
  return r;
}

bool namesSection(std::string_view name, std::string_view longName, float version) {
  if (version == 3.0f) return iequals(name, longName);
  return !name.empty() && !longName.empty() && toUpperAscii(name.front()) == toUpperAscii(longName.front());
}

SectionKind sectionKindOf(std::string_view name, float version) {
  const bool classic = version != 3.0f;
  auto is = [&](std::string_view word) { return namesSection(name, word, version); };
  if (is("Version") || is("Well") || (classic && is("Other"))) return SectionKind::Header;
  if (is("ASCII") || icontains(name, "_Data")) return SectionKind::Data;
  if (is("Curve") || icontains(name, "_Definition")) return SectionKind::Definition;
  if (is("Parameter") || icontains(name, "_Parameter")) return SectionKind::Parameter;
  return SectionKind::Other;
}

namespace {

// Modification time and size of a file, to tell whether a directory built
// earlier still describes it.
std::pair<std::int64_t, std::int64_t> fileStamp(const std::string& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return {-1, -1};
  return {static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          static_cast<std::int64_t>(st.st_size)};
}

}  // namespace

void SectionDirectory::setFile(const std::string& fileName, float version) {
  rows_.clear();
  tildeLineStarts_.clear();
  tildeLinesEnd_ = 0;
  startsHash_ = 0;
  groups_.clear();
  byName_.clear();
  fileName_ = fileName;
  version_ = version;
  built_ = false;
}

bool SectionDirectory::isFresh(const std::string& fileName, float version) const {
  return version == version_ && describesFile(fileName);
}

bool SectionDirectory::describesFile(const std::string& fileName) const {
  if (!built_ || fileName != fileName_) return false;
  auto [mtime, size] = fileStamp(fileName);
  return mtime == builtMtimeNs_ && size == fileSize_ && mtime >= 0;
}

// The line numbers of the title lines, counted after the scan so that the
// block search does not count lines all through a long data section after
// the last title (the usual place of ~A).
void SectionDirectory::numberTitleLines(LineSource& src) {
  std::int64_t line = 1, counted = 0;
  for (SectionRow& row : rows_) {
    line += src.countLineEnds(counted, row.titleStart);
    counted = row.titleStart;
    row.titleLine = line;
    row.startLine = line + 1;
  }
}

namespace {

// The tildes of one part of a file: their offsets in file order, at most one
// per line within a block (the search goes on after the next CR).
struct TildeHits {
  std::int64_t from = 0, to = 0;
  std::vector<std::int64_t> offsets;
  std::int64_t searchedTo = 0;  // the offsets cover [from, searchedTo)
  std::exception_ptr failure;
};

constexpr std::size_t kMaxHitsPerPart = 1u << 15;

void findTildes(const std::string& fileName, TildeHits& part) {
  part.searchedTo = part.from;
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  try {
    part.offsets.reserve(kMaxHitsPerPart);
    std::vector<char> buffer(LineSource::kBlockSize);
    for (std::int64_t at = part.from; at < part.to;) {
      const auto want = static_cast<std::size_t>(std::min<std::int64_t>(part.to - at, LineSource::kBlockSize));
      const ssize_t n = ::pread(fd, buffer.data(), want, at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      const char *p = buffer.data(), *end = p + n;
      while (const void* hit = std::memchr(p, '~', static_cast<std::size_t>(end - p))) {
        const char* tilde = static_cast<const char*>(hit);
        if (part.offsets.size() == kMaxHitsPerPart) {
          part.searchedTo = at + (tilde - buffer.data());
          ::close(fd);
          return;
        }
        part.offsets.push_back(at + (tilde - buffer.data()));
        const void* cr = std::memchr(tilde, '\r', static_cast<std::size_t>(end - tilde));
        p = cr ? static_cast<const char*>(cr) + 1 : end;
      }
      at += n;
      part.searchedTo = at;
    }
  } catch (...) {
    part.failure = std::current_exception();
  }
  ::close(fd);
}

// The rest [from, to) of a file searched for tildes by that many threads.
std::vector<TildeHits> findTildesSpread(const std::string& fileName, std::int64_t from, std::int64_t to, int threads) {
  std::vector<TildeHits> parts(static_cast<std::size_t>(threads));
  const std::int64_t size = (to - from + threads - 1) / threads;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    parts[i].from = std::min(to, from + static_cast<std::int64_t>(i) * size);
    parts[i].to = std::min(to, parts[i].from + size);
  }
  std::vector<std::thread> helpers;
  helpers.reserve(parts.size());
  for (std::size_t i = 1; i < parts.size(); ++i) {
    try {
      helpers.emplace_back(findTildes, std::cref(fileName), std::ref(parts[i]));
    } catch (const std::system_error&) {
      findTildes(fileName, parts[i]);  // no thread to be had: this one searches it
    }
  }
  findTildes(fileName, parts[0]);
  for (std::thread& t : helpers) t.join();
  return parts;
}

// The start of the line that holds offset `at`, which lies at or after the
// line start `floor`: after the last CR before it (and a LF right after that).
std::int64_t lineStartOf(LineSource& src, std::int64_t at, std::int64_t floor) {
  constexpr std::int64_t kStep = 64 << 10;
  for (std::int64_t end = at; end > floor;) {
    const std::int64_t begin = std::max(floor, end - kStep);
    const std::string block = src.readAt(begin, static_cast<std::size_t>(end - begin));
    const std::size_t cr = block.rfind('\r');
    if (cr != std::string::npos) {
      std::int64_t start = begin + static_cast<std::int64_t>(cr) + 1;
      if (start == at) return start;
      const std::string next = cr + 1 < block.size() ? block.substr(cr + 1, 1) : src.readAt(start, 1);
      return next == "\n" ? start + 1 : start;
    }
    end = begin;
  }
  return floor;
}

}  // namespace

bool SectionDirectory::takeTildeLine(std::string_view line, const LineSource& src, float version) {
  if (tildeLinesEnd_ < 0) {
    tildeLineStarts_.push_back(src.lineStart());
    if (tildeLineStarts_.size() == kMaxTildeLines) tildeLinesEnd_ = src.position();
  }
  std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos || line[first] != '~') return true;
  TitleParts title = parseSectionTitle(line);
  if (title.name.empty()) return true;
  SectionRow row;
  row.name = std::move(title.name);
  row.association = std::move(title.association);
  row.nameLength = title.nameLength;
  row.start = src.position();
  row.titleStart = src.lineStart();
  SectionIndex split = splitSectionIndex(row.name);
  row.index = split.index;
  row.baseName = std::move(split.baseName);
  if (version == 3.0f && iequals(row.name, "ASCII") && trimSpaces(row.association).empty()) row.association = "Curve";
  rows_.push_back(std::move(row));
  if (rows_.size() < kMaxSections) return true;
  if (tildeLinesEnd_ < 0) tildeLinesEnd_ = src.position();
  return false;
}

bool SectionDirectory::scan(const std::string& fileName, float version) {
  if (!base::fileExists(fileName)) return false;
  try {
    LineSource src(fileName);
    fileSize_ = src.fileSize();
    std::string_view line;
    tildeLinesEnd_ = -1;
    bool full = false, searchedAll = false;
    while (!full && src.nextContaining('~', line)) {
      full = !takeTildeLine(line, src, version);
      // Past the first data section the rest of a long file is searched by
      // several threads; the lines holding their tildes are then read one by
      // one, as the search above would have met them.
      const std::int64_t rest = fileSize_ - src.position();
      if (full || searchThreads_ < 2 || rest <= spreadFrom_ || rows_.empty() ||
          sectionKindOf(rows_.back().name, version) != SectionKind::Data || rows_.back().start != src.position())
        continue;
      searchedAll = true;
      for (const TildeHits& part : findTildesSpread(fileName, src.position(), fileSize_, searchThreads_)) {
        if (part.failure) std::rethrow_exception(part.failure);
        for (const std::int64_t tilde : part.offsets) {
          if (full || tilde < src.position()) continue;
          src.seek(lineStartOf(src, tilde, src.position()));
          if (!src.next(line)) break;
          full = !takeTildeLine(line, src, version);
        }
        // A part with more tildes than it keeps, or one that could not be
        // read to its end: the search goes on from here, line by line.
        if (part.searchedTo < part.to) {
          searchedAll = false;
          break;
        }
      }
      break;
    }
    // Whatever the spread search left (nothing, unless a part stopped early).
    while (!full && !searchedAll && src.nextContaining('~', line)) full = !takeTildeLine(line, src, version);
    numberTitleLines(src);
    return true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

void SectionDirectory::build(const std::string& fileName, float version) {
  rows_.clear();
  tildeLineStarts_.clear();
  tildeLinesEnd_ = 0;
  groups_.clear();
  byName_.clear();
  fileName_ = fileName;
  version_ = version;
  fileSize_ = 0;
  builtMtimeNs_ = fileStamp(fileName).first;
  built_ = scan(fileName, version);
  if (version != 3.0f) {
    const SectionRow* lastCurve = nullptr;
    for (const SectionRow& r : rows_)
      if (istartsWith(r.name, "C")) lastCurve = &r;
    if (lastCurve) {
      std::string curve = lastCurve->name;
      for (SectionRow& r : rows_)
        if (namesSection(r.name, "ASCII", version)) {
          r.association = curve;
          break;
        }
    }
  }
  std::unordered_set<std::string> known;  // group prefixes in upper case
  for (SectionRow& r : rows_) {
    r.kind = sectionKindOf(r.name, version);
    std::size_t underscore = r.name.find('_');
    if (underscore == std::string::npos) continue;
    std::string prefix(trimSpaces(std::string_view(r.name).substr(0, underscore)));
    if (known.insert(toUpper(prefix)).second) groups_.push_back(prefix);
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) byName_.try_emplace(toUpper(rows_[i].name), i);
  startsHash_ = 14695981039346656037ull;
  for (const SectionRow& r : rows_) startsHash_ = (startsHash_ ^ static_cast<std::uint64_t>(r.start)) * 1099511628211ull;
}

bool SectionDirectory::locateMainSections(const std::string& fileName, float version) {
  dataSectionName.clear();
  curveSectionName.clear();
  parameterSectionName.clear();
  mainSectionsFound = false;
  if (!isFresh(fileName, version)) build(fileName, version);
  const bool v3 = version == 3.0f;

  auto pick = [&](std::string_view longName, std::string_view logBase) -> std::string {
    if (const SectionRow* r = findStandard(longName)) return r->name;
    if (!v3) return "";
    // The data set [1] (or the one without index), wherever it stands
    // among the sets of that name.
    for (const SectionRow& r : rows_)
      if (iequals(r.baseName, logBase) && (r.index == 1 || r.index == -1)) return r.name;
    return "";
  };
  curveSectionName = pick("Curve", "Log_Definition");
  dataSectionName = pick("ASCII", "Log_Data");
  parameterSectionName = pick("Parameter", "Log_Parameter");
  mainSectionsFound = v3 ? !(curveSectionName.empty() && dataSectionName.empty() && parameterSectionName.empty())
                         : !(curveSectionName.empty() && dataSectionName.empty());
  return base::fileExists(fileName);
}

const SectionRow* SectionDirectory::find(std::string_view name) const {
  auto it = byName_.find(toUpper(name));
  return it == byName_.end() ? nullptr : &rows_[it->second];
}

const SectionRow* SectionDirectory::findStandard(std::string_view longName) const {
  for (const SectionRow& r : rows_)
    if (namesSection(r.name, longName, version_)) return &r;
  return nullptr;
}

std::optional<std::int64_t> SectionDirectory::sectionStart(std::string_view name, std::string* storedName) {
  if (!built_ && !fileName_.empty()) build(fileName_, version_);
  return std::as_const(*this).sectionStart(name, storedName);
}

std::optional<std::int64_t> SectionDirectory::sectionStart(std::string_view name, std::string* storedName) const {
  const SectionRow* row = find(name);
  if (!row) return std::nullopt;
  if (storedName) *storedName = row->name;
  return row->start;
}

namespace {

// Offset of the first line of the text whose trimmed text begins with "~"
// (lines end at CR or CR LF), or npos. A tilde later in a line, as in a
// comment "# see ~Other", does not start a section.
std::size_t firstTitleLine(std::string_view text) {
  std::size_t lineStart = 0;
  while (lineStart < text.size()) {
    std::size_t first = text.find_first_not_of(' ', lineStart);
    if (first != std::string_view::npos && text[first] == '~') return lineStart;
    std::size_t cr = text.find('\r', lineStart);
    if (cr == std::string_view::npos) break;
    lineStart = cr + 1;
    if (lineStart < text.size() && text[lineStart] == '\n') ++lineStart;
  }
  return std::string_view::npos;
}

}  // namespace

std::string readSectionText(const SectionDirectory& directory, std::string_view sectionName, bool* cut) {
  if (cut) *cut = false;
  const auto& rows = directory.rows();
  const SectionRow* row = directory.find(sectionName);
  if (!row) return "";
  const auto i = static_cast<std::size_t>(row - rows.data());
  try {
    LineSource src(directory.fileName());
    std::int64_t s = rows[i].start;
    bool last = i + 1 == rows.size();
    std::int64_t e = last ? src.fileSize() : rows[i + 1].start;
    if (s >= e) return "";
    const bool beyond = e - s > kMaxSectionText;
    std::string chunk = src.readAt(s, static_cast<std::size_t>(beyond ? kMaxSectionText : e - s));
    // The section ends before the line feed ahead of the next title line.
    std::size_t title = firstTitleLine(chunk);
    if (title != std::string::npos) {
      chunk.resize(title >= 1 && chunk[title - 1] == '\n' ? title - 1 : title);
      return chunk;
    }
    if (beyond) {
      std::size_t lastCr = chunk.rfind('\r');
      chunk.resize(lastCr == std::string::npos ? 0 : lastCr + 1);
      if (cut) *cut = true;
    }
    return chunk;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return "";
  }
}

}  // namespace korrivan::las
