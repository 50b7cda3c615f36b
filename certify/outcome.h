#pragma once
// Result codes of check families and runs. The check table stores the
// outcome of a check as its cell text: "" passed, " " not performed,
// anything else the error text.
#include <string_view>

namespace korrivan::certify {

// What a check family returns to its driver.
enum class FamilyResult : int {
  AllPassed = -1,     // nothing to record: every check it decided passed
  Record = 1,         // record the slots
  InternalError = 0,  // stopped on an internal error; record the slots, then stop
};

// How a certification run ended.
enum class RunResult : int {
  Completed = -1,  // passed or failed
  Cancelled = 1,   // the user confirmed the cancel question
  Stopped = 0,     // stopped by an error
};

}  // namespace korrivan::certify
