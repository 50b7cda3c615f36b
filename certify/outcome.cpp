#include "certify/outcome.h"

namespace korrivan::certify {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kMore = "(further findings of this check are not listed)";

}  // namespace

Outcome outcomeOfCell(std::string_view cell) {
  if (cell.empty()) return Outcome::Passed;
  if (cell == " ") return Outcome::NotPerformed;
  return Outcome::Failed;
}

OutcomeSlot& OutcomeSlot::operator=(std::string text) {
  text_ = std::move(text);
  findings_.clear();
  full_ = false;
  return *this;
}

OutcomeSlot& OutcomeSlot::operator+=(std::string_view entry) {
  if (full_) return *this;
  if (text_.size() + entry.size() <= kMaxText) {
    text_ += entry;
    return *this;
  }
  // Once full, the marker is the text's last line.
  full_ = true;
  if (entry.substr(0, 2) == kCrLf)
    text_.append(kCrLf).append(kMore);
  else
    text_.append(kMore).append(kCrLf);
  return *this;
}

void OutcomeSlot::append(std::string_view entry, Finding finding) {
  const bool listed = !full_;
  *this += entry;
  if (!listed || full_ || findings_.size() >= kMaxFindings) return;
  if (finding.lineText.size() > kMaxLineText) finding.lineText.resize(kMaxLineText);
  findings_.push_back(std::move(finding));
}

void OutcomeSlot::append(std::string_view entry, std::string_view message, std::int64_t line,
                         std::string_view lineText) {
  append(entry, Finding{std::string(message), line, std::string(lineText.substr(0, kMaxLineText))});
}

std::vector<Finding> OutcomeSlot::findings() const {
  if (outcome() != Outcome::Failed) return {};
  if (!findings_.empty()) return findings_;
  std::vector<Finding> pieces;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text_.find(kCrLf, from);
    std::string_view piece =
        std::string_view(text_).substr(from, at == std::string::npos ? std::string::npos : at - from);
    if (piece.find_first_not_of(' ') != std::string_view::npos) pieces.push_back({std::string(piece), 0, {}});
    if (at == std::string::npos) break;
    from = at + 2;
  }
  if (pieces.empty()) pieces.push_back({text_, 0, {}});
  return pieces;
}

bool operator==(const OutcomeSlot& slot, std::string_view text) {
  return std::string_view(slot.text()).compare(text) == 0;
}

}  // namespace korrivan::certify
