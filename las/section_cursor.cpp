#include "las/section_cursor.h"

#include "base/text_utils.h"
#include "las/section_directory.h"

namespace korrivan::las {

using namespace korrivan::base;

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
  while (src_.next(line)) {
    pollIfDue();
    std::string_view t = trimSpaces(line);
    if (rules_.stopAtTitle && !t.empty() && t.front() == '~') {
      endedAtTitle_ = true;
      break;
    }
    if (rules_.skipBlank && t.empty()) continue;
    if (rules_.skipComments && !t.empty() && t.front() == '#') continue;
    return true;
  }
  done_ = true;
  return false;
}

}  // namespace korrivan::las
