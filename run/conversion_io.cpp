#include "run/conversion_io.h"

#include "base/run_error.h"
#include "base/text_utils.h"
#include "las/line_source.h"

namespace korrivan::run {

void LineWriter::line(std::string_view text) {
  buffer_ += text;
  buffer_ += "\r\n";
  ++lines_;
  if (buffer_.size() >= kBlock) flush();
}

void LineWriter::flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_);
  buffer_.clear();
}

bool RecordJoiner::add(std::string_view line) {
  if (count_ == 0) buffer_.clear();
  if (line.empty() || line.front() != ' ') buffer_ += ' ';
  buffer_ += line;
  // The depth line is padded to 13 characters.
  if (count_ == 0 && line.size() < kDepthWidth) buffer_.append(kDepthWidth - line.size(), ' ');
  return ++count_ == linesPerDepth_;
}

std::string_view RecordJoiner::take() {
  taken_.swap(buffer_);
  buffer_.clear();
  count_ = 0;
  return base::trimSpaces(taken_);
}

DataWalk walkDataSection(const std::string& fileName, std::int64_t start, int linesPerDepth,
                         const std::vector<DataEvents*>& sinks, const WalkPoll& poll) {
  DataWalk walk;
  las::LineSource src(fileName);
  src.seek(start);
  RecordJoiner joiner(linesPerDepth);
  std::int64_t nextPoll = start + kWalkPollBytes;
  auto recorded = [&](std::string_view text) {
    for (DataEvents* sink : sinks) sink->record(text);
    ++walk.records;
    if (poll && src.position() >= nextPoll) {
      nextPoll = src.position() + kWalkPollBytes;
      poll(src.position());
    }
  };
  std::string_view line;
  while (src.next(line)) {
    if (src.truncated())
      throw base::RunError(base::err::Overflow, "A data line of " + std::to_string(src.lineLength()) +
                                                    " bytes is too long to be converted whole");
    const std::string_view t = base::trimLeadingSpaces(line);
    if (!t.empty() && t.front() == '~') {
      walk.end = src.lineStart();
      break;
    }
    if (t.empty() || t.front() == '#') {
      for (DataEvents* sink : sinks) {
        if (walk.records == 0 && !joiner.holdsLines())
          sink->leadingLine(line);
        else
          sink->droppedLine(line);
      }
      continue;
    }
    if (linesPerDepth <= 1)
      recorded(base::trimSpaces(line));  // a record of one line is that line without its outer blanks
    else if (joiner.add(line))
      recorded(joiner.take());
  }
  if (joiner.holdsLines()) recorded(joiner.take());
  if (poll) poll(src.position());
  return walk;
}

}  // namespace korrivan::run
