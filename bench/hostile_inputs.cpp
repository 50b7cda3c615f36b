#include "bench/hostile_inputs.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

namespace korrivan::bench {

namespace {

class Out {
public:
  explicit Out(const std::string& path) : f_(std::fopen(path.c_str(), "wb")) {
    if (!f_) throw std::runtime_error("cannot create " + path);
    std::setvbuf(f_, nullptr, _IOFBF, 1 << 20);
  }
  ~Out() {
    if (f_) std::fclose(f_);
  }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  // Raw text, no line end.
  void put(std::string_view s) {
    if (std::fwrite(s.data(), 1, s.size(), f_) != s.size()) throw std::runtime_error("write failed");
    bytes_ += static_cast<std::int64_t>(s.size());
  }
  void line(std::string_view s) {
    put(s);
    put("\r\n");
  }
  // `count` copies of `piece`, written in large chunks.
  void repeat(std::string_view piece, std::int64_t count) {
    std::string chunk;
    while (count > 0) {
      chunk.clear();
      for (std::int64_t i = 0; i < count && chunk.size() < (1u << 20); ++i, --count) chunk += piece;
      put(chunk);
    }
  }
  std::int64_t bytes() const { return bytes_; }
  std::int64_t close() {
    if (std::fclose(f_) != 0) throw std::runtime_error("close failed");
    f_ = nullptr;
    return bytes_;
  }

private:
  std::FILE* f_;
  std::int64_t bytes_ = 0;
};

// ---- version 3.0 files --------------------------------------------------------

void versionV3(Out& o) {
  o.line("~Version");
  o.line(" VERS.   3.0   : CWLS LOG ASCII STANDARD - VERSION 3.0");
  o.line(" WRAP.   NO    : ONE LINE PER DEPTH STEP");
  o.line(" DLM .   COMMA : DELIMITING CHARACTER BETWEEN DATA COLUMNS");
}

// A ~Well section that passes its checks; `extra` lines are added at its end.
void wellV3(Out& o, const std::string& stop, const std::function<void(Out&)>& extra = {}) {
  o.line("~Well");
  o.line(" STRT .M     1500.0000          : START DEPTH      {F}");
  o.line(" STOP .M     " + stop + "          : STOP DEPTH       {F}");
  o.line(" STEP .M     0.2500             : STEP             {F}");
  o.line(" NULL .      -999.25            : NULL VALUE       {F}");
  o.line(" COMP .      KORRIVAN BENCH     : COMPANY          {S}");
  o.line(" WELL .      KORRIVAN 1-1       : WELL             {S}");
  o.line(" FLD  .      WILDCAT            : FIELD            {S}");
  o.line(" LOC  .      07-21-048-09W4M    : LOCATION         {S}");
  o.line(" SRVC .      KORRIVAN LOGGING   : SERVICE COMPANY  {S}");
  o.line(" DATE .      08/12/2026         : LOG DATE         {DD/MM/YYYY}");
  o.line(" CTRY .      CA                 : COUNTRY          {S}");
  o.line(" PROV .      ALBERTA            : PROVINCE         {S}");
  o.line(" UWI  .      100072104809W400   : UNIQUE WELL ID   {S}");
  o.line(" LIC  .      0123456            : LICENSE NUMBER   {S}");
  o.line(" LATI .DEG   53.5               : LATITUDE         {F}");
  o.line(" LONG .DEG   -113.5             : LONGITUDE        {F}");
  o.line(" GDAT .      NAD83              : GEODETIC DATUM   {S}");
  if (extra) extra(o);
}

std::string depthText(std::int64_t i) {
  const std::int64_t hundredths = 150000 + i * 25;
  std::string frac = std::to_string(hundredths % 100);
  if (frac.size() < 2) frac.insert(0, "0");
  return std::to_string(hundredths / 100) + "." + frac + "00";
}

// The usual log data set: three channels over `depths` depths from 1500 by 0.25.
void logDataSetV3(Out& o, std::int64_t depths = 5) {
  o.line("~Log_Definition");
  o.line(" DEPT .M                        : DEPTH            {F}");
  o.line(" GR   .GAPI                     : GAMMA RAY        {F}");
  o.line(" RHOB .K/M3                     : BULK DENSITY     {F}");
  o.line("~Log_Data | Log_Definition");
  for (std::int64_t i = 0; i < depths; ++i) o.line(depthText(i) + ",45.1200,2550.000");
}

// Depths of the log data set that fill a file up to `target` bytes.
std::int64_t depthsToFill(std::int64_t written, std::int64_t target) {
  return std::max<std::int64_t>(5, (target - written - 300) / 29);
}

// The description-colon search: a format holding a colon, followed on the
// line by text that nearly repeats it.
std::int64_t colonSearch(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1501.0000", [&](Out& w) {
    const std::int64_t k = std::max<std::int64_t>(16, (target - w.bytes() - 600) / 2);
    w.put(" LONG .      V                  : LONG FORMAT      {");
    w.repeat("a", k);
    w.put(":} ");
    w.repeat("a", k);
    w.put("\r\n");
  });
  logDataSetV3(o);
  return o.close();
}

// Exponent padding of a numeric format with a very long exponent part.
std::int64_t exponentPadding(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1501.0000", [&](Out& w) {
    w.put(" EXPO .      1.20E+01           : EXPONENT         {E0.00E+");
    w.repeat("0", std::max<std::int64_t>(16, target - w.bytes() - 600));
    w.put("}\r\n");
  });
  logDataSetV3(o);
  return o.close();
}

// Pair checks over the section titles: 4,096 long titles whose names share a
// long prefix, as data, definition and parameter sets, duplicates and
// indexed titles.
std::int64_t titlesV3(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1501.0000");
  constexpr int kTitles = 4094;
  const std::int64_t length = std::max<std::int64_t>(8, (target - o.bytes()) / kTitles - 40);
  const std::string prefix(static_cast<std::size_t>(length), 'A');
  for (int i = 0; i < kTitles; ++i) {
    const std::string n = prefix + std::to_string(i / 4);
    switch (i % 8) {
      case 0: o.line("~" + n + "_Parameter"); break;
      case 1: o.line("~" + n + "_Definition"); break;
      case 2: o.line("~" + n + "_Data | " + n + "_Definition"); break;
      case 3: o.line("~" + prefix + "_Data[" + std::to_string(i % 97 + 2) + "] | " + n + "_Definition"); break;
      case 4: o.line("~" + prefix + "X"); break;
      case 5: o.line("~" + prefix + "_Data | " + prefix + "_Def"); break;
      case 6: o.line("~" + n + "_Definition[" + std::to_string(i) + "]"); break;
      default: o.line("~" + prefix + "_Other"); break;
    }
  }
  return o.close();
}

// A long chain of parameter lines in four parameter sections, each line
// associated with the next and with the first: every row's walk runs down
// the whole chain. The sections stay within the size the checks read whole;
// log data fill the rest of the file.
std::int64_t associationChain(Out& o, std::int64_t target) {
  constexpr int kPerSection = 4900;
  const int lines = static_cast<int>(std::min<std::int64_t>(4 * kPerSection, target / 40));
  const std::int64_t depths = depthsToFill(static_cast<std::int64_t>(lines) * 40 + 1500, target);
  versionV3(o);
  wellV3(o, depthText(depths - 1));
  const char* const sections[] = {"~Log_Parameter", "~A_Parameter", "~B_Parameter", "~C_Parameter"};
  for (int i = 0; i < lines; ++i) {
    if (i % kPerSection == 0) o.line(sections[i / kPerSection]);
    if (i + 1 == lines)
      o.line(" P" + std::to_string(i) + " .  1 : CHAIN END {I}");
    else
      o.line(" P" + std::to_string(i) + " .  1 : CHAIN {I} | P" + std::to_string(i + 1) + ",P0");
  }
  logDataSetV3(o, depths);
  return o.close();
}

// Many channels whose first data line repeats a long first index in the
// message of every channel whose item does not match its format.
std::int64_t columnFormatMessages(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1500.2500");
  const std::int64_t channels = std::min<std::int64_t>(4900, std::max<std::int64_t>(4, target / 2 / 40));
  const std::int64_t zeros = std::max<std::int64_t>(16, target - 800 - channels * 40);
  o.line("~Log_Definition");
  o.line(" DEPT .M  : DEPTH {F}");
  for (std::int64_t c = 1; c < channels; ++c) o.line(" C" + std::to_string(c) + " .U  : CHANNEL {F10.4}");
  o.line("~Log_Data | Log_Definition");
  o.put("1500.");
  o.repeat("0", zeros);
  o.repeat(",1", channels - 1);
  o.put("\r\n1500.2500");
  o.repeat(",1", channels - 1);
  o.put("\r\n");
  return o.close();
}

// Long section titles: few titles, each as long as a large part of the file.
std::int64_t longTitles(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1501.0000");
  constexpr int kTitles = 16;
  const std::int64_t length = std::max<std::int64_t>(16, (target - o.bytes()) / kTitles - 4);
  for (int i = 0; i < kTitles; ++i) {
    o.put("~");
    o.repeat(i % 2 ? "B" : "A", length);
    o.put(i % 4 == 1 ? "_Data | x\r\n" : "\r\n");
  }
  return o.close();
}

// Many data sets naming one large definition section.
std::int64_t manyDataSets(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1501.0000");
  o.line("~Log_Definition");
  o.line(" DEPT .M                        : DEPTH            {F}");
  o.line(" GR   .GAPI                     : GAMMA RAY        {F}");
  o.line(" RHOB .K/M3                     : BULK DENSITY     {F}");
  o.line("~Log_Data | Log_Definition");
  o.line("1500.0000,45.1200,2550.000");
  o.line("1501.0000,44.2500,2552.750");
  o.line("~Big_Definition");
  for (int i = 0; i < 4900 && o.bytes() < target / 2; ++i) o.line(" B" + std::to_string(i) + " .U : BIG {F}");
  for (int i = 1; o.bytes() < target && i < 4000; ++i) {
    o.line("~Big_Data[" + std::to_string(i) + "] | Big_Definition");
    o.line("1,2,3");
  }
  return o.close();
}

// ---- versions 1.2 and 2.0 -------------------------------------------------------

void headerV2(Out& o, const std::string& stop) {
  o.line("~Version Information");
  o.line(" VERS.          2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0");
  o.line(" WRAP.          NO  : ONE LINE PER DEPTH STEP");
  o.line("~Well Information");
  o.line(" STRT.M        1000.000 : START DEPTH");
  o.line(" STOP.M        " + stop + " : STOP DEPTH");
  o.line(" STEP.M        0.125 : STEP");
  o.line(" NULL.         -999.25 : NULL VALUE");
  o.line(" COMP.         KORRIVAN BENCH : COMPANY");
  o.line(" WELL.         KORRIVAN 1 : WELL");
  o.line(" FLD .         BENCH : FIELD");
  o.line(" LOC .         00-00-000-00W0 : LOCATION");
  o.line(" PROV.         ALBERTA : PROVINCE");
  o.line(" CTRY.         CA : COUNTRY");
  o.line(" SRVC.         KORRIVAN LOGGING : SERVICE COMPANY");
  o.line(" DATE.         08-DEC-2026 : LOG DATE");
  o.line(" UWI .         100000000000W000 : UNIQUE WELL ID");
}

// Wrap detection: many curves give a long line budget, and field counts
// that never repeat make every pattern length a candidate.
std::int64_t wrapPatterns(Out& o, std::int64_t target) {
  headerV2(o, "1000.125");
  const std::int64_t curves = std::max<std::int64_t>(8, target / 2 / 22);
  o.line("~Curve Information");
  o.line(" DEPT.M : DEPTH");
  for (std::int64_t c = 1; c < curves; ++c) o.line(" C" + std::to_string(c) + ".U : CURVE");
  o.line("~ASCII");
  o.line("1000.000 1");
  while (o.bytes() < target) o.line("1 2 3");
  return o.close();
}

// A huge curve section of short lines.
std::int64_t hugeCurveSection(Out& o, std::int64_t target) {
  headerV2(o, "1000.125");
  o.line("~Curve Information");
  o.line(" DEPT.M : DEPTH");
  while (o.bytes() < target - 100) o.line("A.B :C");
  o.line("~ASCII");
  o.line("1000.000 1");
  o.line("1000.125 2");
  return o.close();
}

// Findings on every line of the header sections, in several checks at once.
std::int64_t findingsEverywhere(Out& o, std::int64_t target) {
  headerV2(o, "1000.125");
  o.line("~Curve Information");
  o.line(" DEPT.M : DEPTH");
  o.line("~Parameter Information");
  for (int i = 0; o.bytes() < target - 100; ++i) {
    switch (i % 4) {
      case 0: o.line(" A B.U   1 : SPACE IN MNEMONIC"); break;
      case 1: o.line(" C.U:V   1 : COLON IN UNIT"); break;
      case 2: o.line(" NO PERIOD OR COLON HERE"); break;
      default: o.line(" T.U\t1 : TAB ON LINE"); break;
    }
  }
  o.line("~ASCII");
  o.line("1000.000");
  o.line("1000.125");
  return o.close();
}

// Version 1.2/2.0 titles: thousands of long titles beginning with the same letters.
std::int64_t titlesV2(Out& o, std::int64_t target) {
  headerV2(o, "1000.125");
  o.line("~Curve Information");
  o.line(" DEPT.M : DEPTH");
  constexpr int kTitles = 4000;
  const std::int64_t length = std::max<std::int64_t>(8, (target - o.bytes()) / kTitles - 12);
  const std::string prefix(static_cast<std::size_t>(length), 'O');
  for (int i = 0; i < kTitles; ++i)
    o.line("~" + std::string(1, static_cast<char>('A' + i % 26)) + prefix + std::to_string(i));
  o.line("~ASCII");
  o.line("1000.000");
  return o.close();
}

// One header line as long as the file, full of tabs and bars.
std::int64_t longHeaderLine(Out& o, std::int64_t target) {
  headerV2(o, "1000.125");
  o.put(" LONG.U ");
  o.repeat("x\t|{:", std::max<std::int64_t>(4, (target - o.bytes() - 200) / 5));
  o.put(" : LONG LINE\r\n");
  o.line("~Curve Information");
  o.line(" DEPT.M : DEPTH");
  o.line("~ASCII");
  o.line("1000.000");
  o.line("1000.125");
  return o.close();
}

// Data lines of single-character values, as long as the line reader keeps
// lines: splitting them into fields makes millions of small pieces.
std::int64_t wideDataLines(Out& o, std::int64_t target) {
  headerV2(o, "1000.125");
  o.line("~Curve Information");
  o.line(" DEPT.M : DEPTH");
  o.line(" C.U : CURVE");
  o.line("~ASCII");
  const std::int64_t values = std::max<std::int64_t>(4, std::min<std::int64_t>(target, 8 << 20) / 2 / 2);
  while (o.bytes() < target - 64) {
    o.put("1000.000");
    o.repeat(" 1", values);
    o.put("\r\n");
  }
  return o.close();
}

// The same in a version 3.0 data set, where the first line's items are
// checked against the formats of the definitions.
std::int64_t wideDataLinesV3(Out& o, std::int64_t target) {
  versionV3(o);
  wellV3(o, "1500.2500");
  o.line("~Log_Definition");
  o.line(" DEPT .M  : DEPTH {F}");
  o.line(" C1 .U  : CHANNEL {F10.4}");
  o.line("~Log_Data | Log_Definition");
  const std::int64_t values = std::max<std::int64_t>(4, std::min<std::int64_t>(target, 8 << 20) / 2 / 2);
  for (const char* index : {"1500.0000", "1500.2500"}) {
    o.put(index);
    o.repeat(",1", values);
    o.put("\r\n");
  }
  return o.close();
}

using Writer = std::int64_t (*)(Out&, std::int64_t);

struct Entry {
  HostileShape shape;
  Writer write;
};

const std::vector<Entry>& entries() {
  static const std::vector<Entry> all = {
      {{"colon", "description colon: a {..:} format followed by text (3.0 ~Well)"}, colonSearch},
      {{"exponent", "exponent padding of {E0.00E+000..0} (3.0 ~Well)"}, exponentPadding},
      {{"titles", "pair checks over 4,096 long 3.0 section titles"}, titlesV3},
      {{"titles12", "duplicates and tilde scan over 4,000 long 1.2/2.0 titles"}, titlesV2},
      {{"longnames", "16 section titles as long as the file"}, longTitles},
      {{"assoc", "association walks down a long chain of 3.0 parameter lines"}, associationChain},
      {{"wrap", "wrap pattern search: many ~Curve lines, field counts never repeating"}, wrapPatterns},
      {{"colfmt", "7c messages repeating a long first index for many channels"}, columnFormatMessages},
      {{"curves", "a ~Curve section of millions of short lines"}, hugeCurveSection},
      {{"findings", "a finding on every header line, in several checks"}, findingsEverywhere},
      {{"longline", "one header line as long as the file"}, longHeaderLine},
      {{"datasets", "thousands of 3.0 data sets naming one large definition"}, manyDataSets},
      {{"wide", "1.2/2.0 data lines of millions of one-character values"}, wideDataLines},
      {{"wide3", "a 3.0 data set whose first line holds millions of items"}, wideDataLinesV3},
  };
  return all;
}

}  // namespace

const std::vector<HostileShape>& hostileShapes() {
  static const std::vector<HostileShape> shapes = [] {
    std::vector<HostileShape> s;
    for (const Entry& e : entries()) s.push_back(e.shape);
    return s;
  }();
  return shapes;
}

std::int64_t writeHostileLas(const std::string& path, const std::string& shape, std::int64_t targetBytes) {
  for (const Entry& e : entries()) {
    if (shape != e.shape.name) continue;
    Out o(path);
    return e.write(o, targetBytes);
  }
  throw std::invalid_argument("unknown shape " + shape);
}

}  // namespace korrivan::bench
