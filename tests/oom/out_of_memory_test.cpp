// Out of memory is a failure, never a verdict: a certification in which any
// one allocation fails ends stopped (with the command-log message) or with
// an exception its caller logs, never with a report. Every allocation of a
// certification of several cases is made to fail in turn.
//
// This program replaces operator new, so it is a test program of its own.
#include "base/out_of_memory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>

#include "run/certification.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;

namespace {

// Allocations counted while armed; the one numbered failAt fails.
struct Injection {
  bool armed = false;
  long count = 0;
  long failAt = -1;
} injection;

}  // namespace

void* operator new(std::size_t size) {
  if (injection.armed && ++injection.count == injection.failAt) {
    // What operator new does when the system refuses: the new-handler, then std::bad_alloc.
    if (std::new_handler handler = std::get_new_handler()) handler();
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
// Every allocation above comes from malloc, so free is the matching release
// (g++ cannot see that through the replaced operator new).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

enum class Ending { Verdict, Stopped, Thrown };

struct Outcome {
  Ending ending = Ending::Verdict;
  std::string result;  // the result line of a verdict
};

Outcome certifyWithFailureAt(const std::string& las, const std::string& folder, long failAt, long* allocations) {
  run::CertifyOptions options;
  options.repair = run::RepairPolicy::ReportOnly;
  options.log.programFolder = folder;
  certify::SilentHooks hooks;
  Outcome out;
  injection = {true, 0, failAt};
  try {
    const run::Certification c = run::certifyFile(las, options, hooks);
    injection.armed = false;
    if (c.end == run::CertifyEnd::Stopped)
      out.ending = Ending::Stopped;
    else
      out.result = c.resultText() + (c.anyCheckFailed() ? " " + c.firstFailure()->idText() : "");
  } catch (const std::bad_alloc&) {
    injection.armed = false;
    out.ending = Ending::Thrown;
  }
  if (allocations) *allocations = injection.count;
  return out;
}

TEST(OutOfMemory, EveryFailedAllocationEndsTheRunWithoutAVerdict) {
  test::ScratchDir dir;
  for (const char* name : {"v30/fail_08b_circular_pair.las", "v20/pass_standard.las", "v30/pass_array_channels.las",
                           "v20/fail_06c_stop_differs.las"}) {
    const fs::path source = fs::path(KORRIVAN_CASES) / name;
    if (!fs::exists(source)) continue;
    const fs::path las = dir.path() / source.filename();
    fs::copy_file(source, las, fs::copy_options::overwrite_existing);
    long allocations = 0;
    const Outcome clean = certifyWithFailureAt(las.string(), dir.path().string(), -1, &allocations);
    ASSERT_EQ(clean.ending, Ending::Verdict) << name;
    ASSERT_GT(allocations, 100) << name;
    // Every allocation of small runs; a spread of them in larger ones.
    const long step = std::max(1L, allocations / 1500);
    for (long at = 1; at <= allocations; at += step) {
      const Outcome failed = certifyWithFailureAt(las.string(), dir.path().string(), at, nullptr);
      ASSERT_NE(failed.ending, Ending::Verdict)
          << name << ": allocation " << at << " of " << allocations << " failed, yet the run gave " << failed.result;
    }
    // The command log says why the runs stopped.
    const std::string log = test::readFile((dir.path() / "command.log").string());
    EXPECT_NE(log.find("Out of memory. Error #7"), std::string::npos) << name;
  }
}

}  // namespace
