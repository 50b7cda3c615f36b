// File-name helpers.
#include "certify/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/las_fixture.h"

using namespace korrivan::certify;

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
