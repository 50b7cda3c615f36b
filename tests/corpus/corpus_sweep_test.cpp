// Every file of the shared corpus of real LAS files is certified in batch
// mode (as a copy, since a run may repair a file). Each must end in a report
// or a command-log line, never a crash or a hang. The verdicts are kept in
// corpus_verdicts.tsv beside this file so that a change of verdict shows up
// in review; KORRIVAN_UPDATE_GOLDEN=1 rewrites it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "run/batch_run.h"
#include "certify/prechecks.h"
#include "certify/run_hooks.h"
#include "certify/session.h"
#include "las/section_directory.h"
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

TEST(CorpusSweep, ReadingLayerGivesAnOutcomeForEveryFile) {
  auto files = corpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus at " << KORRIVAN_CORPUS;
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    certify::PreCheckSlots slots;
    certify::preCheckFile(f.string(), slots);
    las::SectionDirectory d;
    d.locateMainSections(f.string(), certify::detectVersion(f.string()));
  }
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
