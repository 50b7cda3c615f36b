#include "run/conversion.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>

#include "base/file_names.h"
#include "base/las_file_lock.h"
#include "base/program_folders.h"
#include "base/text_utils.h"
#include "certify/check_table.h"
#include "certify/command_log.h"
#include "certify/prechecks.h"
#include "checks/family.h"
#include "las/data_reader.h"
#include "las/line_parser.h"
#include "las/line_source.h"
#include "run/conversion_io.h"
#include "run/v3_writer.h"
#include "tools/header_line_editor.h"

namespace korrivan::run {

using base::RunError;
using certify::RunHooks;

char delimiterChar(DataDelimiter delimiter) {
  switch (delimiter) {
    case DataDelimiter::Tab: return '\t';
    case DataDelimiter::Comma: return ',';
    case DataDelimiter::Space: break;
  }
  return ' ';
}

std::string_view dlmWord(DataDelimiter delimiter) {
  switch (delimiter) {
    case DataDelimiter::Tab: return "TAB";
    case DataDelimiter::Comma: return "COMMA";
    case DataDelimiter::Space: break;
  }
  return "SPACE";
}

int UnwrapReport::code() const {
  switch (end) {
    case ConversionEnd::Written:
    case ConversionEnd::NothingToDo: return -1;
    case ConversionEnd::Cancelled: return 1;
    case ConversionEnd::Refused:
    case ConversionEnd::Failed: break;
  }
  return 0;
}

int ConversionReport::code() const { return end == ConversionEnd::Written ? 0 : 1; }

std::string ExpectedFailure::idText() const { return std::to_string(group) + certify::rowLetter(row); }

std::string unexpectedErrorText(const std::string& description) {
  return "An unknown error has occured while converting the file. The file conversion is likely incomplete. The "
         "system error message was: \r\n\r\n" +
         description + "\r\n";
}

std::string keptUnwrapCopyPath(const std::string& programFolder) {
  // An installed program never writes beside itself.
  if (!programFolder.empty() && base::installedDataFolder(programFolder).empty() &&
      ::access(programFolder.c_str(), W_OK | X_OK) == 0)
    return programFolder + "/" + kKeptUnwrapName;
  const std::string state = certify::privateStateFolder();
  return state.empty() ? "" : state + "/" + kKeptUnwrapName;
}

namespace {

constexpr int kEmptyValueColumn = 17;  // where the header-line editor places a value in ~Version

// Between records: window events run, ESC ends the conversion, progress moves.
class ConversionPoll {
public:
  ConversionPoll(RunHooks& hooks, std::int64_t total, std::string caption)
      : hooks_(hooks), total_(total > 0 ? total : 1), caption_(std::move(caption)) {}

  void operator()(std::int64_t offset) {
    hooks_.letEventsRun();
    if (hooks_.cancelRequested()) throw base::RunCancelled{};
    const int percent = static_cast<int>(std::clamp<std::int64_t>(offset * 100 / total_, 0, 100));
    if (percent != shown_ && hooks_.interactive()) hooks_.showProgress(percent, caption_);
    shown_ = percent;
  }
  void check() { (*this)(offset_); }
  WalkPoll walk() {
    return [this](std::int64_t offset) {
      offset_ = offset;
      (*this)(offset);
    };
  }
  las::RunPoll cursor() {
    return [this] { check(); };
  }

private:
  RunHooks& hooks_;
  std::int64_t total_;
  std::string caption_;
  std::int64_t offset_ = 0;
  int shown_ = -1;
};

// Runs of Korrivan on one file take turns; a file converted onto itself is
// held exclusively until its new content is in place.
void lockSource(base::LasFileLock& lock, bool exclusive) {
  if (exclusive) {
    lock.lockExclusive();
    return;
  }
  if (!lock.lockShared()) throw RunError(base::err::PermissionDenied, "The LAS file is locked by another program");
}

void copyLinesFrom(const std::string& fileName, std::int64_t offset, LineWriter& out) {
  las::LineSource src(fileName);
  src.seek(offset);
  std::string_view line;
  while (src.next(line)) {
    if (src.truncated()) throw RunError(base::err::Overflow);
    out.line(line);
  }
}

// Copies the lines before the data, up to and including the data section's
// title line, with the value of the first WRAP line of ~Version set to NO
// by the header-line editor's rule. True when WRAP was set.
bool copyHeaderSettingWrapNo(const std::string& fileName, const las::SectionDirectory& directory,
                             const las::SectionRow& dataRow, LineWriter& out) {
  const las::SectionRow* version = directory.findStandard("Version");
  std::int64_t versionEnd = -1;
  if (version) {
    versionEnd = std::numeric_limits<std::int64_t>::max();
    for (const las::SectionRow& r : directory.rows())
      if (r.titleStart > version->titleStart) {
        versionEnd = r.titleStart;
        break;
      }
  }
  bool edited = false;
  las::LineSource src(fileName);
  std::string_view line;
  while (src.position() < dataRow.start && src.next(line)) {
    if (src.truncated()) throw RunError(base::err::Overflow);
    if (!edited && version && src.lineStart() >= version->start && src.lineStart() < versionEnd &&
        las::classifyLine(line) == las::LineKind::ParameterLine && base::iequals(las::getMnemonic(line), "WRAP")) {
      const std::string wrapNo = tools::replaceValueField(line, "NO", kEmptyValueColumn);
      if (!wrapNo.empty()) {
        out.line(wrapNo);
        edited = true;
        continue;
      }
    }
    out.line(line);
  }
  return edited;
}

// The unwrapped file's records: every blank and comment line among the
// data is left out.
class UnwrapSink : public DataEvents {
public:
  explicit UnwrapSink(LineWriter& out) : out_(out) {}
  void leadingLine(std::string_view) override { ++dropped_; }
  void droppedLine(std::string_view) override { ++dropped_; }
  void record(std::string_view text) override { out_.line(text); }
  std::int64_t dropped() const { return dropped_; }

private:
  LineWriter& out_;
  std::int64_t dropped_ = 0;
};

// The unwrapped copy kept beside a conversion. It is a by-product: when it
// cannot be written it is given up, and the conversion goes on.
class KeptCopy : public DataEvents {
public:
  KeptCopy(const std::string& path, base::FileWriteOps& ops) {
    try {
      file_.emplace(path, base::IdentityPolicy::BestEffort, ops);
      lines_.emplace(*file_);
      sink_.emplace(*lines_);
    } catch (const std::exception& e) {
      giveUp(e);
    }
  }

  template <typename Work>
  void guarded(Work work) {
    if (!lines_) return;
    try {
      work(*lines_);
    } catch (const RunError& e) {
      giveUp(e);
    }
  }
  void leadingLine(std::string_view line) override {
    guarded([&](LineWriter&) { sink_->leadingLine(line); });
  }
  void droppedLine(std::string_view line) override {
    guarded([&](LineWriter&) { sink_->droppedLine(line); });
  }
  void record(std::string_view text) override {
    guarded([&](LineWriter&) { sink_->record(text); });
  }
  // True when the copy is in place.
  bool commit() {
    guarded([&](LineWriter& lines) {
      lines.flush();
      file_->commit(false);
      committed_ = true;
    });
    return committed_;
  }
  const std::string& problem() const { return problem_; }

private:
  void giveUp(const std::exception& e) {
    problem_ = base::pendingError(e).text;
    sink_.reset();
    lines_.reset();
    file_.reset();  // removes the temporary file
  }

  std::optional<base::FileReplacement> file_;
  std::optional<LineWriter> lines_;
  std::optional<UnwrapSink> sink_;
  std::string problem_;
  bool committed_ = false;
};

void showUnexpectedError(RunHooks& hooks, const std::string& description) {
  if (!hooks.interactive()) return;
  hooks.messageBox(certify::MessageIcon::Critical, kUnexpectedErrorTitle, unexpectedErrorText(description),
                   certify::MessageButtons::Ok, certify::MessageAnswer::Ok);
}

const las::SectionRow* logDataRow(const las::SectionDirectory& directory) {
  for (const las::SectionRow& r : directory.rows())
    if (base::iequals(r.baseName, "Log_Data")) return &r;
  return nullptr;
}

std::string errorLine(const base::PendingError& e) {
  return e.text + (e.number ? " (error " + std::to_string(e.number) + ")" : "");
}

// ---- what the certification of the output will find ----------------------------

using certify::OutcomeSlots;

OutcomeSlots presetSlots(const certify::CheckTable& catalogue, int group) {
  OutcomeSlots slots;
  for (int k = 1; k <= certify::kLastRow; ++k)
    if (!catalogue.checkName(group, k).empty()) slots[static_cast<std::size_t>(k)] = " ";
  return slots;
}

std::string reasonOf(const certify::OutcomeSlot& slot) {
  if (slot.outcome() == certify::Outcome::NotPerformed) return "not performed";
  std::string text(base::trimSpaces(base::replaceAll(base::replaceAll(slot.text(), "\r\n", " "), "  ", " ")));
  constexpr std::size_t kShown = 200;
  if (text.size() > kShown) text = text.substr(0, kShown) + " ...";
  return text;
}

// The probe of the output as a file of its own, in memory; the output
// itself when the probe cannot be made.
class ProbeFile {
public:
  ProbeFile(const OutputProbe& probe, const std::string& output) : path_(output) {
    const std::optional<std::string_view> text = probe.text();
    if (!text) return;
    fd_ = ::memfd_create("korrivan-probe", MFD_CLOEXEC);
    if (fd_ < 0) return;
    for (std::size_t done = 0; done < text->size();) {
      const ssize_t n = ::write(fd_, text->data() + done, text->size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd_);
    if (base::fileExists(path)) path_ = path;
  }
  ~ProbeFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ProbeFile(const ProbeFile&) = delete;
  ProbeFile& operator=(const ProbeFile&) = delete;
  const std::string& path() const { return path_; }

private:
  int fd_ = -1;
  std::string path_;
};

// The version 3.0 checks of the output, but for the index range checks
// (which judge the input's data against its ~Well): made on the probe of
// the output as the certification makes them.
std::vector<ExpectedFailure> examineOutput(const std::string& output, const Version3Writer& writer) {
  const ProbeFile probe(writer.probe(), output);
  checks::FileView view;
  view.fileName = probe.path();
  view.version = 3.0f;
  view.directory.locateMainSections(view.fileName, 3.0f);
  view.delimiter = checks::delimiterFromDlm(checks::readHeaderValue(view.directory, "DLM", "Version", 3.0f).value);
  const las::LineRules rules = view.lineRules();
  las::parseSection(view.directory, view.versionSection, "Version", rules);
  las::parseSection(view.directory, view.wellSection, "Well", rules);
  if (!view.directory.curveSectionName.empty())
    las::parseSection(view.directory, view.curveSection, view.directory.curveSectionName, rules);
  if (!view.directory.parameterSectionName.empty())
    las::parseSection(view.directory, view.parameterSection, view.directory.parameterSectionName, rules);

  const certify::CheckTable catalogue =
      certify::catalogueTable(certify::CatalogueKind::Version3, view.directory.dataSectionName, false);
  checks::Handover handover;
  std::vector<std::pair<int, OutcomeSlots>> groups;

  OutcomeSlots files;
  const std::string name = base::nameOfPath(output);
  if (name.size() < 5)
    files[6] = "File name is illegal and/or extension is not .LAS";
  else if (!base::iendsWith(name, ".las"))
    files[6] = "File extension is not .LAS ";
  files[7] = checks::scanTildeLinesV3(view.fileName).text;
  groups.emplace_back(1, files);
  const std::pair<int, checks::Family> families[] = {{2, checks::checkVersionSection}, {3, checks::checkSectionTitles},
                                                     {4, checks::checkLineSyntax3},    {5, checks::checkWellSectionV3},
                                                     {7, checks::checkColumnData},     {8, checks::checkAssociations},
                                                     {9, checks::checkArrayChannels}};
  for (const auto& [group, family] : families) {
    OutcomeSlots slots = presetSlots(catalogue, group);
    if (checks::invokeFamily(family, view, handover, slots) == certify::FamilyResult::InternalError)
      throw RunError(handover.familyError.number, handover.familyError.text);
    groups.emplace_back(group, slots);
  }

  std::vector<ExpectedFailure> expected;
  for (const auto& [group, slots] : groups)
    for (int k = 1; k <= certify::kLastRow; ++k) {
      const certify::OutcomeSlot& slot = slots[static_cast<std::size_t>(k)];
      if (slot.empty() || catalogue.checkName(group, k).empty()) continue;
      expected.push_back({group, k, catalogue.checkName(group, k), reasonOf(slot)});
    }
  return expected;
}

// Ends a conversion on a run-time error or a cancel: the box in the window.
template <typename Report>
void endOnError(Report& report, RunHooks& hooks, const std::exception* error) {
  if (error) {
    report.end = ConversionEnd::Failed;
    report.error = base::pendingError(*error);
    report.message = errorLine(report.error);
  } else {
    report.end = ConversionEnd::Cancelled;
    report.message = "The conversion was cancelled.";
  }
  showUnexpectedError(hooks, error ? report.error.text : std::string());
  report.errorBoxShown = hooks.interactive();
  hooks.clearCancel();
}

}  // namespace

UnwrapReport unwrapFile(const std::string& source, const std::string& destination, RunHooks& hooks,
                        base::FileWriteOps& ops) {
  UnwrapReport report;
  if (!base::fileExists(source)) {
    report.end = ConversionEnd::Refused;
    report.message = "The LAS file does not exist.";
    return report;
  }
  certify::BusyPointer busy(hooks);
  hooks.clearCancel();
  try {
    const bool self = base::namesSameFile(source, destination);
    base::LasFileLock lock(source);
    lockSource(lock, self);
    const float version = certify::detectVersion(source);
    las::SectionDirectory directory;
    directory.locateMainSections(source, version);
    ConversionPoll poll(hooks, directory.fileSize(), "Unwrapping (Press ESC to cancel...)");
    las::CurveTable curves;
    const las::WrapStructure wrap =
        las::detectWrapStructure(las::DataReadContext{directory, ' ', poll.cursor()}, 0, curves);
    if (wrap.result != las::WrapResult::Wrapped) {
      report.end = ConversionEnd::NothingToDo;
      report.message = "The data section is not wrapped; nothing was written.";
      return report;
    }
    report.linesPerDepth = wrap.linesPerDepth;
    const las::SectionRow* data = directory.findStandard("ASCII");
    if (!data && !logDataRow(directory)) throw RunError(base::err::InvalidCall, "The file has no ~ASCII section");

    base::FileReplacement out(destination, self ? base::IdentityPolicy::Required : base::IdentityPolicy::BestEffort,
                              ops);
    LineWriter lines(out);
    if (!data) {
      // A ~Log_Data section is no ~ASCII section: the whole file is header.
      copyLinesFrom(source, 0, lines);
      report.copiedWhole = true;
    } else {
      report.wrapSetToNo = copyHeaderSettingWrapNo(source, directory, *data, lines);
      UnwrapSink sink(lines);
      const DataWalk walk = walkDataSection(source, data->start, wrap.linesPerDepth, {&sink}, poll.walk());
      report.records = walk.records;
      report.droppedLines = sink.dropped();
      if (walk.end >= 0) copyLinesFrom(source, walk.end, lines);
    }
    lines.flush();
    out.commit(self);
    report.end = ConversionEnd::Written;
  } catch (const base::RunCancelled&) {
    endOnError(report, hooks, nullptr);
  } catch (const std::exception& e) {
    endOnError(report, hooks, &e);
  }
  return report;
}

ConversionReport convertToVersion3(const std::string& lasFileName, const std::string& outputFileName,
                                   const ConversionOptions& options, RunHooks& hooks, base::FileWriteOps& ops) {
  ConversionReport report;
  auto refuse = [&](std::string why) {
    report.end = ConversionEnd::Refused;
    report.message = std::move(why);
    return report;
  };
  if (!base::fileExists(lasFileName)) return refuse("The LAS file does not exist.");
  certify::BusyPointer busy(hooks);
  hooks.clearCancel();
  try {
    if (certify::scanTermination(lasFileName).result != certify::TerminationResult::CrLf)
      return refuse("The file's lines do not end in CR LF; convert its line ends first.");
    const float version = certify::detectVersion(lasFileName);
    report.sourceVersion = version;
    if (version != 1.2f && version != 2.0f)
      return refuse("Only version 1.2 and 2.0 files are converted; this file's VERS reads " +
                    (version == 0 ? std::string("no version") : base::numberText(version)) + ".");
    const bool self = base::namesSameFile(lasFileName, outputFileName);
    base::LasFileLock lock(lasFileName);
    lockSource(lock, self);

    las::SectionDirectory directory;
    directory.locateMainSections(lasFileName, version);
    std::string wrap(base::trimSpaces(checks::readHeaderValue(directory, "WRAP", "Version", version).value));
    if (wrap.empty()) wrap = base::trimSpaces(checks::readHeaderValue(directory, "WRAP", "V", version).value);
    if (wrap.empty()) return refuse("The ~Version section has no WRAP line; the file was not converted.");

    ConversionPoll poll(hooks, directory.fileSize(), "Converting to version 3.0 (Press ESC to cancel...)");
    int linesPerDepth = 1;
    if (base::iequals(wrap, "YES")) {
      las::CurveTable curves;
      const las::WrapStructure w =
          las::detectWrapStructure(las::DataReadContext{directory, ' ', poll.cursor()}, 0, curves);
      if (w.result == las::WrapResult::Wrapped) linesPerDepth = w.linesPerDepth;
      if (w.result == las::WrapResult::Undetermined)
        return refuse(
            "WRAP is YES, but the depth records of the data section cannot be told apart (the lines do not repeat "
            "one pattern); the file was not converted.");
    }
    report.linesPerDepth = linesPerDepth;
    const las::SectionRow* data = directory.findStandard("ASCII");

    base::FileReplacement out(outputFileName, self ? base::IdentityPolicy::Required : base::IdentityPolicy::BestEffort,
                              ops);
    LineWriter lines(out);
    std::optional<KeptCopy> kept;
    if (linesPerDepth > 1 && data && !options.keptCopy.empty() &&
        !base::namesSameFile(options.keptCopy, outputFileName) && !base::namesSameFile(options.keptCopy, lasFileName))
      kept.emplace(options.keptCopy, ops);

    Version3Writer writer({lasFileName, version, &directory, data, linesPerDepth}, options, lines, poll.cursor());
    writer.writeHeader();
    if (data) {
      if (kept) kept->guarded([&](LineWriter& k) { copyHeaderSettingWrapNo(lasFileName, directory, *data, k); });
      std::vector<DataEvents*> sinks{&writer};
      if (kept) sinks.push_back(&*kept);
      const DataWalk walk = walkDataSection(lasFileName, data->start, linesPerDepth, sinks, poll.walk());
      if (walk.end >= 0) {
        writer.writeTrailingSections();
        if (kept) kept->guarded([&](LineWriter& k) { copyLinesFrom(lasFileName, walk.end, k); });
      }
    }
    lines.flush();
    out.commit(self);
    report.end = ConversionEnd::Written;
    if (kept) {
      if (kept->commit()) report.keptCopy = options.keptCopy;
      report.keptCopyProblem = kept->problem();
    }

    const WrittenData& written = writer.data();
    report.headerLines = writer.headerLines();
    report.records = written.records;
    report.values = written.values;
    report.quotedValues = writer.quotedValues();
    report.droppedDataLines = written.dropped;
    report.movedWellValues = writer.movedWellValues();
    try {
      report.expectedFailures = examineOutput(outputFileName, writer);
    } catch (const std::exception& e) {
      report.analysisProblem = errorLine(base::pendingError(e));
    }
  } catch (const base::RunCancelled&) {
    endOnError(report, hooks, nullptr);
  } catch (const std::exception& e) {
    endOnError(report, hooks, &e);
  }
  return report;
}

std::vector<std::string> conversionSummary(const ConversionReport& report, const std::string& outputFileName,
                                           const ConversionOptions& options) {
  std::vector<std::string> lines;
  if (report.end != ConversionEnd::Written) {
    lines.push_back(report.message);
    return lines;
  }
  const std::string titles =
      options.titles == TitleStyle::Log ? "~Log_Parameter ~Log_Definition ~Log_Data" : "~Parameter ~Curve ~ASCII";
  lines.push_back("Wrote " + outputFileName + " as a LAS version 3.0 file (DLM " +
                  std::string(dlmWord(options.delimiter)) + ", titles " + titles + ") from a version " +
                  base::numberText(report.sourceVersion) + " file.");
  std::string data = std::to_string(report.headerLines) + " header lines and " + std::to_string(report.records) +
                     " depth records of " + std::to_string(report.values) + " values";
  if (report.linesPerDepth > 1) data += ", each joined from " + std::to_string(report.linesPerDepth) + " wrapped lines";
  lines.push_back(data + ".");
  if (report.movedWellValues > 0)
    lines.push_back(std::to_string(report.movedWellValues) +
                    " ~Well values that version 1.2 keeps in the description field were moved to the value field.");
  if (report.quotedValues > 0)
    lines.push_back(std::to_string(report.quotedValues) +
                    " values that hold the delimiter were written in double quotes.");
  if (report.droppedDataLines > 0)
    lines.push_back(
        std::to_string(report.droppedDataLines) +
        " blank or comment lines among the data were left out (version 3.0 allows none between data lines).");
  if (!report.keptCopy.empty()) lines.push_back("The unwrapped copy is kept as " + report.keptCopy + ".");
  if (!report.keptCopyProblem.empty()) lines.push_back("No unwrapped copy was kept: " + report.keptCopyProblem);
  if (!report.analysisProblem.empty()) {
    lines.push_back("The new file could not be examined: " + report.analysisProblem);
  } else if (report.expectedFailures.empty()) {
    lines.push_back("No check of version 3.0 fails on what the conversion wrote.");
  } else {
    lines.push_back(
        "Its version 3.0 certification will not pass these checks, since the input does not hold what "
        "version 3.0 requires there:");
    for (const ExpectedFailure& f : report.expectedFailures)
      lines.push_back(f.idText() + " " + f.check + ": " + f.reason);
  }
  return lines;
}

}  // namespace korrivan::run
