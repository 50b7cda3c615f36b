#include "tools/header_line_editor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/file_names.h"
#include "base/run_error.h"
#include "certify/run_hooks.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "las/section_directory.h"
#include "base/text_utils.h"

namespace korrivan::tools {

using base::FileOp;
using base::RunError;

ssize_t WriteLayer::writeAt(int fd, const char* data, std::size_t size, off_t offset) {
  return ::pwrite(fd, data, size, offset);
}
int WriteLayer::sync(int fd) { return ::fsync(fd); }
int WriteLayer::replace(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()); }

WriteLayer& systemWriteLayer() {
  static WriteLayer layer;
  return layer;
}

namespace {

constexpr int kMaxLine = 254;
constexpr std::size_t kMinEditableLine = 20;

// Closes a descriptor on every path out.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

void writeAll(WriteLayer& io, int fd, const std::string& data, off_t offset) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = io.writeAt(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw RunError::fromErrno(n < 0 ? errno : ENOSPC, FileOp::Write);
    done += static_cast<std::size_t>(n);
  }
}

struct Target {
  std::string line;
  std::int64_t start = 0;
};

struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  std::int64_t mtimeNs = 0;
  mode_t mode = 0;
  bool operator==(const FileIdentity& o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtimeNs == o.mtimeNs;
  }
};

FileIdentity identityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw RunError::fromErrno(errno, FileOp::Read);
  return {st.st_dev, st.st_ino, st.st_size,
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, st.st_mode};
}

// Writes the new line over the old one, after checking that the bytes there
// are still the old line.
void overwriteInPlace(const std::string& fileName, const Target& target, const std::string& newLine, WriteLayer& io) {
  Fd f;
  f.fd = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
  if (f.fd < 0) throw RunError::fromErrno(errno, FileOp::Write);
  std::string current(target.line.size(), '\0');
  ssize_t n = ::pread(f.fd, current.data(), current.size(), static_cast<off_t>(target.start));
  if (n != static_cast<ssize_t>(current.size()) || current != target.line) throw RunError(base::err::PathFileAccess);
  writeAll(io, f.fd, newLine, static_cast<off_t>(target.start));
  if (io.sync(f.fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
  int fd = f.fd;
  f.fd = -1;
  if (::close(fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
}

// Copies the file line by line to a temporary file beside it, with the new
// line in place of the target, and renames it over the original.
void rewriteWholeFile(const std::string& fileName, const Target& target, const std::string& newLine, WriteLayer& io) {
  const FileIdentity before = identityOf(fileName);
  std::string folder = base::folderOfPath(fileName);
  std::string pattern = (folder.empty() ? std::string(".") : folder) + "/.korrivan-rewrite-XXXXXX";
  Fd tmp;
  tmp.fd = ::mkstemp(pattern.data());
  if (tmp.fd < 0) throw RunError::fromErrno(errno, FileOp::Create);
  const std::string tmpName = pattern;
  try {
    ::fchmod(tmp.fd, before.mode & 07777);
    las::LineSource src(fileName);
    std::string out;
    off_t written = 0;
    std::string_view line;
    auto flush = [&] {
      writeAll(io, tmp.fd, out, written);
      written += static_cast<off_t>(out.size());
      out.clear();
    };
    while (src.next(line)) {
      if (src.truncated()) throw RunError(base::err::Overflow);  // a line too long to copy faithfully
      if (src.lineStart() == target.start)
        out += newLine;
      else
        out += line;
      out += "\r\n";
      if (out.size() >= (1u << 20)) flush();
    }
    flush();
    if (io.sync(tmp.fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
    int fd = tmp.fd;
    tmp.fd = -1;
    if (::close(fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
    // The original must still be the file that was read.
    if (!(identityOf(fileName) == before)) throw RunError(base::err::PathFileAccess);
    if (io.replace(tmpName, fileName) != 0) throw RunError::fromErrno(errno, FileOp::Write);
  } catch (...) {
    ::unlink(tmpName.c_str());
    throw;
  }
  // Make the rename itself durable.
  Fd dir;
  dir.fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir.fd >= 0) ::fsync(dir.fd);
}

}  // namespace

std::string formatHeaderLine(std::string_view mnemonic, std::string_view unit, std::string_view value,
                             std::string_view description, int dot, int colon, int valueColumn) {
  const std::string_view m = base::trimSpaces(mnemonic), u = base::trimSpaces(unit), v = base::trimSpaces(value),
                         d = base::trimSpaces(description);
  const int ml = static_cast<int>(m.size()), ul = static_cast<int>(u.size()), vl = static_cast<int>(v.size());
  for (bool changed = true; changed;) {
    changed = false;
    if (ml >= dot) {
      dot = ml + 1;
      changed = true;
    } else if (valueColumn - dot - 2 < ul) {
      valueColumn = dot + ul + 2;
      changed = true;
    } else if (colon - valueColumn - 1 < vl) {
      colon = valueColumn + vl + 2;
      changed = true;
    }
  }
  std::string line(kMaxLine, ' ');
  auto place = [&](int column, std::string_view text) {
    if (column < 1 || column > kMaxLine) return;
    std::size_t at = static_cast<std::size_t>(column - 1);
    std::size_t room = static_cast<std::size_t>(kMaxLine) - at;
    line.replace(at, std::min(room, text.size()), text.substr(0, room));
  };
  place(dot - ml >= 2 ? 2 : dot - ml, m);
  place(dot + 1, u);
  place(valueColumn, v);
  place(dot, ".");
  place(colon, ":");
  place(colon + 1, d);
  return std::string(base::trimTrailingSpaces(line));
}

EditResult editHeaderLine(const EditRequest& request, las::SectionDirectory& directory, certify::RunHooks& hooks,
                          WriteLayer& io) {
  if (!base::fileExists(request.fileName)) return EditResult::Refused;
  const std::string section = base::toUpper(request.sectionName);
  const std::string mnemonic = base::toUpper(request.mnemonic);
  if (section == "A" || base::trimSpaces(mnemonic).empty()) return EditResult::NotEdited;

  las::LineSource src(request.fileName);
  if (!section.empty()) {
    auto start = directory.sectionStart(section);
    if (!start) return EditResult::NotEdited;
    src.seek(*start);
  }
  const std::int64_t size = src.fileSize();
  Target target;
  std::string_view line;
  bool found = false;
  while (src.next(line)) {
    if (src.position() >= size) return EditResult::NotEdited;
    if (section.empty() ? base::icontains(line, "~A") : line.find('~') != std::string_view::npos)
      return EditResult::NotEdited;
    if (las::classifyLine(line) != las::LineKind::ParameterLine) continue;
    if (!base::iequals(base::trimSpaces(base::before(line, '.')), mnemonic)) continue;
    target.line = std::string(line);
    target.start = src.lineStart();
    found = true;
    break;
  }
  src.close();
  if (!found) return EditResult::NotEdited;

  if (target.line.size() < kMinEditableLine) {
    if (hooks.interactive()) {
      const std::string& l = target.line;
      hooks.messageBox(certify::MessageIcon::Critical, "Header Line Too Short to edit",
                       "This header line " + l + "\r\n\r\n" + l + "\r\n\r\n" +
                           "is too short for reliable editing. Increase the Format positions for the Dot, Value and "
                           "Colon on the properties tab (try 6, 15 and 50) and try again. ",
                       certify::MessageButtons::Ok, certify::MessageAnswer::Ok);
    }
    return EditResult::Refused;
  }

  const std::string& old = target.line;
  std::string parts[4] = {las::getMnemonic(old), las::getUnit(old), las::getValue(old), las::getDescription(old)};
  switch (base::toUpperAscii(request.field)) {
    case 'M': parts[0] = request.newText; break;
    case 'U': parts[1] = request.newText; break;
    case 'V': parts[2] = request.newText; break;
    case 'D': parts[3] = request.newText; break;
    default: break;
  }
  const int dot = static_cast<int>(las::firstPos(old, '.'));
  const int colon = static_cast<int>(las::firstPos(old, ':'));
  const std::string oldValue = las::getValue(old);
  std::size_t valueAt = oldValue.empty() ? std::string::npos : base::ifind(old, oldValue);
  int valueColumn =
      valueAt == std::string::npos ? ((section == "P" || section == "W") ? 16 : 17) : static_cast<int>(valueAt) + 1;
  std::string newLine = formatHeaderLine(parts[0], parts[1], parts[2], parts[3], dot, colon, valueColumn);
  if (newLine.size() < old.size()) newLine.append(old.size() - newLine.size(), ' ');

  if (newLine.size() <= old.size())
    overwriteInPlace(request.fileName, target, newLine, io);
  else
    rewriteWholeFile(request.fileName, target, newLine, io);
  return EditResult::Rewritten;
}

}  // namespace korrivan::tools
