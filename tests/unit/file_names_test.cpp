// File-name helpers.
#include "base/file_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/program_folders.h"
#include "certify/command_log.h"
#include "support/las_fixture.h"

using namespace korrivan::base;

TEST(ChangeExtension, Examples) {
  EXPECT_EQ(changeExtension("C:\\a.b\\well.las", "log"), "C:\\a.b\\well.log");
  EXPECT_EQ(changeExtension("/data/a.b/well", "log"), "/data/a.b/well.log");
  EXPECT_EQ(changeExtension("well", "log"), "well.log");
  EXPECT_EQ(changeExtension("well.las", ""), "well");
  EXPECT_EQ(changeExtension("well.las", "~#~"), "well.~#~");
  EXPECT_EQ(changeExtension("   ", "log"), "   ");
}

TEST(FileExists, NormalFilesOnly) {
  korrivan::test::ScratchDir dir;
  std::string normal = dir.write("w.las", "x");
  std::string hidden = dir.write(".w.las", "x");
  EXPECT_TRUE(fileExists(normal));
  EXPECT_FALSE(fileExists(hidden));
  EXPECT_FALSE(fileExists(dir.path().string()));
  EXPECT_FALSE(fileExists(""));
  EXPECT_FALSE(fileExists((dir.path() / "absent.las").string()));
  // Names are taken literally: no pattern matching.
  EXPECT_FALSE(fileExists((dir.path() / "*.las").string()));
  EXPECT_FALSE(fileExists((dir.path() / "w.la?").string()));
  EXPECT_TRUE(fileExists(dir.write("*.las", "x")));
}

TEST(TestFileSpec, ProvesTheFolderWithoutTouchingAnyFile) {
  korrivan::test::ScratchDir dir;
  std::string probe = (dir.path() / "probe.log").string();
  EXPECT_TRUE(testFileSpec(probe));
  EXPECT_FALSE(std::filesystem::exists(probe));
  std::string old = dir.write("old.log", "an old report\r\n");
  EXPECT_TRUE(testFileSpec(old));
  EXPECT_EQ(korrivan::test::readFile(old), "an old report\r\n");
  std::filesystem::create_symlink("nowhere/r.log", dir.path() / "dangling.log");
  EXPECT_FALSE(testFileSpec((dir.path() / "dangling.log").string()));
  EXPECT_FALSE(testFileSpec(dir.path().string()));
  EXPECT_FALSE(testFileSpec((dir.path() / "missing" / "p.log").string()));
  EXPECT_FALSE(testFileSpec(""));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // old.log, dangling.log
}

TEST(PrintableName, ControlCharactersAreEscaped) {
  EXPECT_EQ(printableName("a\rb\nc\td\x01"
                          "e\x7f/\\f \xc3\xa9"),
            "a\\rb\\nc\\td\\x01e\\x7f/\\f \xc3\xa9");
}

// An installed program (<prefix>/bin beside <prefix>/share/korrivan) keeps its
// command log in the state folder even where its own folder is writable.
TEST(ProgramFolders, InstalledLayoutWritesNothingBesideTheProgram) {
  korrivan::test::ScratchDir dir;
  const std::filesystem::path bin = dir.path() / "usr" / "bin";
  std::filesystem::create_directories(bin);
  EXPECT_EQ(installedDataFolder(bin.string()), "");
  EXPECT_EQ(korrivan::certify::commandLogPath(bin.string()), bin.string() + "/command.log");

  std::filesystem::create_directories(dir.path() / "usr" / "share" / "korrivan");
  EXPECT_EQ(installedDataFolder(bin.string() + "/"), (dir.path() / "usr" / "share" / "korrivan").string());
  const std::string state = (dir.path() / "state").string();
  const char* before = std::getenv("XDG_STATE_HOME");
  const std::string saved = before ? before : "";
  ::setenv("XDG_STATE_HOME", state.c_str(), 1);
  EXPECT_EQ(korrivan::certify::commandLogPath(bin.string()), state + "/korrivan/command.log");
  if (before)
    ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_STATE_HOME");
}
