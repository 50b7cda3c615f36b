#include "las/section_cursor.h"

#include "las/section_directory.h"

namespace korrivan::las {

SectionCursor::SectionCursor(const std::string& fileName, const SectionRow& section, CursorRules rules, RunPoll poll)
    : SectionCursor(fileName, section.start, section.startLine, rules, std::move(poll)) {}

SectionCursor::SectionCursor(const std::string& fileName, std::int64_t start, std::int64_t startLine, CursorRules rules,
                             RunPoll poll)
    : src_(fileName), rules_(rules), poll_(std::move(poll)) {
  src_.seek(start, startLine);
  nextPollAt_ = start + pollBytes_;
}

void SectionCursor::pollIfDue() {
  if (!poll_ || src_.position() < nextPollAt_) return;
  nextPollAt_ = src_.position() + pollBytes_;
  poll_();
}

bool SectionCursor::next(std::string_view& line) {
  if (done_) return false;
  const bool plain = !rules_.stopAtTitle && !rules_.skipBlank && !rules_.skipComments;
  while (src_.next(line)) {
    pollIfDue();
    if (plain) return true;
    // Only the first character after leading spaces matters here.
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    const char first = i < line.size() ? line[i] : '\0';
    if (rules_.stopAtTitle && first == '~') {
      endedAtTitle_ = true;
      break;
    }
    if (rules_.skipBlank && i == line.size()) continue;
    if (rules_.skipComments && first == '#') continue;
    return true;
  }
  done_ = true;
  return false;
}

}  // namespace korrivan::las
