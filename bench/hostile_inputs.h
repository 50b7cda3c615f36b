#pragma once
// Hand-made LAS files built to make a certifier slow or hungry: each shape
// stresses one routine (a search over a long line, pair checks over many
// section titles, association walks, wrap detection, a huge curve section,
// findings that repeat a long text). Apart from that part the files are
// ordinary, so that a certification reaches the routine in question.
#include <cstdint>
#include <string>
#include <vector>

namespace korrivan::bench {

struct HostileShape {
  const char* name;
  const char* what;  // one line: the routine it stresses
};

// Every shape, in the order the benchmark runs them.
const std::vector<HostileShape>& hostileShapes();

// Writes the shape to `path`, about `targetBytes` long. Throws
// std::invalid_argument for an unknown shape and std::runtime_error when the
// file cannot be written.
std::int64_t writeHostileLas(const std::string& path, const std::string& shape, std::int64_t targetBytes);

}  // namespace korrivan::bench
