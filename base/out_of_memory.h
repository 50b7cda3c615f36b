#pragma once
// Allocation failures seen by a run. Code that turns errors into results
// (an unreadable section read as empty, say) must not turn an allocation
// failure into a verdict; rather than trusting every such handler, a run
// watches for failures itself: operator new calls the new-handler installed
// here, which counts the failure on its thread before throwing
// std::bad_alloc, and the run compares the count before and after.
#include <cstdint>

namespace korrivan::base {

// Counts the allocation failures of this thread while it lives.
class OutOfMemoryWatch {
public:
  // Installs the counting new-handler unless the program set one of its own.
  OutOfMemoryWatch();

  // True when an allocation failed on this thread since the watch began.
  bool tripped() const;

private:
  std::uint64_t start_;
};

// The failures counted on this thread so far.
std::uint64_t allocationFailures();

}  // namespace korrivan::base
