// Times the streaming passes of the LAS reader on one generated file against
// the one-pass floor of `wc -l`, and reports peak resident memory.
//
//   korrivan_bench [--size-mb N] [--kind v20|v20wrap|v30comma] [--file PATH] [--keep]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "run/batch_run.h"
#include "bench/las_generator.h"
#include "certify/run_hooks.h"
#include "certify/session.h"
#include "las/data_reader.h"
#include "las/section_directory.h"

using namespace korrivan;
using Clock = std::chrono::steady_clock;

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

void report(const char* pass, double secs, double floorSecs, double mb) {
  std::printf("%-34s %8.3f s %9.1f MB/s %7.2fx floor\n", pass, secs, mb / secs, secs / floorSecs);
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t sizeMb = 1024;
  bench::LasKind kind = bench::LasKind::V20Unwrapped;
  std::string file;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--size-mb" && i + 1 < argc)
      sizeMb = std::atoll(argv[++i]);
    else if (a == "--kind" && i + 1 < argc && bench::parseLasKind(argv[i + 1], kind))
      ++i;
    else if (a == "--file" && i + 1 < argc)
      file = argv[++i];
    else if (a == "--keep")
      keep = true;
    else {
      std::fprintf(stderr,
                   "usage: korrivan_bench [--size-mb N] [--kind v20|v20wrap|v30comma] [--file PATH] [--keep]\n");
      return 2;
    }
  }
  bool generated = file.empty();
  if (generated) {
    file = (std::filesystem::temp_directory_path() / "korrivan-bench.las").string();
    auto g = bench::generateLas(file, kind, sizeMb << 20);
    std::printf("generated %s: %lld bytes, %lld depths, %d channels\n", file.c_str(), static_cast<long long>(g.bytes),
                static_cast<long long>(g.depths), g.channels);
  }
  const double mb = static_cast<double>(std::filesystem::file_size(file)) / (1 << 20);
  const std::string wc = "wc -l < '" + file + "' > /dev/null";
  if (std::system(wc.c_str()) != 0) return 1;  // warms the page cache
  // The floor is the best of three runs, the file being in the page cache.
  double floorSecs = 1e9;
  for (int i = 0; i < 3; ++i) floorSecs = std::min(floorSecs, seconds([&] { std::system(wc.c_str()); }));
  report("wc -l (one-pass floor)", floorSecs, floorSecs, mb);

  const float version = kind == bench::LasKind::V30Comma ? 3.0f : 2.0f;
  const char delimiter = kind == bench::LasKind::V30Comma ? ',' : ' ';
  las::SectionDirectory directory;
  double dirSecs = seconds([&] { directory.locateMainSections(file, version); });
  report("section directory build", dirSecs, floorSecs, mb);

  las::DataReadContext ctx{directory, delimiter, nullptr};
  las::ColumnConsistency cc;
  double ccSecs = seconds([&] { cc = las::checkColumnCountConsistency(ctx, directory.dataSectionName); });
  report("checkColumnCountConsistency", ccSecs, floorSecs, mb);

  las::CurveTable curves;
  las::WrapStructure wrap;
  double wrapSecs = seconds([&] { wrap = las::detectWrapStructure(ctx, 0, curves); });
  std::printf("%-34s %8.6f s (reads its line budget only)\n", "detectWrapStructure", wrapSecs);

  std::printf("column count result %lld, wrap result %d (%d lines per depth)\n", static_cast<long long>(cc.result),
              static_cast<int>(wrap.result), wrap.linesPerDepth);

  // The whole batch certification, as `korrivan FILE REPORT` runs it.
  const auto folder = std::filesystem::temp_directory_path() / "korrivan-bench-run";
  std::filesystem::create_directories(folder);
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
  if (generated && !keep) std::filesystem::remove(file);
  return 0;
}
