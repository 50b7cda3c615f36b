#pragma once
// The progress line of a run on a terminal: files done and to do, files per
// second and failures so far, redrawn in place on standard error.
#include <chrono>
#include <cstddef>

namespace korrivan::cli {

class ProgressLine {
public:
  // Shown only when `shown` (standard error is a terminal and not --quiet).
  ProgressLine(bool shown, std::size_t total);

  // Redraws the line, at most ten times a second.
  void show(std::size_t done, std::size_t failures);
  // Removes the line, so that other output on the terminal starts clean.
  void clear();

private:
  bool shown_;
  bool drawn_ = false;
  std::size_t total_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace korrivan::cli
