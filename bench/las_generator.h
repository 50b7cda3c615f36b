#pragma once
// Writes synthetic, standard-conforming LAS files of about a requested size,
// with STRT and STOP matching the data, for benchmarks.
#include <cstdint>
#include <string>

namespace korrivan::bench {

enum class LasKind { V20Unwrapped, V20Wrapped, V30Comma };

struct GeneratedLas {
  std::int64_t bytes = 0;
  std::int64_t depths = 0;
  int channels = 0;
};

// Throws std::runtime_error when the file cannot be written.
GeneratedLas generateLas(const std::string& path, LasKind kind, std::int64_t targetBytes, int channels = 8);

bool parseLasKind(const std::string& text, LasKind& kind);

}  // namespace korrivan::bench
