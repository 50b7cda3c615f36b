// Every file of the shared corpus of real LAS files is certified in batch
// mode (as a copy, since a run may repair a file). Each must end in a report
// or a command-log line, never a crash or a hang. The verdicts are kept in
// corpus_verdicts.tsv beside this file so that a change of verdict shows up
// in review; KORRIVAN_UPDATE_GOLDEN=1 rewrites it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "certify/prechecks.h"
#include "certify/run_hooks.h"
#include "certify/session.h"
#include "las/section_directory.h"
#include "run/batch_run.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;
using korrivan::test::readFile;
using korrivan::test::splitCrLf;

namespace {

std::vector<fs::path> corpusFiles() { return test::lasFilesBelow(KORRIVAN_CORPUS); }

// One line of the verdict table: file, version, result, first failing check.
std::string verdictOf(const fs::path& original, const test::ScratchDir& dir) {
  const fs::path copy = dir.path() / "corpus.las";
  fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
  fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path report = dir.path() / "report.log";
  fs::remove(report);
  fs::remove(dir.path() / "command.log");

  certify::Session session;
  session.programFolder = dir.path().string();
  session.lasFileName = copy.string();
  session.logFileName = report.string();
  session.batch = true;
  certify::SilentHooks hooks;
  run::doBatchMode(session, hooks);

  const std::string name = fs::relative(original, KORRIVAN_CORPUS).string();
  const std::string version =
      session.detectedVersion == certify::kVersionUnknown ? "-" : std::to_string(session.detectedVersion).substr(0, 3);
  if (!fs::exists(report)) {
    auto log = splitCrLf(readFile((dir.path() / "command.log").string()));
    return name + "\t" + version + "\tno report\t" + (log.size() >= 2 ? log.back() : "") + "\n";
  }
  std::string result, firstFailed, group;
  for (const std::string& l : splitCrLf(readFile(report.string()))) {
    if (l.rfind("Result: ", 0) == 0) result = l.substr(8);
    if (l.size() > 3 && std::isdigit(static_cast<unsigned char>(l[0])) && l[2] == ':') group = l.substr(0, 2);
    if (firstFailed.empty() && l.rfind("Failed: ", 0) == 0) firstFailed = group + l.substr(8);
  }
  return name + "\t" + version + "\t" + result + "\t" + firstFailed + "\n";
}

// The reading layer on real files: the pre-checks agree with their slots,
// and the section directory of every readable file points at its title
// lines, in file order, with the line numbers counted from the top.
TEST(CorpusSweep, ReadingLayerDescribesEveryFile) {
  auto files = corpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus at " << KORRIVAN_CORPUS;
  int directories = 0;
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    certify::PreCheckSlots slots;
    const bool allPassed = certify::preCheckFile(f.string(), slots) == certify::PreCheckResult::AllPassed;
    EXPECT_EQ(allPassed, std::all_of(slots.begin(), slots.end(), [](const std::string& s) { return s.empty(); }));

    las::SectionDirectory d;
    d.locateMainSections(f.string(), certify::detectVersion(f.string()));
    const std::string text = readFile(f.string());
    std::int64_t previousStart = -1;
    for (const las::SectionRow& row : d.rows()) {
      ASSERT_GT(row.start, previousStart);
      ASSERT_LE(row.start, static_cast<std::int64_t>(text.size()));
      const std::string_view title = std::string_view(text).substr(static_cast<std::size_t>(row.titleStart));
      EXPECT_EQ(title.substr(title.find_first_not_of(' '), 1), "~");
      // Lines end at CR (CR LF is one line end), so the title's number is one
      // more than the CRs before it.
      const auto crs = std::count(text.begin(), text.begin() + row.titleStart, '\r');
      EXPECT_EQ(row.titleLine, crs + 1);
      EXPECT_EQ(row.startLine, row.titleLine + 1);
      previousStart = row.start;
    }
    directories += d.rows().empty() ? 0 : 1;
  }
  EXPECT_GT(directories, static_cast<int>(files.size()) / 2);
}

TEST(CorpusSweep, EveryFileGetsAVerdictOrALoggedMessage) {
  auto files = corpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus at " << KORRIVAN_CORPUS;
  test::ScratchDir dir;
  std::string table = "file\tversion\tresult\tfirst failed check or message\n";
  for (const fs::path& f : files) table += verdictOf(f, dir);

  const std::string tablePath = std::string(KORRIVAN_CASES) + "/../../corpus/corpus_verdicts.tsv";
  if (std::getenv("KORRIVAN_UPDATE_GOLDEN")) std::ofstream(tablePath, std::ios::binary) << table;
  const std::string expected = readFile(tablePath);
  std::istringstream want(expected), got(table);
  std::string w, g;
  int line = 0;
  for (;;) {
    bool moreWanted = static_cast<bool>(std::getline(want, w));
    bool moreGot = static_cast<bool>(std::getline(got, g));
    if (!moreWanted && !moreGot) break;
    ++line;
    EXPECT_EQ(g, w) << "corpus verdict line " << line;
    w.clear();
    g.clear();
  }
}

}  // namespace
