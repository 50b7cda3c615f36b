// The korrivan executable as a black box: command-line validation messages,
// the command log beside the program, and the report file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/las_fixture.h"
#include "support/program.h"

namespace fs = std::filesystem;
using korrivan::test::Program;
using korrivan::test::readFile;
using korrivan::test::ScratchDir;
using korrivan::test::splitCrLf;

namespace {

const std::vector<std::string> kGoodLas20 = {
    "~VERSION INFORMATION",
    " VERS.                  2.0 :   CWLS LOG ASCII STANDARD -VERSION 2.0",
    " WRAP.                  NO  :   ONE LINE PER DEPTH STEP",
    "~WELL INFORMATION",
    "#MNEM.UNIT              DATA                       DESCRIPTION",
    " STRT    .M              1670.0000                :START DEPTH",
    " STOP    .M              1669.7500                :STOP DEPTH",
    " STEP    .M              -0.1250                  :STEP",
    " NULL    .               -999.25                  :NULL VALUE",
    " COMP    .       ANY OIL COMPANY INC.             :COMPANY",
    " WELL    .       AAAAA_2                          :WELL",
    " FLD     .       WILDCAT                          :FIELD",
    " LOC     .       12-34-12-34W5M                   :LOCATION",
    " PROV    .       ALBERTA                          :PROVINCE",
    " SRVC    .       ANY LOGGING COMPANY INC.         :SERVICE COMPANY",
    " DATE    .       13-DEC-86                        :LOG DATE",
    " UWI     .       100123401234W500                 :UNIQUE WELL ID",
    "~CURVE INFORMATION",
    " DEPT    .M                                       :  1  DEPTH",
    " DT      .US/M                                    :  2  SONIC TRANSIT TIME",
    " RHOB    .K/M3                                    :  3  BULK DENSITY",
    "~A  DEPTH     DT       RHOB",
    "1670.000   123.450 2550.000",
    "1669.875   123.450 2550.000",
    "1669.750   123.450 2550.000",
};

TEST(CommandLine, CertifiesAGoodFileAndLogsTheCommandLine) {
  ScratchDir dir;
  std::string las = dir.writeLas("good.las", kGoodLas20);
  std::string log = (dir.path() / "good-report.log").string();
  Program program(dir);
  EXPECT_EQ(program.run({las, log}), 0);
  auto messages = program.messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0], "Command line :" + las + " " + log);
  auto context = program.contextLines();
  // date, LAS file name, log file name, status label: four tab-separated fields
  EXPECT_EQ(std::count(context[0].begin(), context[0].end(), '\t'), 3);
  EXPECT_TRUE(context[0].ends_with("\tKorrivan"));
}

TEST(CommandLine, EmptyCommandLineCertifiesNothing) {
  ScratchDir dir;
  Program program(dir);
  // The window program, handed over to, says there is no display to open the window on.
  EXPECT_EQ(program.run({}), KORRIVAN_GUI ? 1 : 0);
  EXPECT_EQ(program.run({"--window", "well.las"}), KORRIVAN_GUI ? 1 : 0);
  EXPECT_FALSE(fs::exists(dir.path() / "bin" / "command.log"));
  // Without a window program beside it, korrivan says so and ends.
  fs::remove(dir.path() / "bin" / "korrivan-window");
  EXPECT_EQ(program.run({}), 0);
}

TEST(CommandLine, ValidationMessages) {
  ScratchDir dir;
  std::string las = dir.writeLas("well.las", kGoodLas20);
  std::string txt = dir.writeLas("well.txt", kGoodLas20);
  const std::string kExit = "Error: VB Error in main: . Error #0";
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> expected;  // messages after "Command line :"
  };
  std::string missing = (dir.path() / "missing.las").string();
  std::vector<Case> cases = {
      {{missing, "r.log"},
       {"Error:LAS file name, " + missing + ", is not a valid file name or file is not accessible.", kExit}},
      {{txt, "r.log"}, {"Error:Supplied LAS file name, " + txt + ", must have a .las extension.", kExit}},
      {{las}, {"Error: VB Error in main: Subscript out of range. Error #9"}},
      {{las, las},
       {"Error: LAS file name and Log file are the same. Log file must be different. No processing is "
        "possible",
        kExit}},
  };
  for (const Case& c : cases) {
    ScratchDir run;
    Program program(run);
    program.run(c.args);
    auto messages = program.messages();
    ASSERT_EQ(messages.size(), c.expected.size() + 1) << c.args[0];
    for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(messages[i + 1], c.expected[i]);
  }
}

TEST(CommandLine, SameNameInAnotherCaseIsRefused) {
  ScratchDir dir;
  std::string las = dir.writeLas("Well.LAS", kGoodLas20);
  std::string upper = (dir.path() / "WELL.las").string();
  Program program(dir);
  program.run({las, upper});
  auto messages = program.messages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[1],
            "Error: LAS file name and Log file are the same. Log file must be different. No processing "
            "is possible");
}

TEST(CommandLine, QuotesAreRemovedAndWrapSwitchFoundInAnyCase) {
  ScratchDir dir;
  std::string las = dir.writeLas("q.las", kGoodLas20);
  std::string log = (dir.path() / "q.log").string();
  Program program(dir);
  program.run({"\"" + las + "\"", "\"" + log + "\"", "/w"});
  auto messages = program.messages();
  ASSERT_FALSE(messages.empty());
  for (const std::string& m : messages) EXPECT_FALSE(m.starts_with("Error")) << m;
  // The switch brings the WRAP line-length check into the catalogue.
  EXPECT_NE(readFile(log).find("d. ~ASCII line length conforms to WRAP line length requirements"), std::string::npos);
}

TEST(CommandLine, LogInMissingFolderFallsBackBesideTheLasFile) {
  ScratchDir dir;
  std::string las = dir.writeLas("fall.las", kGoodLas20);
  std::string bad = (dir.path() / "no-such-folder" / "r.log").string();
  Program program(dir);
  program.run({las, bad});
  auto messages = program.messages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[1], "Error:Log file name, " + bad +
                             " is not a valid file name or could not be opened where indicated. Log file was written "
                             "as LAS filename with .log extension to LAS file path.");
}

TEST(CommandLine, PreCheckFailureWritesGroupOneReport) {
  ScratchDir dir;
  std::string las = dir.write("unix.las", "~VERSION\nVERS. 2.0 : v\n~A\n1 2\n");
  std::string log = (dir.path() / "unix.log").string();
  Program program(dir);
  program.run({las, log});
  auto lines = splitCrLf(readFile(log));
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "LAS Certification Result for: " + las);
  EXPECT_EQ(lines[3], "Result: LAS file FAILS Certification");
  EXPECT_EQ(lines[5], "01: File Naming, Availability, Termination and Size.");
  EXPECT_EQ(lines[6], "        a. File exists");
  EXPECT_EQ(lines[7], "        b. File has more than 0 bytes");
  EXPECT_EQ(lines[8], "        c. File can be accessed. Locked by any other program??");
  EXPECT_EQ(lines[9], "Failed: d. File is correctly PC Windows (CR LF) terminated");
  EXPECT_EQ(lines[10], "Errors: Unix Line Feed (ASCII 10) terminated ");
}

TEST(CommandLine, UnreadableVersionIsLoggedWithoutReport) {
  ScratchDir dir;
  std::string las = dir.writeLas("nover.las", {"~VERSION", " VERS. abc : no number", "~A", "1 2"});
  std::string log = (dir.path() / "nover.log").string();
  Program program(dir);
  program.run({las, log});
  auto messages = program.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1],
            "LAS Version was not read from the file correctly. (0). It is either absent, not a "
            "numerical value or the file does not have basic LAS properties. No further processing is "
            "possible.");
  EXPECT_FALSE(fs::exists(log));
}

TEST(CommandLine, UnsupportedVersionIsLoggedWithoutReport) {
  ScratchDir dir;
  std::string las = dir.writeLas("v4.las", {"~VERSION", " VERS. 4.1 : four", "~A", "1 2"});
  std::string log = (dir.path() / "v4.log").string();
  Program program(dir);
  program.run({las, log});
  auto messages = program.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], "The LAS Version was not 1.2, 2.0 or 3.0. It was : 4.1. No further processing will be done.");
  EXPECT_FALSE(fs::exists(log));
}

}  // namespace
