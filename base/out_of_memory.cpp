#include "base/out_of_memory.h"

#include <new>

namespace korrivan::base {

namespace {

// Per thread, so that runs on several threads do not see one another's
// failures; it only ever grows.
thread_local std::uint64_t failures = 0;

void countFailure() {
  ++failures;
  throw std::bad_alloc();
}

}  // namespace

std::uint64_t allocationFailures() { return failures; }

OutOfMemoryWatch::OutOfMemoryWatch() : start_(failures) {
  if (!std::get_new_handler()) std::set_new_handler(countFailure);
}

bool OutOfMemoryWatch::tripped() const { return failures != start_; }

}  // namespace korrivan::base
