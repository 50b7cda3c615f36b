// File-name helpers.
#include "base/file_names.h"

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
  EXPECT_TRUE(fileExists((dir.path() / "*.las").string()));
}

TEST(TestFileSpec, CreatesAndRemovesTheProbe) {
  korrivan::test::ScratchDir dir;
  std::string probe = (dir.path() / "probe.log").string();
  EXPECT_TRUE(testFileSpec(probe));
  EXPECT_FALSE(std::filesystem::exists(probe));
  EXPECT_FALSE(testFileSpec((dir.path() / "missing" / "p.log").string()));
  EXPECT_FALSE(testFileSpec(""));
}
