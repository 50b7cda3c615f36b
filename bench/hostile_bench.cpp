// Certifies each hostile-input shape at a few sizes with the real program and
// prints, per file, the certification time, its ratio to one `wc -l` pass
// over the same file, and the peak resident memory of the certifying process.
//
//   korrivan_hostile_bench [--shape NAME]... [--size-mb 1,10] [--runs 3] [--timeout SECONDS] [--keep DIR]
//
// Targets: every shape within 20 times the floor and 64 MB resident.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/hostile_inputs.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Run {
  double seconds = 0;
  double peakMb = 0;
  bool timedOut = false;
  int status = 0;
};

// Runs `korrivan FILE REPORT` and measures it; kills it after `timeout` seconds.
Run certify(const std::string& program, const std::string& file, const std::string& report, double timeout) {
  Run r;
  const auto t0 = Clock::now();
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::execl(program.c_str(), program.c_str(), file.c_str(), report.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  rusage ru{};
  for (;;) {
    pid_t done = ::wait4(pid, &r.status, WNOHANG, &ru);
    if (done == pid) break;
    if (std::chrono::duration<double>(Clock::now() - t0).count() > timeout) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &r.status, 0, &ru);
      r.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  r.peakMb = static_cast<double>(ru.ru_maxrss) / 1024.0;
  return r;
}

double wcFloor(const std::string& file) {
  const std::string wc = "wc -l < '" + file + "' > /dev/null";
  if (std::system(wc.c_str()) != 0) return 0;  // warms the page cache
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t0 = Clock::now();
    if (std::system(wc.c_str()) != 0) return 0;
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

// "PASSED", or the first check listed as failed ("4j"), or "no report".
std::string verdictOf(const std::string& report, std::uintmax_t* bytes) {
  std::ifstream in(report, std::ios::binary);
  *bytes = 0;
  if (!in) return "no report";
  *bytes = fs::file_size(report);
  std::string line, group;
  while (std::getline(in, line)) {
    if (line.size() > 3 && line[2] == ':' && std::isdigit(static_cast<unsigned char>(line[0])))
      group = std::to_string(std::stoi(line.substr(0, 2)));
    if (line.rfind("Failed: ", 0) == 0) return group + line.substr(8, 1);
    if (line.find("PASSED") != std::string::npos) return "PASSED";
  }
  return "?";
}

std::vector<std::int64_t> parseSizes(const std::string& text) {
  std::vector<std::int64_t> sizes;
  std::stringstream s(text);
  std::string item;
  while (std::getline(s, item, ',')) sizes.push_back(std::atoll(item.c_str()));
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> shapes;
  std::vector<std::int64_t> sizes = {1, 10};
  double timeout = 120;
  int runs = 3;
  std::string keep;
  std::string program = KORRIVAN_EXE;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--shape" && i + 1 < argc) {
      shapes.push_back(argv[++i]);
    } else if (a == "--size-mb" && i + 1 < argc) {
      sizes = parseSizes(argv[++i]);
    } else if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--timeout" && i + 1 < argc) {
      timeout = std::atof(argv[++i]);
    } else if (a == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (a == "--korrivan" && i + 1 < argc) {
      program = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: korrivan_hostile_bench [--shape NAME]... [--size-mb 1,10] [--runs 3] [--timeout SECONDS] "
                   "[--keep DIR] [--korrivan PATH]\nshapes:\n");
      for (const auto& s : korrivan::bench::hostileShapes()) std::fprintf(stderr, "  %-10s %s\n", s.name, s.what);
      return 2;
    }
  }
  if (shapes.empty())
    for (const auto& s : korrivan::bench::hostileShapes()) shapes.push_back(s.name);

  const fs::path folder =
      keep.empty() ? fs::temp_directory_path() / ("korrivan-hostile-" + std::to_string(::getpid())) : fs::path(keep);
  fs::create_directories(folder);
  std::printf("%-10s %6s %10s %9s %8s %9s %10s  %s\n", "shape", "MB", "seconds", "wc -l", "ratio", "peak MB",
              "report KB", "first failed");
  bool withinTargets = true;
  for (const std::string& shape : shapes) {
    for (std::int64_t mb : sizes) {
      const std::string file = (folder / (shape + "_" + std::to_string(mb) + "mb.las")).string();
      const std::string report = (folder / (shape + "_" + std::to_string(mb) + "mb.log")).string();
      fs::remove(report);
      const std::int64_t bytes = korrivan::bench::writeHostileLas(file, shape, mb << 20);
      const double floorSecs = wcFloor(file);
      // The best time of three runs (the machine may be busy), the largest peak.
      Run run = certify(program, file, report, timeout);
      for (int i = 1; i < runs && !run.timedOut; ++i) {
        const Run again = certify(program, file, report, timeout);
        run.seconds = std::min(run.seconds, again.seconds);
        run.peakMb = std::max(run.peakMb, again.peakMb);
      }
      std::uintmax_t reportBytes = 0;
      const std::string verdict = run.timedOut ? "timed out" : verdictOf(report, &reportBytes);
      const double ratio = floorSecs > 0 ? run.seconds / floorSecs : 0;
      std::printf("%-10s %6.1f %10.3f %9.4f %7.1fx %9.1f %10.1f  %s\n", shape.c_str(),
                  static_cast<double>(bytes) / (1 << 20), run.seconds, floorSecs, ratio, run.peakMb,
                  static_cast<double>(reportBytes) / 1024.0, verdict.c_str());
      std::fflush(stdout);
      withinTargets = withinTargets && !run.timedOut && ratio <= 20 && run.peakMb <= 64;
      if (keep.empty()) {
        fs::remove(file);
        fs::remove(report);
      }
    }
  }
  if (keep.empty()) fs::remove_all(folder);
  std::printf(withinTargets ? "every shape within 20x the floor and 64 MB\n" : "some shape missed a target\n");
  return 0;
}
