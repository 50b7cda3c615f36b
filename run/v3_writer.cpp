#include "run/v3_writer.h"

#include <algorithm>
#include <array>

#include "base/run_error.h"
#include "base/text_utils.h"
#include "las/line_parser.h"
#include "las/line_source.h"

namespace korrivan::run {

using base::iequals;
using base::trimSpaces;

namespace {

// Columns of the layout (0-based): the dot after a mnemonic of up to four
// characters, the value, the colon.
constexpr std::size_t kDotColumn = 5;
constexpr std::size_t kValueColumn = 13;
constexpr std::size_t kColonColumn = 32;

// The text of a title line after its name ("" when there is none).
std::string titleRest(std::string_view title) {
  std::string_view t = trimSpaces(title);
  if (t.empty() || t.front() != '~') return "";
  t = trimSpaces(t.substr(1));
  const std::size_t end = t.find_first_of(" |");
  return end == std::string_view::npos ? "" : std::string(trimSpaces(t.substr(end)));
}

std::string readLineAt(las::LineSource& src, std::int64_t offset) {
  src.seek(offset);
  std::string_view line;
  return src.next(line) ? std::string(line) : std::string();
}

std::string withRest(std::string title, const std::string& rest) {
  if (!rest.empty()) title += " " + rest;
  return title;
}

// A field read as the data reader splits it holds the delimiter outside
// quotes; it can be written in double quotes when it holds none itself.
bool needsQuotes(std::string_view field, char delimiter) {
  if (field.find('"') != std::string_view::npos) return false;
  return field.find(delimiter) != std::string_view::npos;
}

bool isVersionKeyword(std::string_view mnemonic) {
  return iequals(mnemonic, "VERS") || iequals(mnemonic, "WRAP") || iequals(mnemonic, "DLM");
}

std::string tabsAsBlanks(std::string_view line) {
  std::string t(line);
  std::replace(t.begin(), t.end(), '\t', ' ');
  return t;
}

// A VERS, WRAP or DLM parameter line.
bool isVersionLine(std::string_view line) {
  const std::string blanks = tabsAsBlanks(line);
  return las::classifyLine(blanks) == las::LineKind::ParameterLine && isVersionKeyword(las::getMnemonic(blanks));
}

}  // namespace

SectionRole roleOfSection(std::string_view name, float version) {
  if (las::namesSection(name, "Version", version)) return SectionRole::Version;
  if (las::namesSection(name, "Well", version)) return SectionRole::Well;
  if (las::namesSection(name, "Parameter", version)) return SectionRole::Parameter;
  if (las::namesSection(name, "Curve", version)) return SectionRole::Curve;
  if (las::namesSection(name, "Other", version)) return SectionRole::Other;
  return SectionRole::Unnamed;
}

std::vector<SectionPlan> planSections(const las::SectionDirectory& input, float version, TitleStyle style,
                                      const las::SectionRow* dataRow) {
  const bool log = style == TitleStyle::Log;
  const auto& rows = input.rows();
  std::vector<SectionPlan> all;
  std::array<bool, 7> taken{};
  las::LineSource titles(input.fileName());
  for (const las::SectionRow& row : rows) {
    SectionPlan plan;
    plan.row = &row;
    const std::string original = readLineAt(titles, row.titleStart);
    const std::string rest = titleRest(original);
    // The first section standing for a standard one is that section; any
    // later one keeps its title as written.
    SectionRole role = &row == dataRow ? SectionRole::Data : roleOfSection(row.name, version);
    if (role != SectionRole::Unnamed && taken[static_cast<std::size_t>(role)]) role = SectionRole::Unnamed;
    taken[static_cast<std::size_t>(role)] = role != SectionRole::Unnamed;
    plan.role = role;
    switch (role) {
      case SectionRole::Version: plan.outputName = "Version"; break;
      case SectionRole::Well: plan.outputName = "Well"; break;
      case SectionRole::Parameter: plan.outputName = log ? "Log_Parameter" : "Parameter"; break;
      case SectionRole::Curve: plan.outputName = log ? "Log_Definition" : "Curve"; break;
      case SectionRole::Other: plan.outputName = "Other"; break;
      case SectionRole::Data: plan.outputName = log ? "Log_Data" : "ASCII"; break;
      case SectionRole::Unnamed: plan.outputName = row.name; break;
    }
    if (role == SectionRole::Data) {
      plan.title = log ? "~Log_Data | Log_Definition" : "~ASCII";
      plan.titleRemark = rest;
    } else if (role == SectionRole::Unnamed) {
      plan.title = std::string(base::trimLeadingSpaces(original));
    } else {
      plan.title = withRest("~" + plan.outputName, rest);
    }
    all.push_back(std::move(plan));
  }

  // ~Version, ~Well, parameters and curves first, wherever they stood; then
  // the other sections before the data in file order, the data section, and
  // the other sections after it.
  const auto dataAt =
      std::find_if(all.begin(), all.end(), [](const SectionPlan& p) { return p.role == SectionRole::Data; });
  auto unnamed = [](const SectionPlan& p) { return p.role == SectionRole::Other || p.role == SectionRole::Unnamed; };
  std::vector<SectionPlan> ordered;
  for (SectionRole role : {SectionRole::Version, SectionRole::Well, SectionRole::Parameter, SectionRole::Curve})
    for (const SectionPlan& p : all)
      if (p.role == role) ordered.push_back(p);
  for (auto it = all.begin(); it != dataAt; ++it)
    if (unnamed(*it)) ordered.push_back(*it);
  if (dataAt != all.end()) {
    ordered.push_back(*dataAt);
    for (auto it = std::next(dataAt); it != all.end(); ++it)
      if (unnamed(*it)) ordered.push_back(*it);
  }
  return ordered;
}

std::string layParameterLine(std::string_view mnemonic, std::string_view unit, std::string_view value,
                             std::string_view description) {
  std::string line = " ";
  line += mnemonic;
  if (line.size() < kDotColumn) line.resize(kDotColumn, ' ');
  line += '.';
  line += unit;
  line += ' ';  // a value right after the dot would read as a unit
  if (line.size() < kValueColumn) line.resize(kValueColumn, ' ');
  line += value;
  if (!value.empty()) line += ' ';
  if (line.size() < kColonColumn) line.resize(kColonColumn, ' ');
  line += ':';
  if (!description.empty()) {
    line += ' ';
    line += description;
  }
  return line;
}

std::string_view usualWellDescription(std::string_view mnemonic) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kUsual{{
      {"COMP", "COMPANY"},
      {"WELL", "WELL"},
      {"FLD", "FIELD"},
      {"LOC", "LOCATION"},
      {"PROV", "PROVINCE"},
      {"CNTY", "COUNTY"},
      {"STAT", "STATE"},
      {"CTRY", "COUNTRY"},
      {"SRVC", "SERVICE COMPANY"},
      {"DATE", "LOG DATE"},
      {"UWI", "UNIQUE WELL ID"},
      {"API", "API NUMBER"},
      {"LIC", "LICENCE NUMBER"},
  }};
  for (const auto& [m, d] : kUsual)
    if (iequals(m, mnemonic)) return d;
  return "";
}

std::optional<RelaidLine> relayParameterLine(std::string_view line, bool moveWellValue) {
  const std::string t = tabsAsBlanks(line);
  if (las::classifyLine(t) != las::LineKind::ParameterLine) return std::nullopt;
  const std::string mnemonic = las::getMnemonic(t);
  const std::string unit = las::getUnit(t);
  std::string value = las::getValue(t);
  // Everything after the colon is kept, also what a reader takes for no
  // part of the description (text after "{" or "|").
  const std::int64_t colon = las::findDescriptionColon(t);
  std::string description(trimSpaces(std::string_view(t).substr(static_cast<std::size_t>(colon))));
  RelaidLine out;
  if (moveWellValue && value.empty()) {
    const std::string_view usual = usualWellDescription(mnemonic);
    if (!usual.empty()) {
      value = std::move(description);
      description = std::string(usual);
      out.valueMoved = true;
    }
  }
  out.text = layParameterLine(mnemonic, unit, value, description);
  return out;
}

std::string_view RecordFormatter::format(std::string_view record) {
  // Most records hold neither a double quote nor the delimiter: their
  // fields are the runs of characters between blanks.
  const bool plain = record.find('"') == std::string_view::npos &&
                     (delimiter_ == ' ' || record.find(delimiter_) == std::string_view::npos);
  if (plain) {
    // A record's text has no blanks at either end: its fields are one more
    // than the places where a blank is followed by something else.
    const char* p = record.data();
    const std::size_t size = record.size();
    std::size_t n = size > 0 ? 1 : 0;
    if (delimiter_ == ' ') {
      for (std::size_t i = 1; i < size; ++i) n += static_cast<std::size_t>((p[i - 1] == ' ') & (p[i] != ' '));
      fields_ = n;
      return record;
    }
    line_.resize(size);
    char* o = line_.data();
    bool blank = false;
    for (std::size_t i = 0; i < size; ++i) {
      const char c = p[i];
      const bool isBlank = c == ' ';
      if (!isBlank)
        *o++ = c;
      else if (!blank)
        *o++ = delimiter_;
      n += static_cast<std::size_t>(blank & !isBlank);
      blank = isBlank;
    }
    line_.resize(static_cast<std::size_t>(o - line_.data()));
    fields_ = n;
    return line_;
  }
  if (delimiter_ == ' ') {
    fields_ = forEachBlankSeparatedField(record, [](std::string_view) {});
    return record;
  }
  line_.clear();
  std::size_t n = 0;
  fields_ = forEachBlankSeparatedField(record, [&](std::string_view field) {
    if (n++ > 0) line_ += delimiter_;
    if (needsQuotes(field, delimiter_)) {
      line_ += '"';
      line_ += field;
      line_ += '"';
      ++quoted_;
    } else {
      line_ += field;
    }
  });
  return line_;
}

Version3Writer::Version3Writer(Input input, const ConversionOptions& options, LineWriter& out, las::RunPoll poll)
    : in_(std::move(input)),
      options_(options),
      out_(out),
      poll_(std::move(poll)),
      delimiter_(delimiterChar(options.delimiter)),
      formatter_(delimiter_),
      source_(in_.fileName) {
  plan_ = planSections(*in_.directory, in_.version, options.titles, in_.dataRow);
}

void Version3Writer::writeHeader() {
  const auto& rows = in_.directory->rows();
  // Lines before the first title stay at the top; a VERS, WRAP or DLM line
  // among them becomes a comment, so that the version read is the new one.
  {
    las::LineSource& src = source_;
    src.seek(0);
    const std::int64_t end = rows.empty() ? src.fileSize() : rows.front().titleStart;
    std::string_view line;
    while (src.position() < end && src.next(line)) {
      if (src.truncated()) throw base::RunError(base::err::Overflow);
      writeLine(isVersionLine(line) ? "#" + std::string(line) : std::string(line));
    }
  }
  const bool versionSection =
      std::any_of(plan_.begin(), plan_.end(), [](const SectionPlan& p) { return p.role == SectionRole::Version; });
  if (!versionSection) {
    writeLine("~Version");
    writeVersionLines();
  }
  for (const SectionPlan& plan : plan_) {
    if (plan.role == SectionRole::Data) {
      writeLine(plan.title);
      if (!plan.titleRemark.empty()) writeLine("# " + plan.titleRemark);
      data_.section = true;
      data_.sectionName = plan.outputName;
      return;
    }
    writeSection(plan);
  }
}

void Version3Writer::writeTrailingSections() {
  auto it = std::find_if(plan_.begin(), plan_.end(), [](const SectionPlan& p) { return p.role == SectionRole::Data; });
  if (it == plan_.end()) return;
  for (++it; it != plan_.end(); ++it) writeSection(*it);
}

void Version3Writer::writeVersionLines() {
  writeLine(layParameterLine("VERS", "", "3.0", "CWLS LOG ASCII STANDARD - VERSION 3.0"));
  writeLine(layParameterLine("WRAP", "", "NO", "ONE LINE PER DEPTH STEP"));
  writeLine(layParameterLine("DLM", "", dlmWord(options_.delimiter), "DELIMITING CHARACTER BETWEEN DATA COLUMNS"));
}

void Version3Writer::writeSection(const SectionPlan& plan) {
  writeLine(plan.title);
  const bool keepAsWritten = plan.role == SectionRole::Other || plan.role == SectionRole::Unnamed;
  const bool moveWellValues = plan.role == SectionRole::Well && in_.version == 1.2f;
  if (plan.role == SectionRole::Version) writeVersionLines();
  source_.seek(plan.row->start);
  std::int64_t nextPoll = plan.row->start + las::SectionCursor::kPollBytes;
  std::string_view line;
  while (source_.next(line)) {
    if (source_.truncated()) throw base::RunError(base::err::Overflow);
    const std::string_view t = trimSpaces(line);
    if (!t.empty() && t.front() == '~') break;
    if (poll_ && source_.position() >= nextPoll) {
      nextPoll = source_.position() + las::SectionCursor::kPollBytes;
      poll_();
    }
    if (keepAsWritten || t.empty() || t.front() == '#') {
      writeLine(line);
      continue;
    }
    if (plan.role == SectionRole::Version && isVersionLine(line)) {
      // The version 1.2/2.0 VERS and WRAP lines stay as comments.
      writeLine("#" + std::string(line));
      continue;
    }
    if (auto relaid = relayParameterLine(line, moveWellValues)) {
      moved_ += relaid->valueMoved ? 1 : 0;
      writeLine(relaid->text);
    } else {
      writeLine(line);
    }
  }
}

void Version3Writer::writeLine(std::string_view line) {
  out_.line(line);
  probe_.line(line);
  ++headerLines_;
}

void Version3Writer::leadingLine(std::string_view line) { writeLine(line); }

void Version3Writer::droppedLine(std::string_view) { ++data_.dropped; }

void Version3Writer::record(std::string_view text) {
  const std::string_view line = formatter_.format(text);
  out_.line(line);
  probe_.record(line, formatter_.fieldCount(), delimiter_);
  ++data_.records;
  data_.values += static_cast<std::int64_t>(formatter_.fieldCount());
}

void OutputProbe::line(std::string_view text) {
  if (full_ || text_.size() + text.size() + 2 > kMaxSize) {
    full_ = true;
    return;
  }
  text_ += text;
  text_ += "\r\n";
}

void OutputProbe::record(std::string_view text, std::size_t values, char delimiter) {
  bool telling = false;
  if (records_++ == 0) {
    firstValues_ = values;
    telling = true;
  }
  if (!lackingKept_ && records_ > 1 && text.find(delimiter) == std::string_view::npos) telling = lackingKept_ = true;
  if (!differingKept_ && values != firstValues_) telling = differingKept_ = true;
  if (!tildeKept_ && text.find('~') != std::string_view::npos) telling = tildeKept_ = true;
  if (telling) line(text);
}

std::optional<std::string_view> OutputProbe::text() const {
  if (full_) return std::nullopt;
  return std::string_view(text_);
}

}  // namespace korrivan::run
