#include "las/data_facts.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/run_error.h"
#include "base/text_utils.h"
#include "las/data_reader.h"
#include "las/line_source.h"
#include "las/section_directory.h"

namespace korrivan::las {

namespace {

// The processors this process may run on.
int usableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
  return static_cast<int>(std::thread::hardware_concurrency());
}

}  // namespace

int ScanSettings::threadsFor(std::int64_t sectionBytes) const {
  if (sectionBytes <= parallelFrom) return 1;
  const int wanted = threads > 0 ? threads : usableProcessors();
  return std::clamp(wanted, 1, kMaxThreads);
}

const RecordFacts* SectionFacts::recordsOf(int linesPerRecord) const {
  for (const RecordFacts& r : records)
    if (r.linesPerRecord == linesPerRecord) return &r;
  return nullptr;
}

std::int64_t SectionFacts::offsetOfLine(LineSource& source, std::int64_t index) const {
  std::pair<std::int64_t, std::int64_t> from{start, 0};
  for (const auto& c : checkpoints)
    if (c.second <= index) from = c;
  source.seek(from.first);
  std::string_view line;
  for (std::int64_t i = from.second; i < index; ++i)
    if (!source.next(line)) break;
  return source.position();
}

const SectionFacts* DataFacts::section(std::int64_t start) const {
  // The sections are gathered in file order: a binary search finds them.
  const auto at = std::lower_bound(sections.begin(), sections.end(), start,
                                   [](const SectionFacts& s, std::int64_t v) { return s.start < v; });
  if (at != sections.end() && at->start == start) return &*at;
  for (const SectionFacts& s : sections)
    if (s.start == start) return &s;
  return nullptr;
}

// ---- index values --------------------------------------------------------------

namespace {

double roundedTo5(double v) { return std::round(v * 1e5) / 1e5; }

// Up to 15 digits: the exact integer of the digits divided by an exact power
// of ten, as base::leadingNumber reads such a number.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr std::int64_t kIntegerPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

inline double indexFromMantissa(std::int64_t mantissa, int digits, int decimals, bool negative) {
  double v = static_cast<double>(mantissa) / kPowersOfTen[decimals];
  v = negative ? -v : v;
  // With at most 5 decimals and the digits scaled to 5 decimals still below
  // 10^15, rounding to 5 decimals gives the same double.
  if (decimals <= 5 && digits + (5 - decimals) <= 15) return v;
  return roundedTo5(v);
}

// The index value the way the STEP scan reads it: the leading number of the
// text before the delimiter, rounded to 5 decimals.
double exactIndexValue(std::string_view t, char delimiter) {
  const char* p = t.data();
  const char* const e = p + t.size();
  bool negative = false;
  if (p < e && (*p == '-' || *p == '+')) negative = *p++ == '-';
  std::int64_t mantissa = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; p < e; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      if (++digits > 15) break;
      mantissa = mantissa * 10 + (c - '0');
      decimals += point ? 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  const bool exponentMayFollow = p < e && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D');
  if (digits > 0 && digits <= 15 && !exponentMayFollow) return indexFromMantissa(mantissa, digits, decimals, negative);
  const std::size_t at = t.find(delimiter);
  return roundedTo5(base::leadingNumber(at == std::string_view::npos ? t : t.substr(0, at)));
}

// Eight characters as a little-endian word: the first one in the lowest byte.
inline std::uint64_t load8(const char* p) {
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  return x;
}

// The number of leading decimal digits of the eight characters (0..8).
inline int leadingDigits(std::uint64_t x) {
  const std::uint64_t low7 = x & 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t above9 = low7 + 0x4646464646464646ull;  // bit 7 set for bytes above '9'
  const std::uint64_t from0 = low7 + 0x5050505050505050ull;   // bit 7 set for bytes from '0'
  const std::uint64_t other = (above9 | ~from0 | x) & 0x8080808080808080ull;
  return other == 0 ? 8 : __builtin_ctzll(other) / 8;
}

// The value of the first n (1..8) characters, all digits.
inline std::uint64_t digitsValue(std::uint64_t x, int n) {
  const int shift = 8 * (8 - n);
  // Right-aligned among eight digits, '0's in front: "1000" as "00001000".
  std::uint64_t v = shift == 0 ? x : (x << shift) | (0x3030303030303030ull & ((1ull << shift) - 1));
  v -= 0x3030303030303030ull;
  v = v * 10 + (v >> 8);
  v = ((v & 0x000000FF000000FFull) * 0x000F424000000064ull +
       ((v >> 16) & 0x000000FF000000FFull) * 0x0000271000000001ull) >>
      32;
  return v & 0xFFFFFFFFull;
}

// Reads a plain decimal at p (a sign, up to 7 digits, a point, up to 7
// digits, then no exponent) into `out`; false for anything else. Reads at
// most 18 bytes from p: a character that is no digit must end the number
// within them, or they must be readable.
inline bool plainIndexValue(const char* p, double& out) {
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  const std::uint64_t whole = load8(p);
  const int wholeDigits = leadingDigits(whole);
  const char* after = p + wholeDigits;
  int decimals = 0;
  std::uint64_t fraction = 0;
  if (wholeDigits < 8 && *after == '.') {
    fraction = load8(after + 1);
    decimals = leadingDigits(fraction);
    after += 1 + decimals;
  }
  const bool exponentMayFollow = *after == 'e' || *after == 'E' || *after == 'd' || *after == 'D';
  if (wholeDigits == 8 || decimals == 8 || wholeDigits + decimals == 0 || exponentMayFollow) return false;
  std::int64_t mantissa = wholeDigits > 0 ? static_cast<std::int64_t>(digitsValue(whole, wholeDigits)) : 0;
  if (decimals > 0)
    mantissa = mantissa * kIntegerPowersOfTen[decimals] + static_cast<std::int64_t>(digitsValue(fraction, decimals));
  out = indexFromMantissa(mantissa, wholeDigits + decimals, decimals, negative);
  return true;
}

}  // namespace

double depthIndexValue(std::string_view t, char delimiter) {
  // Nearly every index is a plain decimal of a few digits, read eight digits
  // at a time; the number ends before the delimiter, which is never part of
  // a number. A short text is read from a copy padded with blanks.
  double value = 0;
  if (t.size() >= 24) {
    if (plainIndexValue(t.data(), value)) return value;
  } else {
    char padded[32];
    std::memset(padded, ' ', sizeof padded);
    std::memcpy(padded, t.data(), t.size());
    if (plainIndexValue(padded, value)) return value;
  }
  return exactIndexValue(t, delimiter);
}

// ---- one line --------------------------------------------------------------------

namespace {

enum class LineClass : std::uint8_t { Blank, Comment, Title, Data };

// What the pass takes from one line.
struct LineTraits {
  std::string_view text;    // as LineSource hands it
  std::int64_t length = 0;  // its full length
  LineClass kind = LineClass::Data;
  bool tab = false, quote = false, tilde = false;
  bool hasDelimiter = false;
  std::int64_t fields = 0;    // runs of non-blank characters
  std::int64_t columns = 0;   // countDataFields of the trimmed text (data lines)
  std::size_t trimmedAt = 0;  // offset of the first non-blank character
};

// The traits of a line, read character by character: for the lines the
// mask loop does not decide, and for lines longer than its buffer.
LineTraits analyzeLine(std::string_view text, std::int64_t length, char delimiter) {
  LineTraits t;
  t.text = text;
  t.length = length;
  const std::string_view trimmed = base::trimSpaces(text);
  if (trimmed.empty())
    t.kind = LineClass::Blank;
  else if (trimmed.front() == '#')
    t.kind = LineClass::Comment;
  else if (trimmed.front() == '~')
    t.kind = LineClass::Title;
  t.tab = text.find('\t') != std::string_view::npos;
  t.quote = text.find('"') != std::string_view::npos;
  t.tilde = text.find('~') != std::string_view::npos;
  t.hasDelimiter = text.find(delimiter) != std::string_view::npos;
  bool inField = false;
  for (const char c : text) {
    if (c != ' ' && !inField) ++t.fields;
    inField = c != ' ';
  }
  if (t.kind == LineClass::Data) t.columns = static_cast<std::int64_t>(countDataFields(trimmed, delimiter));
  t.trimmedAt = trimmed.empty() ? text.size() : static_cast<std::size_t>(trimmed.data() - text.data());
  return t;
}

// ---- the mask loop ------------------------------------------------------------------

struct MaskSetup {
  char delimiter = ' ';
  bool tabIsSpecial = true;     // tabs are looked at closely unless they delimit
  bool countDelimiter = false;  // the delimiter is not the blank
};

// One bit per byte of a 64-byte block.
struct BlockMasks {
  std::uint64_t space = 0, cr = 0, lf = 0;
  std::uint64_t special = 0;  // quote, tilde, LF, and tab unless it is the delimiter
  std::uint64_t delimiter = 0;
};

// Inlined into the loop of each instruction set, so that there they use its
// own bit-count instruction.
#define KORRIVAN_INLINE [[gnu::always_inline]] inline

KORRIVAN_INLINE std::uint64_t lowBits(std::size_t n) { return n >= 64 ? ~0ull : (1ull << n) - 1; }
KORRIVAN_INLINE std::size_t countTrailingZeros(std::uint64_t v) { return static_cast<std::size_t>(__builtin_ctzll(v)); }
KORRIVAN_INLINE std::int64_t countBits(std::uint64_t v) { return __builtin_popcountll(v); }

KORRIVAN_INLINE std::size_t lastBit(std::uint64_t v) { return 63 - static_cast<std::size_t>(__builtin_clzll(v)); }

// A line of the buffer, d[from, to), as the mask loop sees it.
struct BlockLine {
  std::size_t from = 0, to = 0;
  std::int64_t fields = 0;      // runs of non-blank characters
  std::int64_t delimiters = 0;  // when the delimiter is not the blank
  bool special = false;         // holds a character analyzeLine() must look at
  bool space = false;           // holds a blank
  bool endsAtCr = true;         // false: the last line of the file, without a line end
};

// Offset of the line's first non-blank character, or `to` for a blank line.
KORRIVAN_INLINE std::size_t firstNonBlank(const char* d, const BlockLine& line) {
  std::size_t at = line.from;
  while (at < line.to && d[at] == ' ') ++at;
  return at;
}

// The traits of a line without special characters, from the mask loop.
LineTraits traitsOf(const char* d, const BlockLine& line, const MaskSetup& setup) {
  const std::string_view text(d + line.from, line.to - line.from);
  if (line.special) return analyzeLine(text, static_cast<std::int64_t>(text.size()), setup.delimiter);
  LineTraits t;
  t.text = text;
  t.length = static_cast<std::int64_t>(text.size());
  t.fields = line.fields;
  t.trimmedAt = firstNonBlank(d, line) - line.from;
  if (t.trimmedAt == text.size())
    t.kind = LineClass::Blank;
  else
    t.kind = text[t.trimmedAt] == '#' ? LineClass::Comment : LineClass::Data;
  if (setup.countDelimiter) {
    t.hasDelimiter = line.delimiters > 0;
    t.tab = setup.delimiter == '\t' && line.delimiters > 0;
    t.columns = 1 + line.delimiters;
  } else {
    t.hasDelimiter = line.space;
    t.columns = line.fields;
  }
  if (t.kind != LineClass::Data) t.columns = 0;
  return t;
}

// ---- the facts of one part ------------------------------------------------------------

// A line of a part: its offset and its index among the part's lines.
struct LocalLine {
  std::int64_t offset = -1;
  std::int64_t index = 0;
  bool found() const { return offset >= 0; }
};

// The depth lines of one phase: when a part begins, which of its data lines
// are depth lines is not known yet, so it follows every phase (data line
// index modulo lines per depth) as if it were the one.
struct StepPhase {
  std::int64_t count = 0;
  double first = 0, second = 0, previous = 0;
  LocalLine firstAt, secondAt, lastAt;
  float firstIncrement = 0, lastIncrement = 0;
  bool changed = false;
  LocalLine changeAt;
  double changeIndex = 0;
  float changeIncrement = 0;

  void add(double index, LocalLine at) {
    if (changed) return;  // the scan ends at the change
    if (count == 0) {
      first = index;
      firstAt = at;
    } else {
      const float increment = static_cast<float>(index - previous);
      if (count == 1) {
        firstIncrement = increment;
        second = index;
        secondAt = at;
      } else if (increment != firstIncrement) {
        changed = true;
        changeAt = at;
        changeIndex = index;
        changeIncrement = increment;
      }
      lastIncrement = increment;
    }
    previous = index;
    lastAt = at;
    ++count;
  }
};

// Field counts of records of `size` lines: the sum over the last `size`
// lines is a record's count when the line ends a record; which lines do is
// known only when the parts are merged, so every phase is followed.
struct RecordPart {
  // `linesBefore`: the section's lines before the part when known (else
  // -1); then only the phase whose lines end records is followed, by a
  // running sum over each record.
  RecordPart(int linesPerRecord, std::int64_t linesBefore)
      : size(linesPerRecord),
        ring(static_cast<std::size_t>(linesPerRecord), 0),
        firstValue(ring.size(), 0),
        firstAt(ring.size(), -1),
        differentAt(ring.size(), -1),
        knownEnd(linesBefore < 0 ? -1 : (size - 1 - linesBefore % size) % size),
        untilEnd(knownEnd) {}

  void add(std::int64_t index, std::int64_t fields) {
    if (knownEnd >= 0 && size > 1) return addInPhase(index, fields);
    if (size == 1) {
      if (firstAt[0] < 0) {
        firstAt[0] = index;
        firstValue[0] = fields;
      } else if (differentAt[0] < 0 && fields != firstValue[0]) {
        differentAt[0] = index;
      }
      ring[0] = fields;
      return;
    }
    if (index < size - 1) head.push_back(fields);
    window += fields - ring[pos];
    ring[pos] = fields;
    const std::size_t phase = pos;
    pos = pos + 1 == ring.size() ? 0 : pos + 1;
    if (index < size - 1) return;
    if (firstAt[phase] < 0) {
      firstAt[phase] = index;
      firstValue[phase] = window;
    } else if (differentAt[phase] < 0 && window != firstValue[phase]) {
      differentAt[phase] = index;
    }
  }

  // A line of a part that knows which of its lines end records.
  void addInPhase(std::int64_t index, std::int64_t fields) {
    if (index < size - 1) head.push_back(fields);
    ring[pos] = fields;
    pos = pos + 1 == ring.size() ? 0 : pos + 1;
    record += fields;
    if (untilEnd-- > 0) return;
    untilEnd = size - 1;
    const std::int64_t sum = record;
    record = 0;
    if (index < size - 1) return;  // the record began in the part before
    const auto phase = static_cast<std::size_t>(knownEnd);
    if (firstAt[phase] < 0) {
      firstAt[phase] = index;
      firstValue[phase] = sum;
    } else if (differentAt[phase] < 0 && sum != firstValue[phase]) {
      differentAt[phase] = index;
    }
  }

  // The counts of the last min(lines, size) lines, oldest first.
  std::vector<std::int64_t> tail(std::int64_t lines) const {
    std::vector<std::int64_t> out;
    const std::int64_t n = std::min<std::int64_t>(lines, size);
    for (std::int64_t k = n; k > 0; --k) {
      const std::int64_t at = (static_cast<std::int64_t>(pos) - k + size) % size;
      out.push_back(ring[static_cast<std::size_t>(at)]);
    }
    return out;
  }

  int size;
  std::vector<std::int64_t> ring;
  std::size_t pos = 0;
  std::int64_t window = 0;
  std::vector<std::int64_t> firstValue, firstAt, differentAt;  // by phase (line index modulo size)
  std::vector<std::int64_t> head;                              // counts of the first size - 1 lines
  std::int64_t knownEnd;    // the phase of the lines that end records, when known (else -1)
  std::int64_t untilEnd;    // lines to read before the next record ends
  std::int64_t record = 0;  // the fields of the record read so far
};

struct PartFacts {
  std::int64_t begin = -1;  // offset of its first line; -1: it holds no line
  std::int64_t lines = 0;
  // Line starts met between two buffers, with their local index: places to
  // read on from without walking the part from its beginning.
  std::vector<std::pair<std::int64_t, std::int64_t>> checkpoints;
  bool endedAtTitle = false;
  LocalLine title;

  std::vector<NotableLine> notables;  // `number` holds the local index until the merge
  std::size_t notableBytes = 0;
  bool notablesFull = false;

  std::int64_t dataLines = 0;
  LocalLine firstData;
  bool firstDataHasDelimiter = false;
  LocalLine lastWithoutDelimiter, lastWithDelimiter;
  LocalLine firstBlankOrComment, firstGapAfterData;
  std::int64_t firstColumns = 0;
  LocalLine columnsDiffer;
  std::int64_t differentColumns = 0;

  std::vector<StepPhase> step;  // by phase; empty: no STEP facts in this section
  std::vector<RecordPart> records;
  LocalLine firstQuote, firstTilde, firstLong[2];
};

class PartScanner;
using ScanBuffer = std::size_t (*)(const char*, std::size_t, bool, PartScanner&);
// Reads a plain index at p (see plainIndexValue); false for anything else.
using IndexReader = bool (*)(const char*, double&);

// What every part of a section scan shares.
struct SectionJob {
  int fd = -1;
  std::string fileName;
  std::int64_t start = 0, startLine = 0;
  std::int64_t lastEnd = 0;  // lines beginning before this belong to the section's scan
  std::int64_t partBytes = 0, parts = 0;
  const DataScanPlan* plan = nullptr;
  bool step = false;
  ScanBuffer scanBuffer = nullptr;
  IndexReader readIndex = nullptr;
  std::mutex longLines;                   // one line longer than a buffer is read at a time
  std::atomic<bool> notablesFull{false};  // the merged notables need no more

  std::int64_t partBegin(std::int64_t p) const { return start + p * partBytes; }
  std::int64_t partEnd(std::int64_t p) const { return p + 1 == parts ? lastEnd : start + (p + 1) * partBytes; }
};

// Ends the scan of a part when the run is stopped.
struct PartStopped {};

// How a part's scan reports progress and learns that the run stops.
struct PartControl {
  const std::atomic<bool>* stop = nullptr;
  std::atomic<std::int64_t>* scanned = nullptr;
  const std::function<void()>* afterBuffer = nullptr;  // the calling thread's poll
  // The data lines of the section before the part, once every part before
  // it is merged (else -1).
  std::function<std::int64_t()> dataLinesBefore;
};

constexpr std::size_t kBufferBytes = 512u << 10;
constexpr std::size_t kBufferSlack = 64;  // the mask loop reads whole 64-byte blocks
constexpr std::size_t kFirstRead = std::min<std::size_t>(kBufferBytes, 8u << 10);

std::size_t readFully(int fd, char* into, std::size_t count, std::int64_t offset) {
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n = ::pread(fd, into + got, count - got, offset + static_cast<std::int64_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw base::RunError::fromErrno(errno, base::FileOp::Read);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

// The first line start at or after `from` and before `before`, or -1: the
// position after a CR, or after the LF that follows it.
std::int64_t firstLineStart(int fd, std::vector<char>& buffer, std::int64_t from, std::int64_t before) {
  std::int64_t at = std::max<std::int64_t>(from - 2, 0);
  while (at < before) {
    // The byte after the searched ones tells whether a LF follows a CR.
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(before - at, kBufferBytes)) + 1;
    const std::size_t n = readFully(fd, buffer.data(), wanted, at);
    if (n == 0) return -1;
    const std::size_t searched = n == wanted ? n - 1 : n;
    for (std::size_t i = 0; i < searched; ++i) {
      if (buffer[i] != '\r') continue;
      std::int64_t s = at + static_cast<std::int64_t>(i) + 1;
      if (i + 1 < n && buffer[i + 1] == '\n') ++s;
      if (s >= before) return -1;
      if (s >= from) return s;
    }
    at += static_cast<std::int64_t>(searched);
  }
  return -1;
}

// Gathers the facts of one part from the lines the loop hands it.
class PartScanner final {
public:
  // `linesBefore`, `dataLinesBefore`: the lines and the data lines of the
  // section before the part, when known (-1 when not); then the part knows
  // which of its lines end records and which of its data lines are depth
  // lines.
  PartScanner(SectionJob& job, std::int64_t part, std::int64_t linesBefore, std::int64_t dataLinesBefore)
      : job_(job), plan_(*job.plan), end_(job.partEnd(part)) {
    setup_.delimiter = plan_.delimiter;
    setup_.tabIsSpecial = plan_.delimiter != '\t';
    setup_.countDelimiter = plan_.delimiter != ' ';
    if (!job.step) {
    } else if (dataLinesBefore >= 0) {
      f_.step.assign(1, StepPhase{});
      stepPhase_ = static_cast<std::size_t>(dataLinesBefore % plan_.stepLinesPerDepth);
    } else {
      f_.step.assign(static_cast<std::size_t>(plan_.stepLinesPerDepth), StepPhase{});
    }
    for (int size : plan_.recordSizes) f_.records.emplace_back(size, linesBefore);
  }

  // Scans the part's lines from `begin`, the start of its first line.
  void scan(std::int64_t begin, std::vector<char>& buffer, const PartControl& control);

  const MaskSetup& setup() const { return setup_; }

  // Takes a line of the buffer from what the mask loop found; false: the
  // scan ends before it.
  bool line(const char* d, const BlockLine& line) {
    const std::size_t length = line.to - line.from;
    if (length > LineSource::kMaxKeptLine) {
      // Longer than the line readers keep (a build with a small limit): cut alike.
      const std::string_view kept(d + line.from, LineSource::kMaxKeptLine);
      return take(analyzeLine(kept, static_cast<std::int64_t>(length), plan_.delimiter),
                  base_ + static_cast<std::int64_t>(line.from));
    }
    if (!line.special && line.endsAtCr) {
      const std::size_t first = firstNonBlank(d, line);
      if (first < line.to && d[first] != '#') return takeDataLine(d, line, first);
    }
    return take(traitsOf(d, line, setup_), base_ + static_cast<std::int64_t>(line.from));
  }

  // Whether the line beginning at buffer offset `at` is this part's.
  bool owns(std::size_t at) {
    if (base_ + static_cast<std::int64_t>(at) < end_) return true;
    stopped_ = true;
    return false;
  }

  PartFacts&& facts() {
    flushDepthLine();
    return std::move(f_);
  }

private:
  // A line that does not fit into the buffer, read the way LineSource reads
  // it; returns the offset after it.
  std::int64_t readLongLine(std::int64_t at) {
    std::lock_guard<std::mutex> lock(job_.longLines);
    LineSource src(job_.fileName);
    src.seek(at);
    std::string_view text;
    if (!src.next(text)) return at;
    const std::int64_t next = src.position();
    take(analyzeLine(text, src.lineLength(), plan_.delimiter), at);
    if (!stopped_ && next >= end_) stopped_ = true;
    return next;
  }

  bool take(const LineTraits& t, std::int64_t offset) {
    if (t.kind == LineClass::Title) {
      f_.endedAtTitle = true;
      f_.title = {offset, f_.lines};
      stopped_ = true;
      return false;
    }
    const LocalLine here{offset, f_.lines++};
    if (t.quote && !f_.firstQuote.found()) f_.firstQuote = here;
    if (t.tilde && !f_.firstTilde.found()) f_.firstTilde = here;
    for (int k = 0; k < 2; ++k)
      if (t.length > kLongLineLimits[k] && !f_.firstLong[k].found()) f_.firstLong[k] = here;
    for (RecordPart& r : f_.records) r.add(here.index, t.fields);
    if (plan_.notables) keepNotable(t, here);
    if (t.kind != LineClass::Data) {
      if (!f_.firstBlankOrComment.found()) f_.firstBlankOrComment = here;
      if (f_.firstData.found() && !f_.firstGapAfterData.found()) f_.firstGapAfterData = here;
      return true;
    }
    const std::int64_t dataIndex = f_.dataLines++;
    if (dataIndex == 0) f_.firstData = here;
    if (plan_.columnFacts) {
      if (dataIndex == 0) {
        f_.firstDataHasDelimiter = t.hasDelimiter;
        f_.firstColumns = t.columns;
      } else if (!f_.columnsDiffer.found() && t.columns != f_.firstColumns) {
        f_.columnsDiffer = here;
        f_.differentColumns = t.columns;
      }
      (t.hasDelimiter ? f_.lastWithDelimiter : f_.lastWithoutDelimiter) = here;
    }
    if (!f_.step.empty()) addDepthLine(t, here);
    return true;
  }

  // A data line holding no quote, tilde, lone LF or (unless it delimits)
  // tab: what take() does for it, from the masks.
  bool takeDataLine(const char* d, const BlockLine& line, std::size_t first) {
    const LocalLine here{base_ + static_cast<std::int64_t>(line.from), f_.lines++};
    const auto length = static_cast<std::int64_t>(line.to - line.from);
    if (length > kLongLineLimits[0]) {
      for (int k = 0; k < 2; ++k)
        if (length > kLongLineLimits[k] && !f_.firstLong[k].found()) f_.firstLong[k] = here;
    }
    for (RecordPart& r : f_.records) r.add(here.index, line.fields);
    const std::int64_t dataIndex = f_.dataLines++;
    if (dataIndex == 0) f_.firstData = here;
    if (plan_.columnFacts) {
      const std::int64_t columns = setup_.countDelimiter ? 1 + line.delimiters : line.fields;
      const bool hasDelimiter = setup_.countDelimiter ? line.delimiters > 0 : line.space;
      if (dataIndex == 0) {
        f_.firstDataHasDelimiter = hasDelimiter;
        f_.firstColumns = columns;
      } else if (columns != f_.firstColumns && !f_.columnsDiffer.found()) {
        f_.columnsDiffer = here;
        f_.differentColumns = columns;
      }
      (hasDelimiter ? f_.lastWithDelimiter : f_.lastWithoutDelimiter) = here;
    }
    if (f_.step.empty()) return true;
    const std::size_t phase = nextStepPhase();
    if (phase >= f_.step.size() || f_.step[phase].changed || !isDepthPhase(phase)) return true;
    // The CR after the line ends the number; the buffer's slack covers the
    // bytes read past it.
    double index = 0;
    if (!job_.readIndex(d + first, index)) index = depthIndexValue({d + first, line.to - first}, plan_.delimiter);
    flushDepthLine();
    pending_ = {index, here, phase};
    return true;
  }

  // Once the data lines before the part are known, the phase its depth
  // lines are in is too: the other phases need not be read on.
  void learnDepthPhase(std::int64_t dataLinesBefore) {
    if (dataLinesBefore < 0) return;
    const std::int64_t perDepth = plan_.stepLinesPerDepth;
    depthPhase_ = (perDepth - dataLinesBefore % perDepth) % perDepth;
  }
  bool isDepthPhase(std::size_t phase) const {
    return depthPhase_ < 0 || static_cast<std::int64_t>(phase) == depthPhase_;
  }

  std::size_t nextStepPhase() {
    const std::size_t phase = stepPhase_;
    if (++stepPhase_ == static_cast<std::size_t>(plan_.stepLinesPerDepth)) stepPhase_ = 0;
    return phase;
  }

  // Data line k of the part is in phase k modulo lines per depth; the first
  // part follows phase 0 only, the one its depth lines are in. A depth line
  // joins its phase when the next one is read, so that reading its index
  // overlaps with the work on the lines in between.
  void addDepthLine(const LineTraits& t, LocalLine here) {
    const std::size_t phase = nextStepPhase();
    // The merge stops at a change.
    if (phase >= f_.step.size() || f_.step[phase].changed || !isDepthPhase(phase)) return;
    const double index = depthIndexValue(t.text.substr(t.trimmedAt), plan_.delimiter);
    flushDepthLine();
    pending_ = {index, here, phase};
  }

  void flushDepthLine() {
    if (!pending_.at.found()) return;
    f_.step[pending_.phase].add(pending_.index, pending_.at);
    pending_.at = {};
  }

  void keepNotable(const LineTraits& t, LocalLine here) {
    std::uint8_t kinds = 0;
    if (t.kind == LineClass::Comment) kinds |= NotableLine::Comment;
    if (t.kind == LineClass::Blank) kinds |= NotableLine::Blank;
    if (t.tab && plan_.delimiter != '\t') kinds |= NotableLine::Tab;
    if (kinds == 0 || f_.notablesFull) return;
    if (job_.notablesFull.load(std::memory_order_relaxed)) {
      f_.notablesFull = true;
      return;
    }
    f_.notables.push_back({here.index, kinds, std::string(t.text.substr(0, plan_.notableBudget + 1))});
    f_.notableBytes += t.text.size() + plan_.notableOverhead;
    if (f_.notableBytes > plan_.notableBudget) f_.notablesFull = true;
  }

  SectionJob& job_;
  const DataScanPlan& plan_;
  MaskSetup setup_;
  const std::int64_t end_;
  std::size_t stepPhase_ = 0;     // phase of the next data line
  std::int64_t depthPhase_ = -1;  // once learnt, the phase of the depth lines (parts that follow every phase)
  struct {
    double index = 0;
    LocalLine at;
    std::size_t phase = 0;
  } pending_;  // the depth line read last
  std::int64_t base_ = 0;
  bool stopped_ = false;
  PartFacts f_;
};

// ---- the mask loop, compiled for each instruction set ---------------------------

#if defined(__x86_64__)

namespace sse2 {

// The compare vectors, built once per buffer.
class Masker {
public:
  explicit Masker(const MaskSetup& setup)
      : space_(_mm_set1_epi8(' ')),
        cr_(_mm_set1_epi8('\r')),
        lf_(_mm_set1_epi8('\n')),
        quote_(_mm_set1_epi8('"')),
        tilde_(_mm_set1_epi8('~')),
        tab_(_mm_set1_epi8(setup.tabIsSpecial ? '\t' : '"')),
        delimiter_(_mm_set1_epi8(setup.delimiter)),
        countDelimiter_(setup.countDelimiter) {}

  BlockMasks operator()(const char* p) const {
    BlockMasks m;
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      const __m128i isLf = _mm_cmpeq_epi8(v, lf_);
      const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote_), _mm_cmpeq_epi8(v, tilde_)),
                                           _mm_or_si128(isLf, _mm_cmpeq_epi8(v, tab_)));
      auto bits = [k](__m128i x) {
        return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(x))) << (16 * k);
      };
      m.space |= bits(_mm_cmpeq_epi8(v, space_));
      m.cr |= bits(_mm_cmpeq_epi8(v, cr_));
      m.lf |= bits(isLf);
      m.special |= bits(special);
      if (countDelimiter_) m.delimiter |= bits(_mm_cmpeq_epi8(v, delimiter_));
    }
    return m;
  }

private:
  __m128i space_, cr_, lf_, quote_, tilde_, tab_, delimiter_;
  bool countDelimiter_;
};

#include "las/data_scan_loop.inc"

}  // namespace sse2

#if defined(__GNUC__) && !defined(__clang__)
#define KORRIVAN_AVX2_LOOP 1
#pragma GCC push_options
#pragma GCC target("avx2,bmi,popcnt,sse4.1,ssse3")

namespace avx2 {

// The compare vectors, built once per buffer.
class Masker {
public:
  explicit Masker(const MaskSetup& setup)
      : space_(_mm256_set1_epi8(' ')),
        cr_(_mm256_set1_epi8('\r')),
        lf_(_mm256_set1_epi8('\n')),
        quote_(_mm256_set1_epi8('"')),
        tilde_(_mm256_set1_epi8('~')),
        tab_(_mm256_set1_epi8(setup.tabIsSpecial ? '\t' : '"')),
        delimiter_(_mm256_set1_epi8(setup.delimiter)),
        countDelimiter_(setup.countDelimiter) {}

  BlockMasks operator()(const char* p) const {
    BlockMasks m;
    for (int k = 0; k < 2; ++k) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
      const __m256i isLf = _mm256_cmpeq_epi8(v, lf_);
      const __m256i special =
          _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, quote_), _mm256_cmpeq_epi8(v, tilde_)),
                          _mm256_or_si256(isLf, _mm256_cmpeq_epi8(v, tab_)));
      auto bits = [k](__m256i x) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(x))) << (32 * k);
      };
      m.space |= bits(_mm256_cmpeq_epi8(v, space_));
      m.cr |= bits(_mm256_cmpeq_epi8(v, cr_));
      m.lf |= bits(isLf);
      m.special |= bits(special);
      if (countDelimiter_) m.delimiter |= bits(_mm256_cmpeq_epi8(v, delimiter_));
    }
    return m;
  }

private:
  __m256i space_, cr_, lf_, quote_, tilde_, tab_, delimiter_;
  bool countDelimiter_;
};

#include "las/data_scan_loop.inc"

// For a number of `whole` integer and `decimals` fraction digits (at most 15
// together, a point between them), the shuffle that puts its digits into 16
// bytes, right-aligned, zeros in front.
struct DigitShuffles {
  std::int8_t at[16][16][16];
};

constexpr DigitShuffles makeDigitShuffles() {
  DigitShuffles t{};
  for (int whole = 0; whole < 16; ++whole)
    for (int decimals = 0; whole + decimals < 16; ++decimals)
      for (int k = 0; k < 16; ++k) {
        const int i = k - (16 - whole - decimals);  // the digit's place in the number
        t.at[whole][decimals][k] = static_cast<std::int8_t>(i < 0 ? -128 : i < whole ? i : i + 1);
      }
  return t;
}

alignas(16) constexpr DigitShuffles kDigitShuffles = makeDigitShuffles();

// plainIndexValue() with up to 15 digits, sixteen characters at a time.
bool readIndex(const char* p, double& out) {
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  const __m128i digits = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
  const auto digitBits = static_cast<std::uint32_t>(_mm_movemask_epi8(isDigit));
  const int whole = __builtin_ctz(~digitBits);
  int decimals = 0, end = whole;
  if (whole < 16 && p[whole] == '.') {
    decimals = __builtin_ctz(~(digitBits >> (whole + 1)));
    end = whole + 1 + decimals;
  }
  if (end >= 16 || whole + decimals == 0) return false;
  const char next = p[end];
  if (next == 'e' || next == 'E' || next == 'd' || next == 'D') return false;
  const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(kDigitShuffles.at[whole][decimals]));
  const __m128i x = _mm_shuffle_epi8(digits, shuffle);
  const __m128i pairs = _mm_maddubs_epi16(x, _mm_set1_epi16(0x010A));       // 10 * d0 + d1
  const __m128i quads = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));  // 100 * p0 + p1
  const __m128i packed = _mm_packus_epi32(quads, quads);
  const __m128i eights = _mm_madd_epi16(packed, _mm_set1_epi32(0x00012710));  // 10000 * q0 + q1
  const std::int64_t mantissa =
      static_cast<std::int64_t>(static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights))) * 100000000 +
      static_cast<std::uint32_t>(_mm_extract_epi32(eights, 1));
  out = indexFromMantissa(mantissa, whole + decimals, decimals, negative);
  return true;
}

}  // namespace avx2

#pragma GCC pop_options
#endif

#else  // not x86-64: the masks byte by byte

namespace portable {

// The masks byte by byte.
class Masker {
public:
  explicit Masker(const MaskSetup& setup) : setup_(setup) {}

  BlockMasks operator()(const char* p) const {
    BlockMasks m;
    for (int i = 0; i < 64; ++i) {
      const char c = p[i];
      const std::uint64_t bit = 1ull << i;
      if (c == ' ') m.space |= bit;
      if (c == '\r') m.cr |= bit;
      if (c == '\n') m.lf |= bit;
      if (c == '"' || c == '~' || c == '\n' || (c == '\t' && setup_.tabIsSpecial)) m.special |= bit;
      if (setup_.countDelimiter && c == setup_.delimiter) m.delimiter |= bit;
    }
    return m;
  }

private:
  MaskSetup setup_;
};

#include "las/data_scan_loop.inc"

}  // namespace portable

#endif

IndexReader indexReader(bool allowWide) {
#if defined(KORRIVAN_AVX2_LOOP)
  if (allowWide && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt"))
    return avx2::readIndex;
#endif
  (void)allowWide;
  return plainIndexValue;
}

ScanBuffer bufferScanner(bool allowWide) {
#if defined(__x86_64__)
#if defined(KORRIVAN_AVX2_LOOP)
  if (allowWide && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt"))
    return avx2::scanBuffer<PartScanner>;
#endif
  (void)allowWide;
  return sse2::scanBuffer<PartScanner>;
#else
  (void)allowWide;
  return portable::scanBuffer<PartScanner>;
#endif
}

void PartScanner::scan(std::int64_t begin, std::vector<char>& buffer, const PartControl& control) {
  f_.begin = begin;
  std::int64_t pos = begin;
  // Reads start small and grow, so that a short section (a file may hold
  // thousands) costs what it holds, not a whole buffer.
  std::size_t want = kFirstRead;
  for (;;) {
    if (control.stop->load(std::memory_order_relaxed)) throw PartStopped{};
    const std::size_t n = readFully(job_.fd, buffer.data(), want, pos);
    if (n == 0) break;
    const bool atEnd = n < want;
    base_ = pos;
    const std::size_t used = job_.scanBuffer(buffer.data(), n, atEnd, *this);
    const std::size_t read = want;
    want = std::min(kBufferBytes, 4 * want);
    // No whole line in a small read: read more before taking it for a long line.
    if (used == 0 && !stopped_ && !atEnd && read < kBufferBytes) continue;
    std::int64_t next = pos + static_cast<std::int64_t>(used);
    if (used == 0 && !stopped_) next = readLongLine(pos);
    control.scanned->fetch_add(next - pos, std::memory_order_relaxed);
    if (*control.afterBuffer) (*control.afterBuffer)();
    if (f_.step.size() > 1 && depthPhase_ < 0 && control.dataLinesBefore) learnDepthPhase(control.dataLinesBefore());
    if (stopped_ || (atEnd && used == n)) break;
    if (next != pos) f_.checkpoints.emplace_back(next, f_.lines);
    pos = next;
  }
}

PartFacts scanPart(SectionJob& job, std::int64_t part, const std::pair<std::int64_t, std::int64_t>& linesBefore,
                   std::vector<char>& buffer, const PartControl& control) {
  PartScanner scanner(job, part, linesBefore.first, linesBefore.second);
  const std::int64_t from = job.partBegin(part), to = job.partEnd(part);
  const std::int64_t begin = part == 0 ? job.start : firstLineStart(job.fd, buffer, from, to);
  if (begin >= 0) scanner.scan(begin, buffer, control);
  return scanner.facts();
}

// ---- merging parts in file order ------------------------------------------------------

class SectionMerger {
public:
  explicit SectionMerger(const SectionJob& job) : job_(job), plan_(*job.plan) {
    s_.start = job.start;
    s_.startLine = job.startLine;
    s_.end = {job.start, job.startLine, 0};
    if (job.step) {
      s_.step = StepFacts{};
      s_.step->linesPerDepth = plan_.stepLinesPerDepth;
    }
    for (int size : plan_.recordSizes) {
      s_.records.push_back(RecordFacts{size, false, 0, -1});
      rings_.emplace_back();
      ringSums_.push_back(0);
    }
  }

  bool ended() const { return s_.endedAtTitle; }
  std::int64_t lines() const { return lines_; }
  std::int64_t dataLines() const { return dataLines_; }

  // Adds the next part; the merged notables ask no more once full.
  void add(PartFacts&& part, std::atomic<bool>& notablesFull) {
    if (part.begin >= 0) s_.checkpoints.emplace_back(part.begin, lines_);
    for (const auto& [offset, index] : part.checkpoints) s_.checkpoints.emplace_back(offset, lines_ + index);
    mergeNotables(part, notablesFull);
    mergeDataLines(part);
    if (s_.step) mergeStep(part);
    for (std::size_t k = 0; k < s_.records.size(); ++k) mergeRecords(part, k);
    mergeFirst(s_.firstQuote, part.firstQuote);
    mergeFirst(s_.firstTilde, part.firstTilde);
    for (int k = 0; k < 2; ++k) mergeFirst(s_.firstLongerThan[k], part.firstLong[k]);
    if (part.endedAtTitle) {
      s_.endedAtTitle = true;
      s_.end = ref(part.title);
    }
    lines_ += part.lines;
    dataLines_ += part.dataLines;
    s_.lines = lines_;
    s_.dataLines = dataLines_;
  }

  // The facts of the section; `fileEnd` is where a section without a title
  // after it ends.
  SectionFacts finish(std::int64_t fileEnd) {
    if (!s_.endedAtTitle) s_.end = {fileEnd, job_.startLine + lines_, lines_};
    if (s_.step && s_.step->changed) {
      // The scan ends at the change: what it read before it tells nothing more.
      StepFacts& step = *s_.step;
      step.depthLines = 0;
      step.lastDepth = {};
      step.haveIncrement = true;
      step.lastIncrement = step.changeIncrement;
    }
    return std::move(s_);
  }

private:
  LineRef ref(const LocalLine& l) const {
    if (!l.found()) return {};
    return {l.offset, job_.startLine + lines_ + l.index, lines_ + l.index};
  }
  std::int64_t number(std::int64_t localIndex) const { return job_.startLine + lines_ + localIndex; }

  void mergeFirst(LineRef& into, const LocalLine& l) {
    if (!into.found() && l.found()) into = ref(l);
  }

  void mergeNotables(PartFacts& part, std::atomic<bool>& notablesFull) {
    for (NotableLine& n : part.notables) {
      if (!s_.allNotablesKept) return;
      notableBytes_ += n.text.size() + plan_.notableOverhead;
      n.number = number(n.number);
      s_.notables.push_back(std::move(n));
      if (notableBytes_ > plan_.notableBudget) {
        s_.allNotablesKept = false;
        notablesFull = true;
      }
    }
  }

  void mergeDataLines(const PartFacts& part) {
    if (part.dataLines == 0) {
      if (!s_.firstGap.found() && s_.firstData.found()) s_.firstGap = ref(part.firstBlankOrComment);
      return;
    }
    if (!s_.firstData.found()) {
      s_.firstData = ref(part.firstData);
      s_.firstDataHasDelimiter = part.firstDataHasDelimiter;
      s_.columns = part.firstColumns;
      s_.firstGap = ref(part.firstGapAfterData);
      if (part.columnsDiffer.found()) setColumnsDiffer(ref(part.columnsDiffer), part.differentColumns);
    } else {
      if (!s_.firstGap.found()) s_.firstGap = ref(part.firstBlankOrComment);
      if (part.firstColumns != s_.columns)
        setColumnsDiffer(ref(part.firstData), part.firstColumns);
      else if (part.columnsDiffer.found())
        setColumnsDiffer(ref(part.columnsDiffer), part.differentColumns);
    }
    if (part.lastWithoutDelimiter.found()) s_.lastDataWithoutDelimiter = ref(part.lastWithoutDelimiter);
    if (part.lastWithDelimiter.found()) s_.lastDataWithDelimiter = ref(part.lastWithDelimiter);
  }

  void setColumnsDiffer(const LineRef& at, std::int64_t columns) {
    if (s_.columnsDiffer.found()) return;
    s_.columnsDiffer = at;
    s_.differentColumns = columns;
  }

  // The STEP scan continued over the part's depth lines: those of the phase
  // where the section's data line index is a multiple of lines per depth.
  void mergeStep(const PartFacts& part) {
    StepFacts& step = *s_.step;
    if (step.changed || part.step.empty()) return;
    const std::int64_t perDepth = plan_.stepLinesPerDepth;
    const std::size_t phase =
        part.step.size() == 1 ? 0 : static_cast<std::size_t>((perDepth - dataLines_ % perDepth) % perDepth);
    const StepPhase& p = part.step[phase];
    if (p.count == 0) return;
    auto change = [&](const LocalLine& at, double index, float increment) {
      step.changed = true;
      step.change = ref(at);
      step.changeIndex = index;
      step.changeIncrement = increment;
    };
    if (havePrevious_) {
      const float increment = static_cast<float>(p.first - previous_);
      if (step.haveIncrement && increment != reference_) return change(p.firstAt, p.first, increment);
      reference_ = increment;
      step.haveIncrement = true;
      step.lastIncrement = increment;
    }
    if (p.count >= 2) {
      if (step.haveIncrement && p.firstIncrement != reference_) return change(p.secondAt, p.second, p.firstIncrement);
      reference_ = p.firstIncrement;
      step.haveIncrement = true;
      if (p.changed) return change(p.changeAt, p.changeIndex, p.changeIncrement);
      step.lastIncrement = p.lastIncrement;
    }
    havePrevious_ = true;
    previous_ = p.previous;
    step.depthLines += p.count;
    step.lastDepth = ref(p.lastAt);
  }

  // Records: the lines at the part's start complete the records begun in the
  // parts before (the ring keeps the counts of the last lines); inside the
  // part, the phase whose lines end records is known now.
  void mergeRecords(const PartFacts& part, std::size_t k) {
    RecordFacts& r = s_.records[k];
    const RecordPart& rp = part.records[k];
    const std::int64_t size = r.linesPerRecord;
    std::deque<std::int64_t>& ring = rings_[k];
    std::int64_t& sum = ringSums_[k];
    auto recordEnds = [&](std::int64_t fields, std::int64_t index) {
      if (!r.haveFirst) {
        r.haveFirst = true;
        r.firstFields = fields;
      } else if (r.firstDifferent < 0 && fields != r.firstFields) {
        r.firstDifferent = index;
      }
    };
    for (std::size_t i = 0; i < rp.head.size(); ++i) {
      ring.push_back(rp.head[i]);
      sum += rp.head[i];
      if (static_cast<std::int64_t>(ring.size()) > size) {
        sum -= ring.front();
        ring.pop_front();
      }
      const std::int64_t index = lines_ + static_cast<std::int64_t>(i);
      if (index % size == size - 1 && static_cast<std::int64_t>(ring.size()) == size) recordEnds(sum, index);
    }
    const std::size_t phase = static_cast<std::size_t>(((size - 1 - lines_ % size) % size + size) % size);
    if (rp.firstAt[phase] >= 0) {
      recordEnds(rp.firstValue[phase], lines_ + rp.firstAt[phase]);
      if (rp.differentAt[phase] >= 0 && r.firstDifferent < 0 && rp.firstValue[phase] == r.firstFields)
        r.firstDifferent = lines_ + rp.differentAt[phase];
    }
    if (part.lines >= size) {
      const std::vector<std::int64_t> tail = rp.tail(part.lines);
      ring.assign(tail.begin(), tail.end());
      sum = 0;
      for (std::int64_t v : ring) sum += v;
    }
  }

  const SectionJob& job_;
  const DataScanPlan& plan_;
  SectionFacts s_;
  std::int64_t lines_ = 0, dataLines_ = 0;
  std::size_t notableBytes_ = 0;
  bool havePrevious_ = false;
  double previous_ = 0;
  float reference_ = 0;
  std::vector<std::deque<std::int64_t>> rings_;
  std::vector<std::int64_t> ringSums_;
};

// ---- the pass over every section ------------------------------------------------------

// The file, opened once for every thread of the pass (pread keeps no position).
class ReadOnlyFile {
public:
  explicit ReadOnlyFile(const std::string& name) : fd_(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    if (fd_ < 0) throw base::RunError::fromErrno(errno, base::FileOp::Read);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd_);
      throw base::RunError(base::err::PathFileAccess);
    }
    size_ = static_cast<std::int64_t>(st.st_size);
  }
  ~ReadOnlyFile() { ::close(fd_); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  int fd() const { return fd_; }
  std::int64_t size() const { return size_; }

private:
  int fd_;
  std::int64_t size_ = 0;
};

// Where the section that begins at `row` ends at the latest: at the next
// title line the directory lists.
// Where each section ends: at the title line of the next section, else at
// the end of the file. Keyed by the section's start (the first row of that
// start when several share it).
std::unordered_map<std::int64_t, std::int64_t> sectionBounds(const SectionDirectory& directory) {
  const auto& rows = directory.rows();
  std::unordered_map<std::int64_t, std::int64_t> bounds;
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) bounds.emplace(rows[i].start, rows[i + 1].titleStart);
  return bounds;
}

// One section of the pass: its parts and their merge.
struct SectionScan {
  SectionJob job;
  std::int64_t firstPart = 0;  // the pass's number of its part 0
  std::optional<SectionMerger> merger;
  bool ended = false;  // merged up to its end
  SectionFacts facts;
};

}  // namespace

// The parts of all sections are numbered in file order; any thread takes the
// next part, scans it, and merges whatever parts are ready in order. The
// calling thread of finish() scans along and is the only one that polls.
class DataPass::Impl {
public:
  Impl(const SectionDirectory& directory, const std::vector<const SectionRow*>& rows, DataScanPlan plan,
       const ScanSettings& settings)
      : file_(directory.fileName()), plan_(std::move(plan)), settings_(settings), nextPoll_(settings.pollBytes) {
    const ScanBuffer scanner = bufferScanner(true);
    const IndexReader reader = indexReader(true);
    std::int64_t dataBytes = 0;
    const std::unordered_map<std::int64_t, std::int64_t> bounds = sectionBounds(directory);
    std::unordered_set<std::int64_t> starts;
    for (const SectionRow* row : rows) {
      if (!row || !starts.insert(row->start).second) continue;
      auto& scan = *sections_.emplace_back(std::make_unique<SectionScan>());
      SectionJob& job = scan.job;
      job.fd = file_.fd();
      job.fileName = directory.fileName();
      job.start = row->start;
      job.startLine = row->startLine;
      job.plan = &plan_;
      job.step = row->start == plan_.stepSection;
      job.scanBuffer = scanner;
      job.readIndex = reader;
      const auto next = bounds.find(row->start);
      const std::int64_t bound =
          next == bounds.end() ? file_.size() : std::clamp(next->second, row->start, file_.size());
      // The title line at the bound is scanned too: it ends the section.
      job.lastEnd = bound < file_.size() ? bound + 1 : file_.size();
      job.partBytes = std::max<std::int64_t>(settings.partBytes, 1);
      job.parts = (std::max<std::int64_t>(job.lastEnd - job.start, 1) + job.partBytes - 1) / job.partBytes;
      scan.firstPart = parts_;
      scan.merger.emplace(job);
      parts_ += job.parts;
      dataBytes = std::max(dataBytes, bound - row->start);
    }
    threads_ = settings.threadsFor(dataBytes);
  }

  ~Impl() { stopAll(); }

  void startHelpers() {
    for (int t = 1; t < threads_; ++t) helpers_.emplace_back([this] { help(); });
    helpersStarted_ = static_cast<int>(helpers_.size());
  }

  DataFacts finish(const RunPoll& poll) {
    try {
      return finishOrThrow(poll);
    } catch (...) {
      stopAll();
      throw;
    }
  }

private:
  std::int64_t window() const { return 2 * static_cast<std::int64_t>(threads_); }

  // The section the part is of: the last one whose parts begin at or before it.
  SectionScan& sectionOf(std::int64_t part) {
    auto after = std::upper_bound(sections_.begin() + 1, sections_.end(), part,
                                  [](std::int64_t p, const auto& s) { return p < s->firstPart; });
    return **(after - 1);
  }

  // The next part to scan, or -1: none left, the window is full, or the run
  // stops. When every part before it is merged, `before` gets the lines and
  // the data lines of its section before it (else -1, -1).
  std::int64_t nextPart(std::pair<std::int64_t, std::int64_t>& before) {
    while (next_ < parts_ && sectionOf(next_).ended) ++next_;  // sections that ended at a title
    if (stop_ || next_ >= parts_ || next_ >= merged_ + window()) return -1;
    // With every part before it merged, the merger holds still: its next
    // part is this one.
    const SectionMerger& merger = *sectionOf(next_).merger;
    before = merged_ == next_ ? std::make_pair(merger.lines(), merger.dataLines()) : std::make_pair(-1l, -1l);
    return next_++;
  }

  void scanAndMerge(std::int64_t part, const std::pair<std::int64_t, std::int64_t>& before, std::vector<char>& buffer,
                    const PartControl& control) {
    SectionScan& section = sectionOf(part);
    PartControl partControl = control;
    partControl.dataLinesBefore = [this, part, &section] {
      std::lock_guard<std::mutex> lock(m_);
      return merged_ == part ? section.merger->dataLines() : -1;
    };
    PartFacts f = scanPart(section.job, part - section.firstPart, before, buffer, partControl);
    {
      std::lock_guard<std::mutex> lock(m_);
      ready_.emplace(part, std::move(f));
    }
    mergeReady();
  }

  // Merges the ready parts in order, one thread at a time.
  void mergeReady() {
    std::lock_guard<std::mutex> merging(mergeLock_);
    for (;;) {
      PartFacts part;
      SectionScan* section = nullptr;
      {
        std::lock_guard<std::mutex> lock(m_);
        if (merged_ >= parts_) break;
        section = &sectionOf(merged_);
        if (section->ended) {
          ready_.erase(merged_++);
          continue;
        }
        auto it = ready_.find(merged_);
        if (it == ready_.end()) break;
        part = std::move(it->second);
        ready_.erase(it);
      }
      section->merger->add(std::move(part), section->job.notablesFull);
      const bool last = merged_ + 1 == section->firstPart + section->job.parts;
      if (section->merger->ended() || last) section->facts = section->merger->finish(file_.size());
      {
        std::lock_guard<std::mutex> lock(m_);
        if (section->merger->ended() || last) section->ended = true;
        ++merged_;
      }
      changed_.notify_all();
    }
  }

  void help() {
    std::vector<char> buffer(kBufferBytes + kBufferSlack + 1);
    const std::function<void()> none;
    const PartControl control{&stop_, &scanned_, &none, {}};
    try {
      for (;;) {
        std::int64_t part = -1;
        std::pair<std::int64_t, std::int64_t> before{-1, -1};
        {
          std::unique_lock<std::mutex> lock(m_);
          changed_.wait(
              lock, [&] { return (part = nextPart(before)) >= 0 || stop_ || merged_ >= parts_ || next_ >= parts_; });
        }
        if (part < 0) return;
        scanAndMerge(part, before, buffer, control);
      }
    } catch (const PartStopped&) {
    } catch (...) {
      std::lock_guard<std::mutex> lock(m_);
      if (!error_) error_ = std::current_exception();
      stop_ = true;
      changed_.notify_all();
    }
  }

  DataFacts finishOrThrow(const RunPoll& poll) {
    std::vector<char> buffer(kBufferBytes + kBufferSlack + 1);
    const std::function<void()> pollIfDue = [&] {
      if (!poll) return;
      const std::int64_t done = scanned_.load(std::memory_order_relaxed);
      if (done < nextPoll_) return;
      nextPoll_ = done + settings_.pollBytes;
      poll();
    };
    const PartControl control{&stop_, &scanned_, &pollIfDue, {}};
    if (poll && !helpers_.empty()) poll();  // joining helpers that may have gone far ahead
    for (;;) {
      std::int64_t part = -1;
      std::pair<std::int64_t, std::int64_t> before{-1, -1};
      {
        std::unique_lock<std::mutex> lock(m_);
        if (error_) std::rethrow_exception(error_);
        if (merged_ >= parts_) break;
        part = nextPart(before);
        if (part < 0) changed_.wait_for(lock, std::chrono::milliseconds(5));
      }
      if (part >= 0) {
        try {
          scanAndMerge(part, before, buffer, control);
        } catch (const PartStopped&) {
          // A helper failed: its error passes on above.
        }
      } else {
        mergeReady();
      }
      pollIfDue();
    }
    stopAll();
    DataFacts out;
    for (auto& section : sections_) out.sections.push_back(std::move(section->facts));
    out.threads = helpersStarted_ + 1;
    return out;
  }

  void stopAll() {
    {
      std::lock_guard<std::mutex> lock(m_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : helpers_) t.join();
    helpers_.clear();
  }

  ReadOnlyFile file_;
  DataScanPlan plan_;
  const ScanSettings settings_;
  int threads_ = 1;
  int helpersStarted_ = 0;
  std::vector<std::unique_ptr<SectionScan>> sections_;
  std::int64_t parts_ = 0;
  std::int64_t nextPoll_;  // scanned bytes at which the calling thread polls next

  std::mutex m_;  // guards what follows
  std::condition_variable changed_;
  std::atomic<bool> stop_{false};
  std::atomic<std::int64_t> scanned_{0};
  std::int64_t next_ = 0;    // the next part to scan
  std::int64_t merged_ = 0;  // parts merged or passed over
  std::map<std::int64_t, PartFacts> ready_;
  std::exception_ptr error_;
  std::mutex mergeLock_;  // held by the thread that merges
  std::vector<std::thread> helpers_;
};

double bufferedIndexValue(const char* trimmedLine, std::size_t length, char delimiter) {
  double value = 0;
  if (indexReader(true)(trimmedLine, value)) return value;
  return depthIndexValue({trimmedLine, length}, delimiter);
}

DataPass::DataPass(const SectionDirectory& directory, const std::vector<const SectionRow*>& sections, DataScanPlan plan,
                   const ScanSettings& settings)
    : impl_(std::make_unique<Impl>(directory, sections, std::move(plan), settings)) {}

DataPass::~DataPass() = default;

void DataPass::startHelpers() { impl_->startHelpers(); }

DataFacts DataPass::finish(const RunPoll& poll) { return impl_->finish(poll); }

DataFacts scanDataSections(const SectionDirectory& directory, const std::vector<const SectionRow*>& sections,
                           const DataScanPlan& plan, const ScanSettings& settings, const RunPoll& poll) {
  DataPass pass(directory, sections, plan, settings);
  pass.startHelpers();
  return pass.finish(poll);
}

}  // namespace korrivan::las
