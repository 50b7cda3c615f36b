// Times the conversions of one generated wrapped version 2.0 file against the
// one-pass floor of `wc -l` (and a copy of the file, which writes as much as
// a conversion does), each in a child process whose peak resident memory is
// reported.
//
//   korrivan_convert_bench [--size-mb N] [--kind v20wrap|v20] [--file PATH] [--keep]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "bench/las_generator.h"
#include "certify/run_hooks.h"
#include "run/conversion.h"

using namespace korrivan;
using Clock = std::chrono::steady_clock;

namespace {

struct Pass {
  double seconds = 0;
  double peakMb = 0;
  bool ok = false;
};

// Runs the work in a child process: its time and its own peak resident memory.
Pass inChild(const std::function<bool()>& work) {
  const auto t0 = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(work() ? 0 : 1);
  int status = 0;
  rusage ru{};
  ::wait4(pid, &status, 0, &ru);
  Pass p;
  p.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  p.peakMb = static_cast<double>(ru.ru_maxrss) / 1024.0;
  p.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return p;
}

void report(const char* pass, const Pass& p, double floorSecs, double mb) {
  std::printf("%-36s %8.3f s %9.1f MB/s %7.2fx floor  peak %6.1f MB%s\n", pass, p.seconds, mb / p.seconds,
              p.seconds / floorSecs, p.peakMb, p.ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t sizeMb = 1024;
  bench::LasKind kind = bench::LasKind::V20Wrapped;
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
      std::fprintf(stderr, "usage: korrivan_convert_bench [--size-mb N] [--kind v20wrap|v20] [--file PATH] [--keep]\n");
      return 2;
    }
  }
  const auto folder = std::filesystem::temp_directory_path();
  const bool generated = file.empty();
  if (generated) {
    file = (folder / "korrivan-convert-bench.las").string();
    auto g = bench::generateLas(file, kind, sizeMb << 20);
    std::printf("generated %s: %lld bytes, %lld depths, %d channels\n", file.c_str(), static_cast<long long>(g.bytes),
                static_cast<long long>(g.depths), g.channels);
  }
  const std::string out = (folder / "korrivan-convert-bench-out.las").string();
  const double mb = static_cast<double>(std::filesystem::file_size(file)) / (1 << 20);
  const std::string wc = "wc -l < '" + file + "' > /dev/null";
  if (std::system(wc.c_str()) != 0) return 1;  // warms the page cache
  Pass floor;
  floor.seconds = 1e9;
  for (int i = 0; i < 3; ++i) {
    Pass p = inChild([&] { return std::system(wc.c_str()) == 0; });
    if (p.seconds < floor.seconds) floor = p;
  }
  report("wc -l (one-pass floor)", floor, floor.seconds, mb);
  // Reading and writing the file once, synced as the conversions sync their output.
  const std::string cp = "cp '" + file + "' '" + out + "' && sync '" + out + "'";
  report("cp + sync (read and write once)", inChild([&] { return std::system(cp.c_str()) == 0; }), floor.seconds, mb);

  auto convert = [&](run::TitleStyle titles, run::DataDelimiter delimiter) {
    return inChild([&] {
      certify::SilentHooks hooks;
      const run::ConversionReport r = run::convertToVersion3(file, out, {titles, delimiter, ""}, hooks);
      if (r.end != run::ConversionEnd::Written) std::fprintf(stderr, "%s\n", r.message.c_str());
      return r.end == run::ConversionEnd::Written;
    });
  };
  report("convertToVersion3 (SPACE, ~ASCII)", convert(run::TitleStyle::Short, run::DataDelimiter::Space), floor.seconds,
         mb);
  std::printf("%-36s %8.1f MB written\n", "", static_cast<double>(std::filesystem::file_size(out)) / (1 << 20));
  report("convertToVersion3 (COMMA, ~Log_Data)", convert(run::TitleStyle::Log, run::DataDelimiter::Comma),
         floor.seconds, mb);
  const Pass unwrap = inChild([&] {
    certify::SilentHooks hooks;
    return run::unwrapFile(file, out, hooks).end == run::ConversionEnd::Written;
  });
  report("unwrapFile", unwrap, floor.seconds, mb);

  std::filesystem::remove(out);
  if (generated && !keep) std::filesystem::remove(file);
  return 0;
}
