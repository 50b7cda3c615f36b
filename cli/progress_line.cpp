#include "cli/progress_line.h"

#include <unistd.h>

#include <string>

#include "base/text_utils.h"

namespace korrivan::cli {

namespace {

void writeToStderr(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(2, text.data() + done, text.size() - done);
    if (n <= 0) return;  // a progress line is worth no retry
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

ProgressLine::ProgressLine(bool shown, std::size_t total)
    : shown_(shown), total_(total), start_(std::chrono::steady_clock::now()), lastDrawn_(start_) {}

void ProgressLine::show(std::size_t done, std::size_t failures) {
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  writeToStderr("\r" + std::to_string(done) + "/" + std::to_string(total_) + " files, " + base::fixedText(rate, 1) +
                " files/s, " + std::to_string(failures) + " not passed\033[K");
  drawn_ = true;
}

void ProgressLine::clear() {
  if (!drawn_) return;
  writeToStderr("\r\033[K");
  drawn_ = false;
}

}  // namespace korrivan::cli
