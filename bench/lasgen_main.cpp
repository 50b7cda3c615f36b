// Writes a synthetic LAS file: korrivan_lasgen PATH SIZE_MB [v20|v20wrap|v30comma]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/las_generator.h"

int main(int argc, char** argv) {
  korrivan::bench::LasKind kind = korrivan::bench::LasKind::V20Unwrapped;
  if (argc < 3 || (argc > 3 && !korrivan::bench::parseLasKind(argv[3], kind))) {
    std::fprintf(stderr, "usage: korrivan_lasgen PATH SIZE_MB [v20|v20wrap|v30comma]\n");
    return 2;
  }
  try {
    auto g = korrivan::bench::generateLas(argv[1], kind, std::atoll(argv[2]) << 20);
    std::printf("%s: %lld bytes, %lld depths\n", argv[1], static_cast<long long>(g.bytes),
                static_cast<long long>(g.depths));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korrivan_lasgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
