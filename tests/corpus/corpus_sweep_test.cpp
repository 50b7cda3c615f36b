// Every file of the shared corpus of real LAS files goes through the
// pre-checks, version detection and the section directory without a crash
// or a hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "certify/prechecks.h"
#include "las/section_directory.h"

namespace fs = std::filesystem;
using namespace korrivan;

namespace {

std::vector<fs::path> corpusFiles() {
  std::vector<fs::path> files;
  fs::path root(KORRIVAN_CORPUS);
  if (!fs::exists(root)) return files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    auto ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".las") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(CorpusSweep, ReadingLayerGivesAnOutcomeForEveryFile) {
  auto files = corpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus at " << KORRIVAN_CORPUS;
  int passed = 0, versions = 0;
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    certify::PreCheckSlots slots;
    if (certify::preCheckFile(f.string(), slots) == certify::PreCheckResult::AllPassed) ++passed;
    float v = certify::detectVersion(f.string());
    if (v != 0) ++versions;
    las::SectionDirectory d;
    d.locateMainSections(f.string(), v);
  }
  EXPECT_GT(files.size(), 200u);
  EXPECT_GT(passed, 0);
  EXPECT_GT(versions, 0);
}

}  // namespace
