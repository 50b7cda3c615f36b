#pragma once
// Outcome states of a check and the result codes of families and runs.
// The check table stores outcomes as cell texts ("" passed, " " not
// performed, anything else the error text); the conversions live here.
#include <string_view>

namespace korrivan::certify {

enum class Outcome { Passed, NotPerformed, Failed };

inline constexpr std::string_view kNotPerformed = " ";

inline Outcome outcomeOf(std::string_view cell) {
  if (cell.empty()) return Outcome::Passed;
  if (cell == kNotPerformed) return Outcome::NotPerformed;
  return Outcome::Failed;
}

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
