// Group 1 file checks and version detection on files made in a scratch folder.
#include "certify/prechecks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/las_fixture.h"

using namespace korrivan::certify;
using korrivan::test::ScratchDir;

namespace {

PreCheckSlots run(const std::string& file, PreCheckResult expected) {
  PreCheckSlots slots;
  EXPECT_EQ(preCheckFile(file, slots), expected) << file;
  return slots;
}

TEST(PreChecks, CrLfFilePassesAndExtensionIsTested) {
  ScratchDir dir;
  std::string body = "~Version\r\n VERS. 2.0 : v\r\n";
  EXPECT_EQ(run(dir.write("ok.LAS", body), PreCheckResult::AllPassed), PreCheckSlots{});
  EXPECT_EQ(run(dir.write("ok.txt", body), PreCheckResult::AnyFailed)[5], "File extension is not .LAS ");
  std::string shortName = dir.write("a.l", body);
  // Only the name as given counts: a relative three-letter name is illegal.
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_EQ(run("a.l", PreCheckResult::AnyFailed)[5], "File name is illegal and/or extension is not .LAS");
}

TEST(PreChecks, EmptyMissingAndHidden) {
  ScratchDir dir;
  auto empty = run(dir.write("empty.las", ""), PreCheckResult::AnyFailed);
  EXPECT_EQ(empty[1], "File exists but has zero bytes");
  EXPECT_EQ(empty[3], "");

  auto missing = run((dir.path() / "missing.las").string(), PreCheckResult::AnyFailed);
  EXPECT_EQ(missing[2], "File Accessibility Error : File not found 53");
  EXPECT_EQ(missing[0], "File does not exist or is not accessible");

  EXPECT_EQ(run(dir.write(".hidden.las", "x\r\n"), PreCheckResult::AnyFailed)[2],
            "File exists, but has Hidden Attribute");
}

TEST(PreChecks, LineEndsAndNulBytes) {
  ScratchDir dir;
  auto lf = run(dir.write("lf.las", "~Version\n VERS. 2.0 : v\n"), PreCheckResult::AnyFailed);
  EXPECT_EQ(lf[3], "Unix Line Feed (ASCII 10) terminated ");
  EXPECT_EQ(lf[2], "");  // nothing went wrong accessing it

  auto cr = run(dir.write("cr.las", "~Version\r VERS. 2.0 : v\r"), PreCheckResult::AnyFailed);
  EXPECT_EQ(cr[3], "Unix Line Feed (ASCII 10) terminated ");
  EXPECT_EQ(cr[2], "");

  auto nul = run(dir.write("nul.las", std::string("~Version\r\n\0\0\r\n", 14)), PreCheckResult::AnyFailed);
  EXPECT_EQ(nul[4], " ");
  EXPECT_EQ(nul[2], "Unexpected Error :  0");

  auto crcrlf = run(dir.write("crcrlf.las", "~Version\r\r\n VERS. 2.0 : v\r\r\n"), PreCheckResult::AnyFailed);
  EXPECT_EQ(crcrlf[3], "");
  EXPECT_EQ(crcrlf[2], "Unexpected Error :  0");
}

TEST(PreChecks, ExactlyOneBlockAndLongFiles) {
  ScratchDir dir;
  std::string line = std::string(4094, 'x') + "\r\n";  // exactly 4096 bytes
  EXPECT_EQ(run(dir.write("4096.las", line), PreCheckResult::AllPassed), PreCheckSlots{});
  // A first line ending in CR LF LF falls to the error classification.
  std::string doubled = "~V\r\n\n" + std::string(5000, 'y') + "\r\n";
  auto slots = run(dir.write("doubled.las", doubled), PreCheckResult::AnyFailed);
  EXPECT_EQ(slots[3], "");
  EXPECT_EQ(slots[2], "Unexpected Error :  0");
}

TEST(PreChecks, FileLockedByAnotherProgram) {
  ScratchDir dir;
  std::string file = dir.write("locked.las", "~V\r\n");
  int fd = ::open(file.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  pid_t child = ::fork();
  if (child == 0) {
    PreCheckSlots slots;
    preCheckFile(file, slots);
    ::_exit(slots[2] == "File Accessibility Error : Permission denied 70" ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(fd);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(VersionDetection, ValueBeforeTheDataOnly) {
  ScratchDir dir;
  EXPECT_EQ(detectVersion(dir.writeLas("v2.las", {"~Version", " VERS.   2.0 : v", "~A", "1"})), 2.0f);
  EXPECT_EQ(detectVersion(dir.writeLas("v12.las", {"~V", "VERS. 1.20 : v"})), 1.2f);
  EXPECT_EQ(detectVersion(dir.writeLas("late.las", {"~Version", "~Ascii", " VERS. 3.0 : v"})), 0.0f);
  EXPECT_EQ(detectVersion(dir.writeLas("v3.las", {"~Version", "VERS. 3.0 : v", "~Log_Data", "1"})), 3.0f);
  EXPECT_EQ(detectVersion(dir.writeLas("txt.las", {"~Version", "VERS. three : v"})), 0.0f);
  EXPECT_EQ(detectVersion(dir.writeLas("tab.las", {"~Version", "VERS.\t2.0 : v"})), 0.0f);
  EXPECT_EQ(detectVersion((dir.path() / "none.las").string()), 0.0f);
}

// The plain reason a file is no LAS well log, for the front ends; the
// report's texts do not change.
TEST(NotLasReason, PointCloudsAndTextEncodings) {
  ScratchDir dir;
  const std::string las = "~Version\r\n VERS. 2.0 : v\r\n";
  std::string utf16le, utf16be;
  for (char c : las) utf16le += std::string{c, '\0'}, utf16be += std::string{'\0', c};
  EXPECT_EQ(notLasReason(dir.write("cloud.las", std::string("LASF\0\0\1\2", 8))), "LiDAR point cloud, not a well log");
  EXPECT_EQ(notLasReason(dir.write("le.las", "\xFF\xFE" + utf16le)), "UTF-16 text");
  EXPECT_EQ(notLasReason(dir.write("be.las", "\xFE\xFF" + utf16be)), "UTF-16 text");
  EXPECT_EQ(notLasReason(dir.write("le-plain.las", utf16le)), "UTF-16 text");
  EXPECT_EQ(notLasReason(dir.write("be-plain.las", utf16be)), "UTF-16 text");
  EXPECT_EQ(notLasReason(dir.write("utf32.las", std::string("\xFF\xFE\0\0~\0\0\0", 8))), "UTF-32 text");
  EXPECT_EQ(notLasReason(dir.write("bom.las", "\xEF\xBB\xBF" + las)), "UTF-8 byte-order mark before the first section");
  EXPECT_EQ(notLasReason(dir.write("plain.las", las)), "");
  EXPECT_EQ(notLasReason(dir.write("nul.las", las + std::string(4, '\0'))), "");
  EXPECT_EQ(notLasReason((dir.path() / "missing.las").string()), "");
  // The report of such a file stays as it was: here a NUL byte leaves the
  // ASCII check not performed.
  PreCheckSlots slots = run(dir.write("le2.las", "\xFF\xFE" + utf16le), PreCheckResult::AnyFailed);
  EXPECT_EQ(slots[4], " ");
}

}  // namespace
