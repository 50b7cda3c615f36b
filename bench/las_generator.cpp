#include "bench/las_generator.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace korrivan::bench {

namespace {

constexpr double kStart = 1000.0;
constexpr double kStep = 0.125;

std::string fixed(double v, int decimals) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return std::string(buf, r.ptr);
}

// A value per channel and depth that looks like a log and stays within its width.
double sample(std::int64_t depth, int channel) {
  return 10.0 + static_cast<double>((depth * 37 + channel * 101) % 9000) / 100.0;
}

class Writer {
public:
  explicit Writer(const std::string& path) : f_(std::fopen(path.c_str(), "wb")) {
    if (!f_) throw std::runtime_error("cannot create " + path);
    std::setvbuf(f_, nullptr, _IOFBF, 1 << 20);
  }
  ~Writer() {
    if (f_) std::fclose(f_);
  }
  void line(const std::string& s) {
    buf_ = s;
    buf_ += "\r\n";
    if (std::fwrite(buf_.data(), 1, buf_.size(), f_) != buf_.size()) throw std::runtime_error("write failed");
    bytes_ += static_cast<std::int64_t>(buf_.size());
  }
  std::int64_t bytes() const { return bytes_; }
  void close() {
    if (std::fclose(f_) != 0) throw std::runtime_error("close failed");
    f_ = nullptr;
  }

private:
  std::FILE* f_;
  std::string buf_;
  std::int64_t bytes_ = 0;
};

std::string dataLine(std::int64_t depth, int channels, char sep) {
  std::string l = fixed(kStart + static_cast<double>(depth) * kStep, 3);
  for (int c = 1; c < channels; ++c) {
    l += sep;
    if (sep == ' ') l += "  ";
    l += fixed(sample(depth, c), 4);
  }
  return l;
}

void wellSection(Writer& w, std::int64_t depths, bool v3) {
  const double stop = kStart + static_cast<double>(depths - 1) * kStep;
  w.line("~Well Information");
  w.line(" STRT.M        " + fixed(kStart, 3) + " : START DEPTH" + (v3 ? " {F}" : ""));
  w.line(" STOP.M        " + fixed(stop, 3) + " : STOP DEPTH" + (v3 ? " {F}" : ""));
  w.line(" STEP.M        " + fixed(kStep, 3) + " : STEP" + (v3 ? " {F}" : ""));
  w.line(" NULL.         -999.25 : NULL VALUE");
  w.line(" COMP.         SYNTHETIC ENERGY : COMPANY");
  w.line(" WELL.         SYNTHETIC 1 : WELL");
  w.line(" FLD .         BENCH : FIELD");
  w.line(" LOC .         00-00-000-00W0 : LOCATION");
  w.line(" PROV.         ALBERTA : PROVINCE");
  w.line(" CTRY.         CA : COUNTRY");
  w.line(" SRVC.         SYNTHETIC LOGGING : SERVICE COMPANY");
  w.line(" DATE.         08-DEC-2026 : LOG DATE");
  w.line(" UWI .         100000000000W000 : UNIQUE WELL ID");
  if (v3) {
    w.line(" LIC .         0123456 : LICENSE NUMBER");
    w.line(" LATI.DEG      53.5 : LATITUDE");
    w.line(" LONG.DEG      -113.5 : LONGITUDE");
    w.line(" GDAT.         NAD83 : GEODETIC DATUM");
  }
}

void curves(Writer& w, int channels, bool v3) {
  w.line(" DEPT.M : DEPTH" + std::string(v3 ? " {F}" : ""));
  for (int c = 1; c < channels; ++c)
    w.line(" C" + std::to_string(c) + ".UNIT : CHANNEL " + std::to_string(c) + (v3 ? " {F}" : ""));
}

}  // namespace

bool parseLasKind(const std::string& text, LasKind& kind) {
  if (text == "v20")
    kind = LasKind::V20Unwrapped;
  else if (text == "v20wrap")
    kind = LasKind::V20Wrapped;
  else if (text == "v30comma")
    kind = LasKind::V30Comma;
  else
    return false;
  return true;
}

GeneratedLas generateLas(const std::string& path, LasKind kind, std::int64_t targetBytes, int channels) {
  const bool v3 = kind == LasKind::V30Comma;
  const bool wrapped = kind == LasKind::V20Wrapped;
  if (wrapped && channels < 7) channels = 14;
  const char sep = v3 ? ',' : ' ';
  // Estimate the depth count from one record's size.
  std::int64_t record = static_cast<std::int64_t>(dataLine(0, channels, sep).size()) + 2 + (wrapped ? 8 : 0);
  std::int64_t depths = targetBytes / record;
  if (depths < 2) depths = 2;

  Writer w(path);
  w.line("~Version Information");
  w.line(std::string(" VERS.   ") + (v3 ? "3.0" : "2.0") + " : CWLS LOG ASCII STANDARD");
  w.line(std::string(" WRAP.   ") + (wrapped ? "YES" : "NO") + " : LINES PER DEPTH");
  if (v3) w.line(" DLM .   COMMA : DELIMITER");
  wellSection(w, depths, v3);
  w.line(v3 ? "~Log_Definition" : "~Curve Information");
  curves(w, channels, v3);
  w.line(v3 ? "~Log_Data | Log_Definition" : "~A");
  for (std::int64_t d = 0; d < depths; ++d) {
    if (!wrapped) {
      w.line(dataLine(d, channels, sep));
      continue;
    }
    w.line(fixed(kStart + static_cast<double>(d) * kStep, 3));
    std::string l;
    for (int c = 1; c < channels; ++c) {
      l += ' ';
      l += fixed(sample(d, c), 4);
      if (c % 5 == 0 || c == channels - 1) {
        w.line(l);
        l.clear();
      }
    }
  }
  GeneratedLas out{w.bytes(), depths, channels};
  w.close();
  return out;
}

}  // namespace korrivan::bench
