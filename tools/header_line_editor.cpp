#include "tools/header_line_editor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "certify/file_names.h"
#include "certify/run_error.h"
#include "certify/run_hooks.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "las/section_directory.h"
#include "las/text_utils.h"

namespace korrivan::tools {

using certify::FileOp;
using certify::RunError;

namespace {

constexpr int kMaxLine = 254;
constexpr std::size_t kMinEditableLine = 20;
constexpr std::size_t kCopyBlock = 1 << 20;

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

// The bytes at the target's place must still be the line that was read.
void expectTargetLine(int fd, const Target& target) {
  std::string current(target.line.size(), '\0');
  ssize_t n = ::pread(fd, current.data(), current.size(), static_cast<off_t>(target.start));
  if (n != static_cast<ssize_t>(current.size()) || current != target.line) throw RunError(certify::err::PathFileAccess);
}

// Writes the new line over the old one, after checking that the bytes there
// are still the old line.
void overwriteInPlace(const std::string& fileName, const Target& target, const std::string& newLine, WriteLayer& io) {
  Fd f;
  f.fd = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
  if (f.fd < 0) throw RunError::fromErrno(errno, FileOp::Write);
  expectTargetLine(f.fd, target);
  writeAll(io, f.fd, newLine, static_cast<off_t>(target.start));
  if (io.sync(f.fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
  int fd = f.fd;
  f.fd = -1;
  if (::close(fd) != 0) throw RunError::fromErrno(errno, FileOp::Write);
}

// Copies the bytes [from, to) of the file into the replacement.
void copyBytes(int fd, std::int64_t from, std::int64_t to, certify::FileReplacement& out) {
  std::string block;
  while (from < to) {
    block.resize(static_cast<std::size_t>(std::min<std::int64_t>(to - from, kCopyBlock)));
    ssize_t n = ::pread(fd, block.data(), block.size(), static_cast<off_t>(from));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RunError::fromErrno(errno, FileOp::Read);
    if (n == 0) throw RunError(certify::err::InputPastEnd);  // the file shrank under us
    block.resize(static_cast<std::size_t>(n));
    out.write(block);
    from += n;
  }
}

// Copies the file byte for byte to a temporary file beside it, with the new
// line in place of the target's text, and renames it over the original.
void rewriteWholeFile(const std::string& fileName, const Target& target, const std::string& newLine, WriteLayer& io) {
  certify::FileReplacement replacement(fileName, certify::IdentityPolicy::Required, io);
  Fd src;
  src.fd = ::open(replacement.target().c_str(), O_RDONLY | O_CLOEXEC);
  if (src.fd < 0) throw RunError::fromErrno(errno, FileOp::Read);
  struct stat st {};
  if (::fstat(src.fd, &st) != 0) throw RunError::fromErrno(errno, FileOp::Read);
  const auto& original = replacement.original();
  if (!original || st.st_dev != original->st_dev || st.st_ino != original->st_ino)
    throw RunError(certify::err::PathFileAccess);
  expectTargetLine(src.fd, target);
  copyBytes(src.fd, 0, target.start, replacement);
  replacement.write(newLine);
  copyBytes(src.fd, target.start + static_cast<std::int64_t>(target.line.size()), original->st_size, replacement);
  // The original must still be the file that was read.
  replacement.commit(true);
}

}  // namespace

std::string replaceValueField(std::string_view line, std::string_view newValue, int emptyValueColumn) {
  const std::int64_t dot = las::firstPos(line, '.');
  const std::int64_t colon = las::findDescriptionColon(line);
  if (dot == 0 || colon <= dot) return "";
  // 0-based: the value lies in [from, end), end being the colon.
  const auto end = static_cast<std::size_t>(colon - 1);
  auto from = static_cast<std::size_t>(dot);
  if (from < end && line[from] != ' ') {  // a unit stands right after the dot; one blank follows it
    std::size_t blank = line.find(' ', from);
    from = blank < end ? blank + 1 : end + 1;
  } else {
    from += 1;  // a value right after the dot would read as a unit
  }
  std::size_t start = line.find_first_not_of(' ', std::min(from, end));
  if (start >= end) start = std::max(from, static_cast<std::size_t>(std::max(emptyValueColumn, 1) - 1));
  std::string out(line.substr(0, std::min(start, end)));
  out.append(start > end ? start - end : 0, ' ');
  out += newValue;
  const std::size_t room = start < end ? end - start : 0;
  out.append(room > newValue.size() ? room - newValue.size() : 2, ' ');
  out += line.substr(end);
  return out;
}

std::string formatHeaderLine(std::string_view mnemonic, std::string_view unit, std::string_view value,
                             std::string_view description, int dot, int colon, int valueColumn) {
  const std::string_view m = las::trimSpaces(mnemonic), u = las::trimSpaces(unit), v = las::trimSpaces(value),
                         d = las::trimSpaces(description);
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
  return std::string(las::trimTrailingSpaces(line));
}

namespace {

// The line rebuilt from its four parts with one of them replaced, in the
// columns of the old line (letters other than M, U, V and D replace nothing).
std::string rebuiltLine(const std::string& old, const EditRequest& request, int emptyValueColumn) {
  std::string parts[4] = {las::getMnemonic(old), las::getUnit(old), las::getValue(old), las::getDescription(old)};
  switch (las::toUpperAscii(request.field)) {
    case 'M': parts[0] = request.newText; break;
    case 'U': parts[1] = request.newText; break;
    case 'V': parts[2] = request.newText; break;
    case 'D': parts[3] = request.newText; break;
    default: break;
  }
  const int dot = static_cast<int>(las::firstPos(old, '.'));
  const int colon = static_cast<int>(las::firstPos(old, ':'));
  const std::string oldValue = las::getValue(old);
  std::size_t valueAt = oldValue.empty() ? std::string::npos : las::ifind(old, oldValue);
  int valueColumn = valueAt == std::string::npos ? emptyValueColumn : static_cast<int>(valueAt) + 1;
  return formatHeaderLine(parts[0], parts[1], parts[2], parts[3], dot, colon, valueColumn);
}

}  // namespace

EditResult editHeaderLine(const EditRequest& request, las::SectionDirectory& directory, certify::RunHooks& hooks,
                          WriteLayer& io) {
  if (!certify::fileExists(request.fileName)) return EditResult::Refused;
  const std::string section = las::toUpper(request.sectionName);
  const std::string mnemonic = las::toUpper(request.mnemonic);
  if (section == "A" || las::trimSpaces(mnemonic).empty()) return EditResult::NotEdited;

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
    if (section.empty() ? las::icontains(line, "~A") : line.find('~') != std::string_view::npos)
      return EditResult::NotEdited;
    if (las::classifyLine(line) != las::LineKind::ParameterLine) continue;
    if (!las::iequals(las::trimSpaces(las::before(line, '.')), mnemonic)) continue;
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
  const int emptyValueColumn = (section == "P" || section == "W") ? 16 : 17;
  std::string newLine = las::toUpperAscii(request.field) == 'V'
                            ? replaceValueField(old, request.newText, emptyValueColumn)
                            : std::string();
  if (newLine.empty()) newLine = rebuiltLine(old, request, emptyValueColumn);
  if (newLine.size() < old.size()) newLine.append(old.size() - newLine.size(), ' ');

  if (newLine.size() <= old.size())
    overwriteInPlace(request.fileName, target, newLine, io);
  else
    rewriteWholeFile(request.fileName, target, newLine, io);
  return EditResult::Rewritten;
}

}  // namespace korrivan::tools
