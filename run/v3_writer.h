#pragma once
// The version 3.0 file written from a version 1.2 or 2.0 file: its sections
// in the order version 3.0 wants them, every header line laid out anew in
// version 3.0 syntax with its values as they were, and the depth records
// written with the chosen delimiter. The writer also notes what the line
// syntax checks of version 3.0 will find in the lines it writes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "las/line_source.h"
#include "las/section_cursor.h"
#include "las/section_directory.h"
#include "run/conversion.h"
#include "run/conversion_io.h"

namespace korrivan::run {

// What a section of the input becomes.
enum class SectionRole { Version, Well, Parameter, Curve, Other, Data, Unnamed };

struct SectionPlan {
  const las::SectionRow* row = nullptr;
  SectionRole role = SectionRole::Unnamed;
  std::string outputName;   // the section's name in the output
  std::string title;        // the title line written
  std::string titleRemark;  // the data section: the rest of the input's title, kept as a comment line
};

// The role of an input section: the letter after the tilde decides, as in
// versions 1.2 and 2.0 (~V, ~Vers and ~Version are all ~Version).
SectionRole roleOfSection(std::string_view name, float version);

// The output's sections, in order: ~Version, ~Well, the parameter and
// curve sections, every other header section as it stood, the data section,
// then the sections that followed the data section.
std::vector<SectionPlan> planSections(const las::SectionDirectory& input, float version, TitleStyle style,
                                      const las::SectionRow* dataRow);

// A parameter line in version 3.0 layout: MNEM .UNIT  VALUE : DESCRIPTION.
std::string layParameterLine(std::string_view mnemonic, std::string_view unit, std::string_view value,
                             std::string_view description);

// The description a ~Well mnemonic usually carries, for the mnemonics whose
// value version 1.2 files keep in the description field ("" for others).
std::string_view usualWellDescription(std::string_view mnemonic);

// A header line of a version 1.2/2.0 file laid out in version 3.0 syntax,
// its parts read as version 1.2/2.0 reads them (tabs are blanks there).
// nullopt for lines that are no parameter line; these are kept as written.
// `moveWellValue`: a version 1.2 ~Well line of a mnemonic named by
// usualWellDescription whose value field is empty gets its description as
// value and the usual description.
struct RelaidLine {
  std::string text;
  bool valueMoved = false;
};
std::optional<RelaidLine> relayParameterLine(std::string_view line, bool moveWellValue);

// A depth record written with the delimiter: the record's text as it is for
// a blank, else its values joined by the delimiter, a value that holds the
// delimiter in double quotes.
class RecordFormatter {
public:
  explicit RecordFormatter(char delimiter) : delimiter_(delimiter) {}
  std::string_view format(std::string_view record);
  std::size_t fieldCount() const { return fields_; }
  std::int64_t quotedValues() const { return quoted_; }

private:
  char delimiter_;
  std::string line_;
  std::size_t fields_ = 0;
  std::int64_t quoted_ = 0;
};

// What the writer saw of the data it wrote.
struct WrittenData {
  bool section = false;     // a data section was written
  std::string sectionName;  // its name in the output
  std::int64_t records = 0;
  std::int64_t values = 0;
  std::int64_t dropped = 0;
};

// The output without the records that tell nothing new: every other line,
// and of the records the first one, the first that holds no delimiter, the
// first whose count of values differs from the first's, and the first that
// holds a tilde. The certification's checks of everything but the index
// range find in it what they find in the whole output.
class OutputProbe {
public:
  static constexpr std::size_t kMaxSize = 16u << 20;

  void line(std::string_view text);
  void record(std::string_view text, std::size_t values, char delimiter);
  // The probe's text; nullopt when it grew beyond kMaxSize.
  std::optional<std::string_view> text() const;

private:
  std::string text_;
  bool full_ = false;
  std::int64_t records_ = 0;
  std::size_t firstValues_ = 0;
  bool lackingKept_ = false, differingKept_ = false, tildeKept_ = false;
};

class Version3Writer : public DataEvents {
public:
  struct Input {
    std::string fileName;
    float version = 0;
    const las::SectionDirectory* directory = nullptr;
    const las::SectionRow* dataRow = nullptr;
    int linesPerDepth = 1;
  };

  Version3Writer(Input input, const ConversionOptions& options, LineWriter& out, las::RunPoll poll);

  // Everything before the data: lines before the first title, then the
  // header sections in the planned order; then the data section's title.
  void writeHeader();
  // The sections after the data section, from the title line that ended it.
  void writeTrailingSections();

  void leadingLine(std::string_view line) override;
  void droppedLine(std::string_view line) override;
  void record(std::string_view text) override;

  const WrittenData& data() const { return data_; }
  std::int64_t headerLines() const { return headerLines_; }
  std::int64_t movedWellValues() const { return moved_; }
  std::int64_t quotedValues() const { return formatter_.quotedValues(); }
  const OutputProbe& probe() const { return probe_; }

private:
  void writeSection(const SectionPlan& plan);
  void writeVersionLines();
  void writeLine(std::string_view line);

  Input in_;
  const ConversionOptions& options_;
  LineWriter& out_;
  las::RunPoll poll_;
  char delimiter_;
  std::vector<SectionPlan> plan_;
  RecordFormatter formatter_;
  las::LineSource source_;  // the header sections are read through one reader
  WrittenData data_;
  OutputProbe probe_;
  std::int64_t headerLines_ = 0;
  std::int64_t moved_ = 0;
};

}  // namespace korrivan::run
