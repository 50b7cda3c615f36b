#include "certify/outcome.h"

namespace korrivan::certify {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kMore = kFindingsNotListed;

}  // namespace

Outcome outcomeOfCell(std::string_view cell) {
  if (cell.empty()) return Outcome::Passed;
  if (cell == " ") return Outcome::NotPerformed;
  return Outcome::Failed;
}

OutcomeSlot& OutcomeSlot::operator=(std::string text) {
  findings_.clear();
  findingsBytes_ = 0;
  full_ = false;
  if (text.size() <= kMaxText) {
    text_ = std::move(text);
    return *this;
  }
  // Keep the whole lines that fit, then the marker as the last line.
  const std::size_t lineEnd = std::string_view(text).substr(0, kMaxText).rfind(kCrLf);
  text.resize(lineEnd == std::string::npos ? 0 : lineEnd + kCrLf.size());
  text.append(kMore).append(kCrLf);
  text_ = std::move(text);
  full_ = true;
  return *this;
}

OutcomeSlot& OutcomeSlot::operator+=(std::string_view entry) {
  if (full_) return *this;
  if (text_.size() + entry.size() <= kMaxText) {
    text_ += entry;
    return *this;
  }
  markFull(entry.substr(0, 2) == kCrLf);
  return *this;
}

OutcomeSlot& OutcomeSlot::operator+=(std::initializer_list<std::string_view> pieces) {
  if (full_) return *this;
  std::size_t size = 0;
  for (std::string_view p : pieces) size += p.size();
  if (text_.size() + size <= kMaxText) {
    for (std::string_view p : pieces) text_ += p;
    return *this;
  }
  std::string start;  // the entry's first two characters
  for (std::string_view p : pieces) start.append(p.substr(0, 2 - start.size()));
  markFull(start == kCrLf);
  return *this;
}

void OutcomeSlot::markFull(bool entriesBeginWithLineEnd) {
  // Once full, the marker is the text's last line.
  full_ = true;
  if (entriesBeginWithLineEnd)
    text_.append(kCrLf).append(kMore);
  else
    text_.append(kMore).append(kCrLf);
}

void OutcomeSlot::append(std::string_view entry, Finding finding) {
  if (finding.lineText.size() > kMaxLineText) finding.lineText.resize(kMaxLineText);
  const bool kept = keepsFinding(entry, finding.message.size() + finding.lineText.size());
  *this += entry;
  if (!kept) return;
  findingsBytes_ += finding.message.size() + finding.lineText.size();
  findings_.push_back(std::move(finding));
}

void OutcomeSlot::append(std::string_view entry, std::string_view message, std::int64_t line,
                         std::string_view lineText) {
  lineText = lineText.substr(0, kMaxLineText);
  const bool kept = keepsFinding(entry, message.size() + lineText.size());
  *this += entry;
  if (!kept) return;
  findingsBytes_ += message.size() + lineText.size();
  findings_.push_back(Finding{std::string(message), line, std::string(lineText)});
}

void OutcomeSlot::append(std::initializer_list<std::string_view> message, std::string_view after, std::int64_t line,
                         std::string_view lineText) {
  if (full_) return;
  std::size_t size = after.size();
  std::string start;  // the entry's first two characters
  for (std::string_view p : message) {
    size += p.size();
    start.append(p.substr(0, 2 - start.size()));
  }
  start.append(after.substr(0, 2 - start.size()));
  if (text_.size() + size > kMaxText) {
    markFull(start == kCrLf);
    return;
  }
  std::string text;
  for (std::string_view p : message) text += p;
  append(text + std::string(after), text, line, lineText);
}

bool OutcomeSlot::keepsFinding(std::string_view entry, std::size_t findingBytes) const {
  return !full_ && text_.size() + entry.size() <= kMaxText && findings_.size() < kMaxFindings &&
         findingsBytes_ + findingBytes <= kMaxFindingsBytes;
}

std::vector<Finding> OutcomeSlot::findings() const {
  if (outcome() != Outcome::Failed) return {};
  if (!findings_.empty()) return findings_;
  // One finding per piece of the text, as many as a slot keeps.
  std::vector<Finding> pieces;
  std::size_t from = 0, bytes = 0;
  for (;;) {
    const std::size_t at = text_.find(kCrLf, from);
    std::string_view piece =
        std::string_view(text_).substr(from, at == std::string::npos ? std::string::npos : at - from);
    if (piece.find_first_not_of(' ') != std::string_view::npos) {
      if (pieces.size() >= kMaxFindings || bytes + piece.size() > kMaxFindingsBytes) break;
      bytes += piece.size();
      pieces.push_back({std::string(piece), 0, {}});
    }
    if (at == std::string::npos) break;
    from = at + 2;
  }
  if (pieces.empty()) pieces.push_back({text_.substr(0, kMaxFindingsBytes), 0, {}});
  return pieces;
}

bool operator==(const OutcomeSlot& slot, std::string_view text) {
  return std::string_view(slot.text()).compare(text) == 0;
}

}  // namespace korrivan::certify
