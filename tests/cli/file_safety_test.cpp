// The korrivan executable tried as a careless or hostile user would: odd
// report names, full disks, links, other owners, signals, parallel runs and
// names with control characters. Afterwards every file in the folder is
// compared byte for byte with what it must be.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "support/las_fixture.h"
#include "support/program.h"

namespace fs = std::filesystem;
using namespace korrivan::test;

namespace {

constexpr uid_t kNobody = 65534;  // nobody and nogroup on Debian
const std::string kSameFile =
    "Error: LAS file name and Log file are the same. Log file must be different. No processing is possible";

const std::string kNullStop = " STOP    .M            -999.2500                  :STOP DEPTH";  // room for the index
const std::string kTightNullStop = " STOP    .M  -999.2500 :STOP DEPTH";  // the repair makes it longer

const std::vector<std::string> kData = {"1500.0000   45.1200  2550.000", "1500.2500   47.0300  2548.500",
                                        "1500.5000   52.8800  2551.250"};

// A version 2.0 file that passes every check once STOP is right.
std::vector<std::string> las20(const std::string& stopLine, const std::vector<std::string>& data = kData,
                               const std::vector<std::string>& curves = {" GR      .GAPI   :  2  GAMMA RAY",
                                                                         " RHOB    .K/M3   :  3  BULK DENSITY"},
                               const std::string& wrap = "NO ") {
  std::vector<std::string> lines = {"~Version Information",
                                    " VERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0",
                                    " WRAP.   " + wrap + " : LINES PER DEPTH STEP",
                                    "~Well Information",
                                    " STRT    .M            1500.0000           :START DEPTH",
                                    stopLine,
                                    " STEP    .M               0.2500           :STEP",
                                    " NULL    .             -999.2500           :NULL VALUE",
                                    " COMP    .   KORRIVAN TEST ENERGY          :COMPANY",
                                    " WELL    .   KORRIVAN 7-21                 :WELL",
                                    " FLD     .   WILDCAT                       :FIELD",
                                    " LOC     .   07-21-048-09W4M               :LOCATION",
                                    " PROV    .   ALBERTA                       :PROVINCE",
                                    " CTRY    .   CA                            :COUNTRY",
                                    " SRVC    .   KORRIVAN LOGGING              :SERVICE COMPANY",
                                    " DATE    .   08-DEC-2026                   :LOG DATE",
                                    " UWI     .   100072104809W400              :UNIQUE WELL ID",
                                    "~Curve Information",
                                    " DEPT    .M      :  1  DEPTH"};
  lines.insert(lines.end(), curves.begin(), curves.end());
  lines.push_back("~A");
  lines.insert(lines.end(), data.begin(), data.end());
  return lines;
}

// The text with its first occurrence of `from` replaced.
std::string replacedOnce(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string temporaryLeftIn(const fs::path& folder) {
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().starts_with(".korrivan-")) return e.path().filename().string();
  return "";
}

std::string resultLine(const std::string& report) {
  for (const std::string& l : splitCrLf(readFile(report)))
    if (l.starts_with("Result: ")) return l;
  return "<no result line>";
}

bool runningAsRoot() { return ::geteuid() == 0; }

// ---- 1. the report name ---------------------------------------------------------

TEST(ReportName, NamesOfTheLasFileAreRefusedAndNothingIsTouched) {
  struct Case {
    std::string log;  // the report name as given
    std::string prepare;
  };
  const std::vector<Case> cases = {{"same.las", ""},
                                   {"./same.las", ""},
                                   {"ABSOLUTE", ""},
                                   {"SAME.LAS", "another file"},  // a different file on Linux, but equal ignoring case
                                   {"link.log", "symlink"},
                                   {"hard.log", "hardlink"},
                                   {"sub/../same.las", "subfolder"}};
  for (const Case& c : cases) {
    ScratchDir dir;
    Program program(dir);
    const std::string las = dir.writeLas("same.las", las20(kNullStop));
    std::string log = c.log == "ABSOLUTE" ? las : c.log;
    if (c.prepare == "another file") dir.write("SAME.LAS", "not a LAS file, and not to be lost\r\n");
    if (c.prepare == "symlink") fs::create_symlink("same.las", dir.path() / "link.log");
    if (c.prepare == "hardlink") fs::create_hard_link(las, dir.path() / "hard.log");
    if (c.prepare == "subfolder") fs::create_directory(dir.path() / "sub");
    const auto before = folderSnapshot(dir.path());
    EXPECT_EQ(program.run({"same.las", log}), 0);
    EXPECT_EQ(folderSnapshot(dir.path()), before) << c.log;
    auto messages = program.messages();
    ASSERT_GE(messages.size(), 2u) << c.log;
    EXPECT_EQ(messages[1], kSameFile) << c.log;
  }
}

TEST(ReportName, AnExistingFileIsNotTouchedWhenNoReportIsWritten) {
  // A version no driver certifies gets no report: the file named as the report stays as it was.
  ScratchDir dir;
  Program program(dir);
  dir.writeLas("v4.las", {"~VERSION", " VERS. 4.1 : four", "~A", "1 2"});
  dir.write("command.log", "a command log of another program\r\n");
  dir.write("keep.txt", "somebody's notes\r\n");
  fs::create_symlink("keep.txt", dir.path() / "link.log");
  const auto before = folderSnapshot(dir.path());
  for (const char* log : {"command.log", "link.log"}) {
    program.run({"v4.las", log});
    EXPECT_EQ(folderSnapshot(dir.path()), before) << log;
  }
}

// ---- 2. the report is written safely -----------------------------------------

TEST(ReportFile, AFullDiskLeavesTheOldReportAndSaysWhy) {
  ScratchDir dir;
  Program program(dir);
  dir.writeLas("well.las", las20(" STOP    .M            1500.5000           :STOP DEPTH"));
  dir.write("well.log", "the old report\r\n");
  const auto before = folderSnapshot(dir.path());
  RunOptions full;
  full.fileSizeLimit = 1500;  // room for the command log, not for the report
  EXPECT_EQ(program.run({"well.las", "well.log"}, full), 0);
  EXPECT_EQ(folderSnapshot(dir.path()), before);
  auto messages = program.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1],
            "Error: The certification report could not be written to well.log: Disk full. Error #61. Any old report "
            "there was left as it was.");
  // With room the same run replaces it.
  EXPECT_EQ(program.run({"well.las", "well.log"}), 0);
  EXPECT_EQ(resultLine((dir.path() / "well.log").string()), "Result: LAS file PASSED Ver 2 Certification");
}

TEST(ReportFile, AReportNamedThroughALinkReplacesTheLinkedFileKeepingItsMode) {
  ScratchDir dir;
  Program program(dir);
  dir.writeLas("well.las", las20(" STOP    .M            1500.5000           :STOP DEPTH"));
  fs::create_directory(dir.path() / "reports");
  const std::string old = dir.write("reports/well.log", std::string(5000, 'x'));
  ::chmod(old.c_str(), 0640);
  fs::create_symlink("reports/well.log", dir.path() / "latest.log");
  EXPECT_EQ(program.run({"well.las", "latest.log"}), 0);
  EXPECT_EQ(fs::read_symlink(dir.path() / "latest.log"), "reports/well.log");
  EXPECT_EQ(resultLine(old), "Result: LAS file PASSED Ver 2 Certification");
  EXPECT_TRUE(readFile(old).ends_with("\r\n\r\n"));
  EXPECT_EQ(fs::status(old).permissions(), fs::perms(0640));
  EXPECT_EQ(temporaryLeftIn(dir.path() / "reports"), "");
}

// ---- 3 and 4. the STOP repair -------------------------------------------------

TEST(StopRepair, OnlyTheValueChangesAndEveryOtherByteStays) {
  const std::string longDescription = "STOP DEPTH " + std::string(300, 'D') + " END";
  struct Case {
    std::string stopLine, repairedLine;
    bool version3;
  };
  const std::vector<Case> cases = {
      // version 3.0: format and association stay; the value grows, so the whole file is rewritten
      {" STOP .M     -999.25 : STOP DEPTH       {F} | DEPT", " STOP .M     1500.50000  : STOP DEPTH       {F} | DEPT",
       true},
      // a description past column 254 keeps its tail
      {" STOP    .M  -999.2500 :" + longDescription, " STOP    .M  1500.50000  :" + longDescription, false},
      // room before the colon: written in place, colon where it was
      {kNullStop, " STOP    .M            1500.50000                 :STOP DEPTH", false},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    Program program(dir);
    std::vector<std::string> lines;
    if (c.version3) {
      for (std::string l : splitCrLf(readFile(std::string(KORRIVAN_CASES) + "/v30/pass_standard.las"))) {
        if (l.starts_with(" STOP ")) l = c.stopLine;
        if (l.starts_with("1500.7500") || l.starts_with("1501.0000")) continue;
        lines.push_back(l);
      }
    } else {
      lines = las20(c.stopLine);
    }
    // No line end after the last line: none may be added.
    std::string text = crlf(lines);
    text.resize(text.size() - 2);
    const std::string las = dir.write("rt.las", text);
    EXPECT_EQ(program.run({"rt.las", "rt.log"}), 0);
    EXPECT_EQ(readFile(las), replacedOnce(text, c.stopLine, c.repairedLine));
    EXPECT_EQ(resultLine((dir.path() / "rt.log").string()), c.version3 ? "Result: LAS file PASSED Ver 3 Certification"
                                                                       : "Result: LAS file PASSED Ver 2 Certification");
  }
}

TEST(StopRepair, OnlyAFiniteLastIndexReadFromTheDataIsWritten) {
  struct Case {
    std::string lastLine, error;
  };
  const std::vector<Case> cases = {
      {"ABCD   52.8800  2551.250", "the last index of ~A, ABCD, is not a number"},
      {"1E999   52.8800  2551.250", "the last index of ~A, 1E999, is too large to be written as STOP"},
      {"-1E300   52.8800  2551.250", "the last index of ~A, -1E300, is too large to be written as STOP"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    Program program(dir);
    dir.writeLas("rt.las", las20(kNullStop, {kData[0], kData[1], c.lastLine}));
    const auto before = folderSnapshot(dir.path());
    EXPECT_EQ(program.run({"rt.las", "rt.log"}), 0);
    auto report = splitCrLf(readFile((dir.path() / "rt.log").string()));
    fs::remove(dir.path() / "rt.log");
    EXPECT_EQ(folderSnapshot(dir.path()), before) << c.lastLine;
    auto failed = std::find(report.begin(), report.end(), "Failed: c. STOP Value matches ~ASCII section last index");
    ASSERT_NE(failed, report.end()) << c.lastLine;
    EXPECT_EQ(failed[1], "Errors: STOP holds the NULL value -999.2500 and was not repaired: " + c.error);
  }
}

TEST(StopRepair, AWrappedFileIsSearchedFurtherBackThanTheLastHundredThousandBytes) {
  // Depth records of about 108,000 bytes: the last depth line lies before the window at the end.
  std::vector<std::string> curves, data;
  for (int c = 1; c <= 6; ++c) curves.push_back(" C" + std::to_string(c) + "      .UNIT   :  CURVE");
  const std::string wide(18000, ' ');
  for (const char* depth : {"1500.0000", "1500.2500", "1500.5000"}) {
    data.push_back(depth);
    for (int l = 0; l < 2; ++l) data.push_back(wide + "1.0000" + wide + "2.0000" + wide + "3.0000");
  }
  ScratchDir dir;
  Program program(dir);
  const std::vector<std::string> lines = las20(kNullStop, data, curves, "YES");
  const std::string las = dir.writeLas("wrapped.las", lines);
  const std::string before = readFile(las);
  program.run({"wrapped.las", "wrapped.log"});
  EXPECT_EQ(readFile(las),
            replacedOnce(before, kNullStop, " STOP    .M            1500.50000                 :STOP DEPTH"));
}

// ---- 5. a rewrite keeps the file's identity --------------------------------------

// A POSIX access ACL in the kernel's extended-attribute form: owner rw,
// user 1234 r, group r, mask r, others nothing.
std::string accessAcl() {
  std::string acl;
  auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) acl += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(2, 4);
  for (auto [tag, perm, id] :
       {std::tuple{1u, 6u, ~0u}, {2u, 4u, 1234u}, {4u, 4u, ~0u}, {0x10u, 4u, ~0u}, {0x20u, 0u, ~0u}}) {
    put(tag, 2);
    put(perm, 2);
    put(id, 4);
  }
  return acl;
}

std::string xattrOf(const std::string& path, const char* name) {
  char buf[512];
  ssize_t n = ::getxattr(path.c_str(), name, buf, sizeof buf);
  return n < 0 ? "<none>" : std::string(buf, static_cast<std::size_t>(n));
}

TEST(RewriteIdentity, OwnerModeAttributesAndAclsAreKept) {
  if (!runningAsRoot()) GTEST_SKIP() << "needs root to give the file to another user";
  ScratchDir dir;
  Program program(dir);
  const std::string las = dir.writeLas("owned.las", las20(kTightNullStop));
  const std::string before = readFile(las);
  ASSERT_EQ(::chown(las.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(las.c_str(), 0640), 0);
  if (::setxattr(las.c_str(), "user.korrivan", "kept", 4, 0) != 0) GTEST_SKIP() << "no extended attributes here";
  const std::string acl = accessAcl();
  if (::setxattr(las.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "no ACLs here";
  const std::string aclBefore = xattrOf(las, "system.posix_acl_access");
  struct stat was {};
  ::stat(las.c_str(), &was);

  EXPECT_EQ(program.run({"owned.las", "owned.log"}), 0);
  EXPECT_EQ(readFile(las), replacedOnce(before, kTightNullStop, " STOP    .M  1500.50000  :STOP DEPTH"));
  struct stat now {};
  ::stat(las.c_str(), &now);
  EXPECT_NE(now.st_ino, was.st_ino) << "rewritten through a new file";
  EXPECT_EQ(now.st_uid, kNobody);
  EXPECT_EQ(now.st_gid, kNobody);
  EXPECT_EQ(now.st_mode, was.st_mode);
  EXPECT_EQ(xattrOf(las, "user.korrivan"), "kept");
  EXPECT_EQ(xattrOf(las, "system.posix_acl_access"), aclBefore);
  EXPECT_EQ(temporaryLeftIn(dir.path()), "");
}

TEST(RewriteIdentity, ALinkedFileIsRewrittenWhereItLives) {
  ScratchDir dir;
  Program program(dir);
  fs::create_directory(dir.path() / "data");
  const std::string real = dir.writeLas("data/real.las", las20(kTightNullStop));
  const std::string before = readFile(real);
  fs::create_symlink("data/real.las", dir.path() / "link.las");
  EXPECT_EQ(program.run({"link.las", "link.log"}), 0);
  EXPECT_EQ(fs::read_symlink(dir.path() / "link.las"), "data/real.las");
  EXPECT_EQ(readFile(real), replacedOnce(before, kTightNullStop, " STOP    .M  1500.50000  :STOP DEPTH"));
  EXPECT_EQ(resultLine((dir.path() / "link.log").string()), "Result: LAS file PASSED Ver 2 Certification");
}

TEST(RewriteIdentity, AFileWhoseIdentityCannotBeKeptIsLeftAsItWas) {
  // Hard links would be separated by a rewritten copy: refused, both names unchanged.
  ScratchDir dir;
  Program program(dir);
  fs::create_directory(dir.path() / "data");
  const std::string las = dir.writeLas("data/a.las", las20(kTightNullStop));
  fs::create_hard_link(las, dir.path() / "data" / "b.las");
  auto before = folderSnapshot(dir.path() / "data");
  program.run({"data/a.las", "a.log"});
  EXPECT_EQ(folderSnapshot(dir.path() / "data"), before);
  EXPECT_EQ(fs::hard_link_count(las), 2u);
  auto messages = program.messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(
      messages[1],
      "Error: VB Error in aaCertify2: The file has 2 hard links, which a rewritten copy would separate, so it was "
      "left unchanged. Error #75");
  EXPECT_EQ(messages[2], "A processing error occured within the program.");

  // An owner that the running user cannot give a new file: refused the same way.
  if (!runningAsRoot()) GTEST_SKIP() << "needs root to run as another user";
  fs::remove(dir.path() / "data" / "b.las");
  ASSERT_EQ(::chown(las.c_str(), 0, kNobody), 0);
  ASSERT_EQ(::chmod(las.c_str(), 0664), 0);
  ::chmod((dir.path() / "data").c_str(), 0777);
  fs::create_directory(dir.path() / "state");
  ::chown((dir.path() / "state").c_str(), kNobody, kNobody);
  before = folderSnapshot(dir.path() / "data");
  RunOptions asNobody;
  asNobody.user = kNobody;
  asNobody.environment = {"XDG_STATE_HOME=" + (dir.path() / "state").string()};
  program.run({"data/a.las", "data/a.log"}, asNobody);
  EXPECT_EQ(folderSnapshot(dir.path() / "data"), before);
  auto log = splitCrLf(readFile((dir.path() / "state" / "korrivan" / "command.log").string()));
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[3],
            "Error: VB Error in aaCertify2: The file's owner and group (0:65534) cannot be kept on a rewritten copy, "
            "so it was left unchanged. Error #70");
}

// ---- 6. interrupted rewrites ------------------------------------------------------

TEST(InterruptedRewrite, SigtermDuringARewriteLeavesTheFileAndNoTemporaryFile) {
  ScratchDir dir;
  Program program(dir);
  fs::create_directory(dir.path() / "data");
  // About 11 MB of data, so that the rewrite takes a while.
  std::vector<std::string> data;
  char line[64];
  const int kRecords = 400000;
  for (int i = 0; i < kRecords; ++i) {
    std::snprintf(line, sizeof line, "%.4f   45.1200  2550.000", 1500.0 + i * 0.25);
    data.push_back(line);
  }
  const std::string las = dir.writeLas("data/big.las", las20(kTightNullStop, data));
  const std::string before = readFile(las);

  int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, (dir.path() / "data").c_str(), IN_CREATE), 0);
  pid_t pid = program.start({"data/big.las", "big.log"});
  bool stopped = false;
  while (!stopped) {
    struct pollfd p {
      watch, POLLIN, 0
    };
    ASSERT_EQ(::poll(&p, 1, 120000), 1) << "no rewrite began";
    alignas(inotify_event) char buf[4096];
    ssize_t n = ::read(watch, buf, sizeof buf);
    for (char* at = buf; at < buf + n;) {
      auto* event = reinterpret_cast<inotify_event*>(at);
      if (event->len > 0 && std::string(event->name).starts_with(".korrivan-rewrite-")) {
        ::kill(pid, SIGSTOP);  // hold the run mid-rewrite
        stopped = true;
      }
      at += sizeof(inotify_event) + event->len;
    }
  }
  ::close(watch);
  EXPECT_NE(temporaryLeftIn(dir.path() / "data"), "");
  ::kill(pid, SIGTERM);
  ::kill(pid, SIGCONT);
  int status = Program::finish(pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(temporaryLeftIn(dir.path() / "data"), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "data"), {}), 1);
  EXPECT_TRUE(readFile(las) == before);
}

TEST(InterruptedRewrite, TemporaryFilesOfKilledRunsAreRemovedByTheNextRun) {
  ScratchDir dir;
  Program program(dir);
  dir.writeLas("well.las", las20(" STOP    .M            1500.5000           :STOP DEPTH"));
  const std::string stale = dir.write(".korrivan-rewrite-AbC123", "half a file");
  const std::string fresh = dir.write(".korrivan-rewrite-XyZ789", "being written");
  const std::string other = dir.write(".korrivan-rewrite-notours.txt", "not ours");
  struct timespec twoHoursAgo[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
  ::utimensat(AT_FDCWD, stale.c_str(), twoHoursAgo, 0);
  ::utimensat(AT_FDCWD, other.c_str(), twoHoursAgo, 0);
  program.run({"well.las", "well.log"});
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh));
  EXPECT_TRUE(fs::exists(other));
}

// ---- 7. parallel runs on one file ---------------------------------------------------

TEST(ParallelRuns, TwentyRunsOnOneNullStopFileAllSeeAWholeFile) {
  for (const auto& [stopLine, repaired] :
       {std::pair{kTightNullStop, std::string(" STOP    .M  1500.50000  :STOP DEPTH")},
        std::pair{kNullStop, std::string(" STOP    .M            1500.50000                 :STOP DEPTH")}}) {
    ScratchDir dir;
    Program program(dir);
    fs::create_directory(dir.path() / "reports");
    const std::string las = dir.writeLas("rt.las", las20(stopLine));
    const std::string before = readFile(las);
    std::vector<pid_t> runs;
    for (int i = 0; i < 20; ++i) runs.push_back(program.start({"rt.las", "reports/r" + std::to_string(i) + ".log"}));
    for (pid_t pid : runs) EXPECT_EQ(Program::finish(pid), 0);
    EXPECT_EQ(readFile(las), replacedOnce(before, stopLine, repaired));
    std::string first;
    for (int i = 0; i < 20; ++i) {
      auto lines = splitCrLf(readFile((dir.path() / "reports" / ("r" + std::to_string(i) + ".log")).string()));
      ASSERT_GT(lines.size(), 4u) << i;
      lines[1].clear();  // the date
      std::string report = crlf(lines);
      if (i == 0) first = report;
      EXPECT_EQ(report, first) << "run " << i;
    }
    EXPECT_NE(first.find("Result: LAS file PASSED Ver 2 Certification"), std::string::npos);
    for (const std::string& m : program.messages()) EXPECT_TRUE(m.starts_with("Command line :")) << m;
    EXPECT_EQ(temporaryLeftIn(dir.path()), "");
  }
}

// ---- 8. /W is a switch -------------------------------------------------------------

TEST(WrapSwitch, OnlyAWholeWordAfterTheNamesSwitchesTheCheckOn) {
  const std::string lengthCheck = "d. ~ASCII line length conforms to WRAP line length requirements";
  struct Case {
    std::vector<std::string> words;
    bool on;
  };
  const std::vector<Case> cases = {{{"/W"}, true},      {{"/w"}, true},   {{"\"/W\""}, true},
                                   {{"/Wells"}, false}, {{"x/W"}, false}, {{}, false}};
  for (const Case& c : cases) {
    ScratchDir dir;
    Program program(dir);
    dir.writeLas("w.las", las20(" STOP    .M            1500.5000           :STOP DEPTH"));
    std::vector<std::string> args = {"w.las", "w.log"};
    args.insert(args.end(), c.words.begin(), c.words.end());
    program.run(args);
    EXPECT_EQ(readFile((dir.path() / "w.log").string()).find(lengthCheck) != std::string::npos, c.on)
        << (c.words.empty() ? "" : c.words[0]);
  }
}

// ---- 9. names cannot forge lines ------------------------------------------------------

TEST(ForgedNames, ControlCharactersInNamesAreShownEscaped) {
  ScratchDir dir;
  Program program(dir);
  const std::string name = "x\r\nResult:PASSED\r\n\t\x01.las";  // names hold no blanks
  dir.write(name, "~VERSION\nVERS. 2.0 : v\n~A\n1 2\n");        // LF line ends: fails group 1
  program.run({name, "forged.log"});
  auto report = splitCrLf(readFile((dir.path() / "forged.log").string()));
  ASSERT_GT(report.size(), 4u);
  EXPECT_EQ(report[0], "LAS Certification Result for: x\\r\\nResult:PASSED\\r\\n\\t\\x01.las");
  EXPECT_EQ(std::count_if(report.begin(), report.end(), [](const std::string& l) { return l.starts_with("Result"); }),
            1);
  EXPECT_EQ(report[3], "Result: LAS file FAILS Certification");
  auto context = program.contextLines();
  auto messages = program.messages();
  ASSERT_EQ(context.size(), messages.size());
  for (const std::string& c : context) EXPECT_EQ(std::count(c.begin(), c.end(), '\t'), 3) << c;
  EXPECT_EQ(messages[0], "Command line :x\\r\\nResult:PASSED\\r\\n\\t\\x01.las forged.log");
}

// ---- 10. the command log in a safe place ------------------------------------------------

TEST(CommandLogPlace, NeverALinkNorAFolderOfSomeoneElse) {
  if (!runningAsRoot()) GTEST_SKIP() << "needs root to run as another user";
  // The program's folder belongs to root: nobody cannot write the log there.
  enum class Setup { NoHome, LinkedFolder, ForeignFolder, LinkedLog, Fresh };
  for (Setup setup : {Setup::NoHome, Setup::LinkedFolder, Setup::ForeignFolder, Setup::LinkedLog, Setup::Fresh}) {
    ScratchDir dir;
    Program program(dir);
    const fs::path state = dir.path() / "state";
    fs::create_directories(state);
    fs::create_directories(dir.path() / "elsewhere");
    ::chown(state.c_str(), kNobody, kNobody);
    ::chown((dir.path() / "elsewhere").c_str(), kNobody, kNobody);
    const std::string victim = dir.write("elsewhere/victim.txt", "precious\r\n");
    ::chown(victim.c_str(), kNobody, kNobody);
    if (setup == Setup::LinkedFolder) fs::create_symlink(dir.path() / "elsewhere", state / "korrivan");
    if (setup == Setup::ForeignFolder) fs::create_directory(state / "korrivan");  // root's
    if (setup == Setup::LinkedLog) {
      fs::create_directory(state / "korrivan");
      ::chown((state / "korrivan").c_str(), kNobody, kNobody);
      fs::create_symlink(victim, state / "korrivan" / "command.log");
    }
    const std::string las = dir.writeLas("w.las", las20(" STOP    .M            1500.5000           :STOP DEPTH"));
    ::chown(las.c_str(), kNobody, kNobody);
    ::chmod(dir.path().c_str(), 0777);
    RunOptions options;
    options.user = kNobody;
    options.bareEnvironment = true;
    if (setup != Setup::NoHome) options.environment = {"XDG_STATE_HOME=" + state.string()};
    options.stderrPath = (dir.path() / "stderr.txt").string();
    EXPECT_EQ(program.run({"w.las", "w.log"}, options), 0);

    EXPECT_EQ(resultLine((dir.path() / "w.log").string()), "Result: LAS file PASSED Ver 2 Certification");
    EXPECT_FALSE(fs::exists(program.folder() / "command.log"));
    EXPECT_EQ(readFile(victim), "precious\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "elsewhere"), {}), 1);
    const std::string stderrText = readFile(options.stderrPath);
    if (setup == Setup::Fresh) {
      EXPECT_EQ(stderrText, "");
      EXPECT_EQ(fs::status(state / "korrivan").permissions(), fs::perms::owner_all);
      EXPECT_EQ(splitCrLf(readFile((state / "korrivan" / "command.log").string())).size(), 2u);
    } else if (setup != Setup::LinkedLog) {
      EXPECT_EQ(stderrText,
                "korrivan: no safe folder for command.log (the program's folder is not writable and there is no "
                "usable XDG_STATE_HOME or home folder); command-log entries of this run are not kept\n");
    }
  }
}

// ---- 11. names are taken literally ---------------------------------------------------------

TEST(LiteralNames, APatternIsNotAFileName) {
  ScratchDir dir;
  Program program(dir);
  dir.writeLas("a.las", las20(kNullStop));
  const auto before = folderSnapshot(dir.path());
  program.run({"*.las", "r.log"});
  EXPECT_EQ(folderSnapshot(dir.path()), before);
  auto messages = program.messages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[1], "Error:LAS file name, *.las, is not a valid file name or file is not accessible.");
}

}  // namespace
