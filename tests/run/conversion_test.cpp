// The conversions: unwrapping a wrapped data section record by record, and a
// version 1.2/2.0 file written as version 3.0; outputs that appear only
// whole, and a source converted onto itself that survives every failure.
#include "run/conversion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "base/safe_file.h"
#include "bench/las_generator.h"
#include "certify/run_hooks.h"
#include "run/certification.h"
#include "run/v3_writer.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;
using korrivan::test::crlf;
using korrivan::test::readFile;
using korrivan::test::ScratchDir;
using korrivan::test::splitCrLf;
using run::ConversionEnd;

namespace {

const std::vector<std::string> kVersionWrapped = {"~Version Information",
                                                  " VERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0",
                                                  " WRAP.   YES : MULTIPLE LINES PER DEPTH STEP"};

const std::vector<std::string> kWell = {"~Well Information",
                                        " STRT.M          1000.0 : START DEPTH",
                                        " STOP.M          1000.5 : STOP DEPTH",
                                        " STEP.M            0.5  : STEP",
                                        " NULL.          -999.25 : NULL VALUE",
                                        " COMP.   KORRIVAN TEST  : COMPANY",
                                        " WELL.   KORRIVAN 7-21  : WELL",
                                        " FLD .   WILDCAT        : FIELD",
                                        " LOC .   07-21-048-09W4M: LOCATION",
                                        " PROV.   ALBERTA        : PROVINCE",
                                        " SRVC.   KORRIVAN LOGGING : SERVICE COMPANY",
                                        " DATE.   08-DEC-2026    : LOG DATE",
                                        " UWI .   100072104809W400 : UNIQUE WELL ID"};

const std::vector<std::string> kCurves = {"~Curve Information",
                                          " DEPT.M      : 1  DEPTH",
                                          " GR  .GAPI   : 2  GAMMA RAY",
                                          " RHOB.K/M3   : 3  BULK DENSITY",
                                          " NPHI.V/V    : 4  NEUTRON",
                                          " CALI.MM     : 5  CALIPER",
                                          " SP  .MV     : 6  SPONTANEOUS",
                                          " ILD .OHMM   : 7  DEEP RESISTIVITY"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Two depths, each the depth alone on a line and the values on two lines.
const std::vector<std::string> kWrappedData = {"~A  DEPTH GR RHOB NPHI CALI SP ILD",
                                               "1000.0",
                                               "   45.12   2550.0   0.25",
                                               "# a remark among the records",
                                               "  216.0   -12.5   10.2",
                                               "",
                                               "1000.5",
                                               "   47.03   2548.5   0.27",
                                               "  215.5   -12.75   10.4"};

std::vector<std::string> wrappedFile() { return concat({kVersionWrapped, kWell, kCurves, kWrappedData}); }

struct Writes : base::FileWriteOps {
  bool failRename = false;
  int failWriteAfter = -1;  // fail the n-th write (0 = the first)
  int writes = 0;
  ssize_t writeAt(int fd, const char* data, std::size_t size, off_t offset) override {
    if (failWriteAfter >= 0 && writes++ >= failWriteAfter) {
      errno = ENOSPC;
      return -1;
    }
    return base::FileWriteOps::writeAt(fd, data, size, offset);
  }
  int replace(const std::string& from, const std::string& to) override {
    if (failRename) {
      errno = EXDEV;
      return -1;
    }
    return base::FileWriteOps::replace(from, to);
  }
};

// Asks for a cancel once the conversion has let events run `after` times.
struct CancelLater : certify::SilentHooks {
  int after;
  int runs = 0;
  explicit CancelLater(int n) : after(n) {}
  void letEventsRun() override { ++runs; }
  bool cancelRequested() const override { return runs > after; }
};

std::vector<std::string> folderNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(UnwrapFile, JoinsEachRecordPadsTheDepthDropsRemarksAndSetsWrapNo) {
  ScratchDir dir;
  const std::string source = dir.writeLas("wrapped.las", wrappedFile());
  const std::string out = (dir.path() / "unwrapped.las").string();
  certify::SilentHooks hooks;
  run::UnwrapReport r = run::unwrapFile(source, out, hooks);
  ASSERT_EQ(r.end, ConversionEnd::Written) << r.message;
  EXPECT_EQ(r.code(), -1);
  EXPECT_EQ(r.linesPerDepth, 3);
  EXPECT_EQ(r.records, 2);
  EXPECT_EQ(r.droppedLines, 2);
  EXPECT_TRUE(r.wrapSetToNo);
  auto expected = wrappedFile();
  expected[2] = " WRAP.   NO  : MULTIPLE LINES PER DEPTH STEP";  // the editor keeps the colon in its column
  expected.resize(expected.size() - 8);
  // "1000.0" padded to 13 characters, each line after it one blank further
  // on, or right after it when it begins with a blank.
  expected.push_back("1000.0          45.12   2550.0   0.25  216.0   -12.5   10.2");
  expected.push_back("1000.5          47.03   2548.5   0.27  215.5   -12.75   10.4");
  EXPECT_EQ(readFile(out), crlf(expected));

  // The unwrapped file certifies as WRAP NO, one line per depth.
  run::Certification c = run::certifyFile(out, {}, hooks);
  EXPECT_EQ(c.resultText(), "LAS file PASSED Ver 2 Certification") << c.firstFailure()->cellText;
}

TEST(UnwrapFile, LeavesFilesItCannotOrNeedNotUnwrap) {
  ScratchDir dir;
  certify::SilentHooks hooks;
  const std::string out = (dir.path() / "out.las").string();
  EXPECT_EQ(run::unwrapFile((dir.path() / "missing.las").string(), out, hooks).code(), 0);

  // Not wrapped: nothing is written, and that counts as finished.
  auto flat = concat({{"~Version", " VERS. 2.0 : V", " WRAP. NO : ONE LINE"},
                      kWell,
                      kCurves,
                      {"~A", "1000.0 1 2 3 4 5 6", "1000.5 1 2 3 4 5 6"}});
  run::UnwrapReport r = run::unwrapFile(dir.writeLas("flat.las", flat), out, hooks);
  EXPECT_EQ(r.end, ConversionEnd::NothingToDo);
  EXPECT_EQ(r.code(), -1);
  EXPECT_FALSE(fs::exists(out));

  // A wrapped ~Log_Data section is no ~ASCII section: the file is copied
  // whole as header, and its WRAP stays, since its data are still wrapped.
  auto logData = wrappedFile();
  logData[logData.size() - 9] = "~Log_Data";
  const std::string source = dir.writeLas("log_data.las", logData);
  r = run::unwrapFile(source, out, hooks);
  ASSERT_EQ(r.end, ConversionEnd::Written) << r.message;
  EXPECT_TRUE(r.copiedWhole);
  EXPECT_FALSE(r.wrapSetToNo);
  EXPECT_EQ(readFile(out), readFile(source));
}

TEST(UnwrapFile, OntoItselfKeepsTheSourceWhateverFails) {
  ScratchDir dir;
  certify::SilentHooks hooks;
  const std::string source = dir.writeLas("well.las", wrappedFile());
  const std::string before = readFile(source);
  ::chmod(source.c_str(), 0640);

  // The rename that puts the new content in place fails (as across file systems).
  Writes renameFails;
  renameFails.failRename = true;
  run::UnwrapReport r = run::unwrapFile(source, source, hooks, renameFails);
  EXPECT_EQ(r.end, ConversionEnd::Failed);
  EXPECT_EQ(r.code(), 0);
  EXPECT_EQ(readFile(source), before);
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"well.las"});

  // A disk that fills up half-way.
  Writes diskFull;
  diskFull.failWriteAfter = 0;
  EXPECT_EQ(run::unwrapFile(source, source, hooks, diskFull).end, ConversionEnd::Failed);
  EXPECT_EQ(readFile(source), before);
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"well.las"});

  // When nothing fails the file is replaced, keeping its mode.
  ASSERT_EQ(run::unwrapFile(source, source, hooks).end, ConversionEnd::Written);
  EXPECT_NE(readFile(source), before);
  EXPECT_EQ(splitCrLf(readFile(source))[2], " WRAP.   NO  : MULTIPLE LINES PER DEPTH STEP");
  struct stat st {};
  ::stat(source.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ConvertToVersion3, WritesTheValuesAsTheyWereAndNamesWhatVersion3WillMiss) {
  ScratchDir dir;
  const std::string source = dir.writeLas("v12.las", {"~Version Information",
                                                      " VERS.   1.2 : CWLS LOG ASCII STANDARD - VERSION 1.2",
                                                      " WRAP.   NO  : ONE LINE PER DEPTH STEP",
                                                      "~Well Information",
                                                      " STRT.M      1000.0 : START DEPTH",
                                                      " STOP.M      1000.5 : STOP DEPTH",
                                                      " STEP.M         0.5 : STEP",
                                                      " NULL.     -999.25 : NULL VALUE",
                                                      " COMP.            : KORRIVAN TEST",
                                                      " WELL.            : KORRIVAN 7-21",
                                                      " FLD .            : WILDCAT",
                                                      " LOC .            : 07-21-048-09W4M",
                                                      " PROV.            : ALBERTA",
                                                      " SRVC.\t           : KORRIVAN LOGGING",
                                                      " DATE.            : 08-DEC-2026",
                                                      " UWI .   100072104809W400 : UNIQUE WELL ID",
                                                      "# remarks stay where they are",
                                                      "~Curve Information",
                                                      " DEPT.M      : 1  DEPTH",
                                                      " ZONE.       : 2  ZONE",
                                                      " GR  .GAPI   : 3  GAMMA RAY",
                                                      "~Other",
                                                      " Free text | kept as it is",
                                                      "~A  DEPTH ZONE GR",
                                                      "# the data",
                                                      "1000.0  A,1  45.1",
                                                      "# a remark among the records",
                                                      "1000.5  B,2  47.0"});
  const std::string out = (dir.path() / "v12_ver3.las").string();
  certify::SilentHooks hooks;
  const run::ConversionOptions options{run::TitleStyle::Log, run::DataDelimiter::Comma, ""};
  const run::ConversionReport r = run::convertToVersion3(source, out, options, hooks);
  ASSERT_EQ(r.end, ConversionEnd::Written) << r.message;
  EXPECT_EQ(r.code(), 0);
  EXPECT_EQ(readFile(out), crlf({"~Version Information",
                                 " VERS.       3.0                : CWLS LOG ASCII STANDARD - VERSION 3.0",
                                 " WRAP.       NO                 : ONE LINE PER DEPTH STEP",
                                 " DLM .       COMMA              : DELIMITING CHARACTER BETWEEN DATA COLUMNS",
                                 "# VERS.   1.2 : CWLS LOG ASCII STANDARD - VERSION 1.2",
                                 "# WRAP.   NO  : ONE LINE PER DEPTH STEP",
                                 "~Well Information",
                                 " STRT.M      1000.0             : START DEPTH",
                                 " STOP.M      1000.5             : STOP DEPTH",
                                 " STEP.M      0.5                : STEP",
                                 " NULL.       -999.25            : NULL VALUE",
                                 " COMP.       KORRIVAN TEST      : COMPANY",
                                 " WELL.       KORRIVAN 7-21      : WELL",
                                 " FLD .       WILDCAT            : FIELD",
                                 " LOC .       07-21-048-09W4M    : LOCATION",
                                 " PROV.       ALBERTA            : PROVINCE",
                                 " SRVC.       KORRIVAN LOGGING   : SERVICE COMPANY",
                                 " DATE.       08-DEC-2026        : LOG DATE",
                                 " UWI .       100072104809W400   : UNIQUE WELL ID",
                                 "# remarks stay where they are",
                                 "~Log_Definition Information",
                                 " DEPT.M                         : 1  DEPTH",
                                 " ZONE.                          : 2  ZONE",
                                 " GR  .GAPI                      : 3  GAMMA RAY",
                                 "~Other",
                                 " Free text | kept as it is",
                                 "~Log_Data | Log_Definition",
                                 "# DEPTH ZONE GR",
                                 "# the data",
                                 "1000.0,\"A,1\",45.1",
                                 "1000.5,\"B,2\",47.0"}));
  EXPECT_EQ(r.movedWellValues, 7);
  EXPECT_EQ(r.quotedValues, 2);
  EXPECT_EQ(r.droppedDataLines, 1);
  EXPECT_EQ(r.records, 2);
  EXPECT_EQ(r.values, 6);

  // ~Other is a section only versions 1.2 and 2.0 know; ~Well lacks CTRY and
  // a location; the text column has no format that allows text.
  std::vector<std::string> named;
  for (const run::ExpectedFailure& f : r.expectedFailures) named.push_back(f.idText());
  EXPECT_EQ(named, (std::vector<std::string>{"3b", "4j", "5b", "5c", "5d", "5e", "5f", "7c"}));
  EXPECT_EQ(r.expectedFailures[0].check, "Section titles use recognized names");
  EXPECT_EQ(r.expectedFailures[0].reason, "Illegal section is ~Other");
  EXPECT_EQ(r.expectedFailures[2].reason, "not performed");
  const run::Certification c = run::certifyFile(out, {}, hooks);
  EXPECT_EQ(c.version, run::LasVersion::V3_0);
  ASSERT_NE(c.firstFailure(), nullptr);
  EXPECT_EQ(c.firstFailure()->idText(), "3b");

  const auto summary = run::conversionSummary(r, out, options);
  EXPECT_EQ(summary[0], "Wrote " + out +
                            " as a LAS version 3.0 file (DLM COMMA, titles ~Log_Parameter ~Log_Definition ~Log_Data) "
                            "from a version 1.2 file.");
  EXPECT_EQ(summary.back(),
            "7c Stated Column Definition Format matches data items in Column Data section: Data column "
            "item (\"A,1\") in ~Log_Data @ 1000.0 wrong format {}");
}

TEST(ConvertToVersion3, RefusesWhatItCannotConvertAndKeepsAnOldOutputOnFailure) {
  ScratchDir dir;
  certify::SilentHooks hooks;
  const std::string out = dir.write("out.las", "old content\r\n");
  auto refused = [&](const std::vector<std::string>& lines) {
    run::ConversionReport r = run::convertToVersion3(dir.writeLas("in.las", lines), out, {}, hooks);
    EXPECT_EQ(r.code(), 1);
    EXPECT_EQ(readFile(out), "old content\r\n");
    return r.end == ConversionEnd::Refused ? r.message : "not refused";
  };
  EXPECT_EQ(refused(concat({{"~Version", " VERS. 2.0 : V"}, kWell, kCurves, {"~A", "1000.0 1 2 3 4 5 6"}})),
            "The ~Version section has no WRAP line; the file was not converted.");
  EXPECT_EQ(refused({"~Version", " VERS. 3.0 : V", " WRAP. NO : W", " DLM . SPACE : D"}),
            "Only version 1.2 and 2.0 files are converted; this file's VERS reads 3.");
  EXPECT_EQ(refused(concat({kVersionWrapped, kWell, kCurves, {"~A", "1000.0", "1 2 3", "4 5", "1000.5", "1 2 3"}})),
            "WRAP is YES, but the depth records of the data section cannot be told apart (the lines do not repeat "
            "one pattern); the file was not converted.");
  dir.write("lf.las", "~Version\n VERS. 2.0 : V\n WRAP. NO : W\n");
  EXPECT_EQ(run::convertToVersion3((dir.path() / "lf.las").string(), out, {}, hooks).message,
            "The file's lines do not end in CR LF; convert its line ends first.");

  // A disk that fills up: the old output stays, and no temporary file is left.
  const std::string source = dir.writeLas("well.las", wrappedFile());
  Writes diskFull;
  diskFull.failWriteAfter = 0;
  run::ConversionReport r = run::convertToVersion3(source, out, {}, hooks, diskFull);
  EXPECT_EQ(r.end, ConversionEnd::Failed);
  EXPECT_EQ(r.error.number, 61);
  EXPECT_EQ(readFile(out), "old content\r\n");
  EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"in.las", "lf.las", "out.las", "well.las"}));
}

// In the window a failure shows the "Un-expected Error" box.
struct WindowHooks : CancelLater {
  std::vector<std::string> titles, texts;
  explicit WindowHooks(int n) : CancelLater(n) {}
  bool interactive() const override { return true; }
  certify::MessageAnswer messageBox(certify::MessageIcon, const std::string& title, const std::string& text,
                                    certify::MessageButtons, certify::MessageAnswer answer) override {
    titles.push_back(title);
    texts.push_back(text);
    return answer;
  }
};

TEST(Conversion, CancelLeavesNothingUnderTheOutputName) {
  ScratchDir dir;
  const std::string source = (dir.path() / "big.las").string();
  bench::generateLas(source, bench::LasKind::V20Wrapped, 2 << 20);
  const std::string out = (dir.path() / "big_ver3.las").string();
  const std::string kept = (dir.path() / run::kKeptUnwrapName).string();

  WindowHooks hooks(5);
  run::ConversionReport r =
      run::convertToVersion3(source, out, {run::TitleStyle::Short, run::DataDelimiter::Comma, kept}, hooks);
  EXPECT_EQ(r.end, ConversionEnd::Cancelled);
  EXPECT_EQ(r.code(), 1);
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"big.las"});  // no output, no copy, no temporary
  ASSERT_EQ(hooks.titles, std::vector<std::string>{"Un-expected Error"});
  EXPECT_EQ(hooks.texts[0],
            "An unknown error has occured while converting the file. The file conversion is likely incomplete. The "
            "system error message was: \r\n\r\n\r\n");

  WindowHooks unwrapping(5);
  EXPECT_EQ(run::unwrapFile(source, out, unwrapping).code(), 1);
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"big.las"});

  // Without a cancel both are written, and the kept copy is the unwrapped file.
  WindowHooks never(1 << 30);
  r = run::convertToVersion3(source, out, {run::TitleStyle::Short, run::DataDelimiter::Comma, kept}, never);
  ASSERT_EQ(r.end, ConversionEnd::Written) << r.message;
  EXPECT_EQ(r.keptCopy, kept);
  const std::string unwrapped = (dir.path() / "unwrapped.las").string();
  ASSERT_EQ(run::unwrapFile(source, unwrapped, never).end, ConversionEnd::Written);
  EXPECT_EQ(readFile(kept), readFile(unwrapped));
  EXPECT_TRUE(never.titles.empty());
}

}  // namespace
