#include "certify/prechecks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>

#include "base/file_names.h"
#include "base/text_utils.h"
#include "las/line_parser.h"
#include "las/line_source.h"

namespace korrivan::certify {

using namespace korrivan::base;

namespace {

constexpr std::size_t kBlock = 4096;

// Slot 3 from the pending run-time error (number 0 and no text when none).
std::string classifyAccessError(const PendingError& e) {
  switch (e.number) {
    case 53:
    case 54:
    case 55:
    case 57:
    case 68:
    case 70:
    case 71:
    case 75:
    case 76: return "File Accessibility Error : " + e.text + " " + std::to_string(e.number);
    default: return "Unexpected Error : " + e.text + " " + std::to_string(e.number);
  }
}

PendingError errnoError(int e, FileOp op) {
  int n = errorNumberFromErrno(e, op);
  return {n, errorText(n)};
}

// Opens the file for appending and closes it again: this fails for a file
// that cannot be written or that another program holds locked.
std::optional<PendingError> tryOpenForAppend(const std::string& name) {
  int fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errnoError(errno, FileOp::Create);
  std::optional<PendingError> failure;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
    failure = PendingError{err::PermissionDenied, errorText(err::PermissionDenied)};
  ::close(fd);
  return failure;
}

// The first-occurrence test: the first `sep` in `block` is clean unless a CR
// stands right before it or a LF right after it.
bool firstOccurrenceClean(std::string_view block, std::string_view sep) {
  std::size_t at = block.find(sep);
  if (at == std::string_view::npos) return true;
  bool crBefore = at > 0 && block[at - 1] == '\r';
  std::size_t after = at + sep.size();
  bool lfAfter = after < block.size() && block[after] == '\n';
  return !crBefore && !lfAfter;
}

}  // namespace

TerminationScan scanTermination(const std::string& fileName) {
  TerminationScan scan;
  std::string head, tail;
  try {
    las::LineSource src(fileName);
    std::int64_t size = src.fileSize();
    head = src.readAt(0, kBlock);
    tail =
        size >= static_cast<std::int64_t>(kBlock) ? src.readAt(size - static_cast<std::int64_t>(kBlock), kBlock) : head;
  } catch (const RunError& e) {
    scan.error = {e.number(), e.text()};
    scan.message = e.text() + " #" + std::to_string(e.number());
    scan.result = e.number() == err::FileAlreadyOpen ? TerminationResult::Flagged : TerminationResult::Unclean;
    return scan;
  }
  if (head.find('\0') != std::string::npos) {
    scan.slot5 = " ";
    scan.result = TerminationResult::Flagged;
    return scan;
  }
  const bool lfClean = firstOccurrenceClean(tail, "\n");
  const std::string_view unix = "Unix Line Feed (ASCII 10) terminated ";
  if (head.find("\r\n") != std::string::npos) {
    const bool tailClean = firstOccurrenceClean(tail, "\r\n");
    const bool headClean = firstOccurrenceClean(head, "\r\n");
    if (tailClean && headClean) {
      scan.result = TerminationResult::CrLf;
    } else if (tailClean && lfClean) {
      scan.slot4 = unix;
      scan.result = TerminationResult::Flagged;
    } else {
      scan.result = TerminationResult::Unclean;
    }
    return scan;
  }
  if (lfClean) {
    scan.slot4 = unix;
    scan.result = TerminationResult::Flagged;
  }
  return scan;
}

PreCheckResult preCheckFile(const std::string& fileName, PreCheckSlots& slots) {
  auto failed = [&] {
    for (const std::string& s : slots)
      if (!s.empty()) return true;
    return false;
  };
  if (fileExists(fileName)) {
    slots[0] = "";
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && st.st_size < 1) {
      slots[1] = "File exists but has zero bytes";
    } else if (auto err = tryOpenForAppend(fileName)) {
      slots[2] = classifyAccessError(*err);
      return PreCheckResult::AnyFailed;
    } else {
      slots[1] = "";
    }
  } else {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0) {
      bool hiddenOrSpecial = nameOfPath(fileName).starts_with('.') || !S_ISREG(st.st_mode);
      if (hiddenOrSpecial) {
        slots[2] = "File exists, but has Hidden Attribute";
      } else {
        slots[2] = "";
        slots[0] = "File does not exist or is not accessible";
      }
    } else {
      // A name that cannot be looked up at all: say so in "File exists" as
      // well as in the access check, so the report never passes a missing file.
      slots[0] = "File does not exist or is not accessible";
      slots[2] = classifyAccessError(errnoError(errno, FileOp::Read));
    }
  }
  if (!slots[1].empty() || !slots[0].empty() || !slots[2].empty()) return PreCheckResult::AnyFailed;

  slots[3] = "";
  slots[4] = "";
  TerminationScan scan = scanTermination(fileName);
  slots[3] = scan.slot4;
  slots[4] = scan.slot5;
  if (scan.result != TerminationResult::CrLf) {
    // A file found LF terminated was read without trouble: its access check
    // stays passed unless a run-time error is pending.
    const bool lineEndsOnly =
        scan.result == TerminationResult::Flagged && !scan.slot4.empty() && scan.error.number == 0;
    if (!lineEndsOnly) slots[2] = classifyAccessError(scan.error);
    return PreCheckResult::AnyFailed;
  }

  slots[5] = "";
  if (fileName.size() < 5)
    slots[5] = "File name is illegal and/or extension is not .LAS";
  else if (!base::iendsWith(fileName, ".las"))
    slots[5] = "File extension is not .LAS ";
  return failed() ? PreCheckResult::AnyFailed : PreCheckResult::AllPassed;
}

namespace {

// Text in 16-bit units without a byte-order mark: nearly every other byte
// is NUL (the high byte of each ASCII character) and the bytes between are not.
bool looksLikeUtf16(std::string_view head) {
  const std::size_t pairs = std::min<std::size_t>(head.size(), 512) / 2;
  if (pairs < 4) return false;
  std::size_t nulFirst = 0, nulSecond = 0;
  for (std::size_t i = 0; i < pairs; ++i) {
    nulFirst += head[2 * i] == '\0';
    nulSecond += head[2 * i + 1] == '\0';
  }
  const auto most = [&](std::size_t n) { return n * 10 >= pairs * 9; };
  const auto few = [&](std::size_t n) { return n * 10 <= pairs; };
  return (most(nulSecond) && few(nulFirst)) || (most(nulFirst) && few(nulSecond));
}

}  // namespace

std::string notLasReason(const std::string& fileName) {
  std::string head;
  try {
    las::LineSource src(fileName);
    head = src.readAt(0, kBlock);
  } catch (const RunError&) {
    return "";
  }
  const std::string_view h = head;
  if (h.starts_with("LASF")) return "LiDAR point cloud, not a well log";
  if (h.starts_with(std::string_view("\xFF\xFE\0\0", 4)) || h.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
    return "UTF-32 text";
  if (h.starts_with("\xFF\xFE") || h.starts_with("\xFE\xFF") || looksLikeUtf16(h)) return "UTF-16 text";
  if (h.starts_with("\xEF\xBB\xBF")) return "UTF-8 byte-order mark before the first section";
  return "";
}

float detectVersion(const std::string& fileName) {
  if (!fileExists(fileName)) return 0;
  try {
    las::LineSource src(fileName);
    std::string_view line;
    while (src.next(line)) {
      if (base::icontains(line, "~A") || base::icontains(line, "~Log_Data")) return 0;
      if (base::istartsWith(base::trimLeadingSpaces(line), "VERS") &&
          las::classifyLine(line) == las::LineKind::ParameterLine)
        return static_cast<float>(base::leadingNumber(las::getValue(line)));
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
  }
  return 0;
}

}  // namespace korrivan::certify
