// Benchmarks of the LAS reader against the one-pass floor of `wc -l` over the
// same file, with peak resident memory.
//
//   korrivan_bench --certify [--size-mb N] [--rounds R] [--kind K]... [--dir DIR]
//       Whole certifications of generated files of each kind (v20, v20wrap,
//       v30comma, or the --kind ones), single-threaded and with every core,
//       each in a child process of its own (for its peak memory), timed in
//       alternation with `wc -l` over the same file in the page cache.
//
//   korrivan_bench [--size-mb N] [--kind K] [--file PATH] [--keep]
//       The passes one by one: the section directory, the column-count walk,
//       the wrap detection and a whole batch certification.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/las_generator.h"
#include "certify/report.h"
#include "certify/run_hooks.h"
#include "certify/session.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "las/data_reader.h"
#include "las/section_directory.h"
#include "run/batch_run.h"
#include "run/certification.h"

extern char** environ;

using namespace korrivan;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double seconds(const std::function<void()>& work) {
  auto t0 = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

long peakRssKb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

const char* kindName(bench::LasKind kind) {
  switch (kind) {
    case bench::LasKind::V20Unwrapped: return "v20";
    case bench::LasKind::V20Wrapped: return "v20wrap";
    case bench::LasKind::V30Comma: return "v30comma";
  }
  return "?";
}

// ---- whole certifications against `wc -l` ----------------------------------------

// One `wc -l` over the file; its wall time.
double wcLines(const std::string& file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"wc", "-l", file.c_str(), nullptr};
  pid_t pid = 0;
  const auto t0 = Clock::now();
  if (posix_spawnp(&pid, "wc", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
    std::perror("wc");
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  posix_spawn_file_actions_destroy(&actions);
  return s;
}

struct RunFigures {
  double seconds = 0;
  long peakKb = 0;
  std::string result;
};

// One whole certification, report written, in a child process: wall time,
// the child's peak resident memory and the report's result line.
RunFigures certifyInChild(const std::string& file, const fs::path& folder, int threads) {
  const fs::path resultFile = folder / "result.txt";
  fs::remove(resultFile);
  const auto t0 = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    certify::SilentHooks hooks;
    run::CertifyOptions options;
    options.log.programFolder = folder.string();
    options.dataScan.threads = threads;
    const run::Certification c = run::certifyFile(file, options, hooks);
    const std::string report = certify::buildReport(c.table(), {file, c.detectedVersion, {}});
    certify::writeReport((folder / "report.log").string(), report, hooks);
    std::ofstream(resultFile) << c.resultText();
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  RunFigures f;
  f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  f.peakKb = usage.ru_maxrss;
  std::ifstream in(resultFile);
  std::getline(in, f.result);
  return f;
}

struct Series {
  std::vector<double> times, ratios;
  long peakKb = 0;
  std::string result;
};

// `floorBest`: the best `wc -l` of the run, to give best against best too.
void printSeries(const char* label, const Series& s, double floorBest) {
  const auto [tMin, tMax] = std::minmax_element(s.times.begin(), s.times.end());
  const auto [rMin, rMax] = std::minmax_element(s.ratios.begin(), s.ratios.end());
  std::printf("  %-10s %6.3f s (%6.3f..%6.3f)  %5.2fx floor (%5.2f..%5.2f), best/best %5.2fx  peak %5.1f MB  %s\n",
              label, *tMin, *tMin, *tMax, *rMin, *rMin, *rMax, *tMin / floorBest,
              static_cast<double>(s.peakKb) / 1024.0, s.result.c_str());
}

int certifyBenchmark(std::int64_t sizeMb, int rounds, const std::vector<bench::LasKind>& kinds, const fs::path& dir) {
  const unsigned cores = std::thread::hardware_concurrency();
  std::printf("whole certifications, %lld MB files, %d rounds, %u cores, load average %s\n",
              static_cast<long long>(sizeMb), rounds, cores, loadAverage().c_str());
  std::printf(
      "  (time: best (best..worst); ratio to the `wc -l` run just before it: best (best..worst); best time / best "
      "wc -l)\n");
  const fs::path folder = dir / "korrivan-bench-run";
  fs::create_directories(folder);
  for (const bench::LasKind kind : kinds) {
    const std::string file = (dir / (std::string("korrivan-bench-") + kindName(kind) + ".las")).string();
    const bench::GeneratedLas g = bench::generateLas(file, kind, sizeMb << 20);
    wcLines(file);  // reads the file into the page cache
    Series floor, single, all;
    auto timed = [&](Series& series, int threads) {
      const double wc = wcLines(file);
      floor.times.push_back(wc);
      const RunFigures f = certifyInChild(file, folder, threads);
      series.times.push_back(f.seconds);
      series.ratios.push_back(f.seconds / wc);
      series.peakKb = std::max(series.peakKb, f.peakKb);
      series.result = f.result;
    };
    for (int r = 0; r < rounds; ++r) {
      timed(single, 1);
      timed(all, 0);
    }
    fs::remove(file);
    floor.ratios.assign(floor.times.size(), 1.0);
    std::printf("%s: %.1f MB, %lld depths, %d channels\n", kindName(kind), static_cast<double>(g.bytes) / (1 << 20),
                static_cast<long long>(g.depths), g.channels);
    const double floorBest = *std::min_element(floor.times.begin(), floor.times.end());
    printSeries("wc -l", floor, floorBest);
    printSeries("1 thread", single, floorBest);
    printSeries((std::to_string(cores) + " threads").c_str(), all, floorBest);
  }
  fs::remove_all(folder);
  std::printf("load average after: %s\n", loadAverage().c_str());
  return 0;
}

// ---- the passes one by one -------------------------------------------------------

void report(const char* pass, double secs, double floorSecs, double mb) {
  std::printf("%-34s %8.3f s %9.1f MB/s %7.2fx floor\n", pass, secs, mb / secs, secs / floorSecs);
}

// CPU seconds of this process so far: in user mode (the work) and in the
// kernel (mostly copying the file's pages).
std::pair<double, double> cpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return {s(ru.ru_utime), s(ru.ru_stime)};
}

// Wall time of `work`, and its user and kernel CPU time shown beside.
double timedWithCpu(const char* pass, double floorSecs, double mb, const std::function<void()>& work) {
  const auto [u0, s0] = cpuSeconds();
  const double secs = seconds(work);
  const auto [u1, s1] = cpuSeconds();
  std::printf("%-34s %8.3f s %9.1f MB/s %7.2fx floor  (cpu: user %.3f s, kernel %.3f s)\n", pass, secs, mb / secs,
              secs / floorSecs, u1 - u0, s1 - s0);
  return secs;
}

int passBenchmark(std::int64_t sizeMb, bench::LasKind kind, std::string file, bool keep) {
  bool generated = file.empty();
  if (generated) {
    file = (fs::temp_directory_path() / "korrivan-bench.las").string();
    auto g = bench::generateLas(file, kind, sizeMb << 20);
    std::printf("generated %s: %lld bytes, %lld depths, %d channels\n", file.c_str(), static_cast<long long>(g.bytes),
                static_cast<long long>(g.depths), g.channels);
  }
  const double mb = static_cast<double>(fs::file_size(file)) / (1 << 20);
  wcLines(file);  // warms the page cache
  // The floor is the best of three runs, the file being in the page cache.
  double floorSecs = 1e9;
  for (int i = 0; i < 3; ++i) floorSecs = std::min(floorSecs, wcLines(file));
  report("wc -l (one-pass floor)", floorSecs, floorSecs, mb);

  const float version = kind == bench::LasKind::V30Comma ? 3.0f : 2.0f;
  const char delimiter = kind == bench::LasKind::V30Comma ? ',' : ' ';
  las::SectionDirectory directory;
  timedWithCpu("section directory build", floorSecs, mb, [&] { directory.locateMainSections(file, version); });
  timedWithCpu("tilde line scan", floorSecs, mb, [&] {
    if (version == 3.0f)
      checks::scanTildeLinesV3(file);
    else
      checks::scanTildeLinesV2(file);
  });

  las::DataReadContext ctx{directory, delimiter, nullptr};
  las::ColumnConsistency cc;
  double ccSecs = seconds([&] { cc = las::checkColumnCountConsistency(ctx, directory.dataSectionName); });
  report("checkColumnCountConsistency", ccSecs, floorSecs, mb);

  // The data pass as the families ask for it.
  checks::FileView view;
  view.fileName = file;
  view.version = version;
  view.delimiter = delimiter;
  view.directory.locateMainSections(file, version);
  las::parseSection(view.directory, view.curveSection, view.directory.curveSectionName, view.lineRules());
  for (int threads : {1, 0}) {
    view.dataFacts = std::make_shared<las::DataFactsCache>();
    view.scanSettings.threads = threads;
    const las::SectionRow* row = view.directory.find(view.directory.dataSectionName);
    timedWithCpu(threads == 1 ? "data pass, 1 thread" : "data pass, every core", floorSecs, mb,
                 [&] { checks::dataFactsOf(view, *row); });
  }

  las::CurveTable curves;
  las::WrapStructure wrap;
  double wrapSecs = seconds([&] { wrap = las::detectWrapStructure(ctx, 0, curves); });
  std::printf("%-34s %8.6f s (reads its line budget only)\n", "detectWrapStructure", wrapSecs);

  std::printf("column count result %lld, wrap result %d (%d lines per depth)\n", static_cast<long long>(cc.result),
              static_cast<int>(wrap.result), wrap.linesPerDepth);

  // The whole batch certification, as `korrivan FILE REPORT` runs it.
  const auto folder = fs::temp_directory_path() / "korrivan-bench-run";
  fs::create_directories(folder);
  certify::Session session;
  session.programFolder = folder.string();
  session.lasFileName = file;
  session.logFileName = (folder / "report.log").string();
  session.batch = true;
  certify::SilentHooks hooks;
  double certifySecs = seconds([&] { run::doBatchMode(session, hooks); });
  report("whole batch certification", certifySecs, floorSecs, mb);
  std::string result = "(no report)";
  if (FILE* r = std::fopen(session.logFileName.c_str(), "rb")) {
    char line[512];
    for (int i = 0; i < 4 && std::fgets(line, sizeof line, r); ++i) result = line;
    std::fclose(r);
  }
  std::printf("report: %s", result.c_str());
  std::printf("peak resident memory %.1f MB\n", static_cast<double>(peakRssKb()) / 1024.0);
  fs::remove_all(folder);
  if (generated && !keep) fs::remove(file);
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: korrivan_bench --certify [--size-mb N] [--rounds R] [--kind v20|v20wrap|v30comma]... [--dir "
               "DIR]\n"
               "       korrivan_bench [--size-mb N] [--kind v20|v20wrap|v30comma] [--file PATH] [--keep]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t sizeMb = 1024;
  int rounds = 3;
  std::vector<bench::LasKind> kinds;
  std::string file;
  fs::path dir = fs::temp_directory_path();
  bool keep = false, certify = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    bench::LasKind kind{};
    if (a == "--size-mb" && i + 1 < argc)
      sizeMb = std::atoll(argv[++i]);
    else if (a == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else if (a == "--kind" && i + 1 < argc && bench::parseLasKind(argv[i + 1], kind))
      kinds.push_back(kind), ++i;
    else if (a == "--file" && i + 1 < argc)
      file = argv[++i];
    else if (a == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else if (a == "--keep")
      keep = true;
    else if (a == "--certify")
      certify = true;
    else
      return usage();
  }
  if (certify) {
    if (kinds.empty()) kinds = {bench::LasKind::V20Unwrapped, bench::LasKind::V20Wrapped, bench::LasKind::V30Comma};
    return certifyBenchmark(sizeMb, rounds, kinds, dir);
  }
  return passBenchmark(sizeMb, kinds.empty() ? bench::LasKind::V20Unwrapped : kinds.back(), file, keep);
}
