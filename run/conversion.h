#pragma once
// The conversions of a version 1.2 or 2.0 LAS file: unwrapping a wrapped
// data section into one line per depth record (WRAP NO), and writing the
// file anew as a complete version 3.0 file. Both read the source once and
// stream the data in bounded memory; every output is written to a temporary
// file beside its destination, synced and renamed into place, so that a
// failure or a cancel leaves nothing half-written under the chosen name and
// a file converted onto itself keeps its old content until the new one is
// complete. ESC (the hooks' cancel flag) is seen between records.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_error.h"
#include "base/safe_file.h"
#include "certify/run_hooks.h"

namespace korrivan::run {

// The section titles of the version 3.0 file: ~Parameter ~Curve ~ASCII, or
// ~Log_Parameter ~Log_Definition ~Log_Data with the data section naming
// its definition section.
enum class TitleStyle { Short, Log };
enum class DataDelimiter { Space, Tab, Comma };

char delimiterChar(DataDelimiter delimiter);
// The DLM value: SPACE, TAB or COMMA.
std::string_view dlmWord(DataDelimiter delimiter);

// How a conversion ended.
enum class ConversionEnd {
  Written,      // the output is in place
  NothingToDo,  // unwrapping: the data are not wrapped, nothing was written
  Refused,      // not converted, for the reason in `message`; nothing was written
  Failed,       // a run-time error; nothing was written under the output name
  Cancelled,    // ESC; nothing was written under the output name
};

struct UnwrapReport {
  ConversionEnd end = ConversionEnd::Failed;
  std::string message;       // the reason, for Refused and Failed
  base::PendingError error;  // the run-time error, for Failed
  bool errorBoxShown = false;
  // The data section is no ~ASCII section (a ~Log_Data section, say): the
  // file was copied as it stands, its WRAP line too.
  bool copiedWhole = false;
  bool wrapSetToNo = false;
  int linesPerDepth = 0;
  std::int64_t records = 0;
  std::int64_t droppedLines = 0;  // blank and comment lines among the records

  // -1 finished (also when nothing was to be done), 0 error, 1 cancelled.
  int code() const;
};

// Joins the lines of each depth record of the source's wrapped data section
// into one line and writes the result, with WRAP set to NO, to the
// destination (which may be the source itself). A source whose data are not
// wrapped is left alone and nothing is written. In the window a run-time
// error or a cancel shows the "Un-expected Error" box.
UnwrapReport unwrapFile(const std::string& source, const std::string& destination, certify::RunHooks& hooks,
                        base::FileWriteOps& ops = base::systemFileWriteOps());

struct ConversionOptions {
  TitleStyle titles = TitleStyle::Short;
  DataDelimiter delimiter = DataDelimiter::Space;
  // Where the unwrapped copy of a wrapped file is kept as well ("" keeps none).
  std::string keptCopy;
};

// A check that the version 3.0 certification of the output will not pass,
// because the input does not hold what version 3.0 requires.
struct ExpectedFailure {
  int group = 0;
  int row = 0;
  std::string check;           // its name in the version 3.0 catalogue
  std::string reason;          // "not performed", or what the check finds
  std::string idText() const;  // "5b"
};

struct ConversionReport {
  ConversionEnd end = ConversionEnd::Failed;
  std::string message;
  base::PendingError error;
  bool errorBoxShown = false;

  float sourceVersion = 0;
  int linesPerDepth = 1;  // more than 1: the data were unwrapped
  std::int64_t headerLines = 0;
  std::int64_t records = 0;
  std::int64_t values = 0;
  std::int64_t quotedValues = 0;      // values that hold the delimiter, written in double quotes
  std::int64_t droppedDataLines = 0;  // blank and comment lines among the records, left out
  std::int64_t movedWellValues = 0;   // version 1.2 ~Well values moved from the description
  std::string keptCopy;               // where the unwrapped copy was kept ("" none)
  std::string keptCopyProblem;        // why it could not be kept
  std::vector<ExpectedFailure> expectedFailures;
  std::string analysisProblem;  // why the output could not be examined ("" when it was)

  // 0 the output was created, 1 not (refused, failed or cancelled).
  int code() const;
};

// Writes the current LAS file (version 1.2 or 2.0, CR LF line ends, with a
// WRAP line) as a version 3.0 file. The output is examined afterwards and
// the report lists the checks its certification will not pass.
ConversionReport convertToVersion3(const std::string& lasFileName, const std::string& outputFileName,
                                   const ConversionOptions& options, certify::RunHooks& hooks,
                                   base::FileWriteOps& ops = base::systemFileWriteOps());

inline constexpr const char* kKeptUnwrapName = "un_wrapped_temp~.las";

// Where the window keeps the unwrapped copy: the program's folder, unless the
// program is an installed one or the folder takes no file; then the per-user
// state folder. "" when there is no safe place.
std::string keptUnwrapCopyPath(const std::string& programFolder);

inline constexpr const char* kUnexpectedErrorTitle = "Un-expected Error";
std::string unexpectedErrorText(const std::string& description);

// What was written and which checks the output will fail, as lines for the
// window and the command line (without line ends).
std::vector<std::string> conversionSummary(const ConversionReport& report, const std::string& outputFileName,
                                           const ConversionOptions& options);

}  // namespace korrivan::run
