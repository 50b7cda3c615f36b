// Whole batch certifications of the case files under golden/cases: each
// <name>.las is certified and its report compared with <name>.expected.
// The report's file name line holds only the case's file name and its date
// line reads "<date>". A case that gets no report expects "NO REPORT" and
// the command-log messages of the run.
//
// A name ending in "_W" is certified as with the /W switch.
//
// Names state the verdict: pass_* must pass; fail_<group><row>_* must fail
// with that check (e.g. fail_03d_...) as the first failed check listed.
//
// KORRIVAN_UPDATE_GOLDEN=1 writes the .expected files from the current
// reports (review every change before committing it).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "run/batch_run.h"
#include "certify/run_hooks.h"
#include "certify/session.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;
using korrivan::test::readFile;
using korrivan::test::splitCrLf;

namespace {

std::vector<std::string> caseNames() {
  std::vector<std::string> out;
  for (const fs::path& p : test::lasFilesBelow(KORRIVAN_CASES)) out.push_back(fs::relative(p, KORRIVAN_CASES).string());
  return out;
}

std::vector<std::string> commandLogMessages(const fs::path& folder) {
  auto lines = splitCrLf(readFile((folder / "command.log").string()));
  std::vector<std::string> out;
  for (std::size_t i = 1; i < lines.size(); i += 2) out.push_back(lines[i]);
  return out;
}

// The outcome of one case in the form of its .expected file.
// The case is certified as a copy, since a run may repair the file.
std::string certifyCase(const fs::path& original, const test::ScratchDir& dir) {
  const fs::path las = dir.path() / original.filename();
  fs::copy_file(original, las);
  certify::Session session;
  session.programFolder = dir.path().string();
  session.lasFileName = las.string();
  session.logFileName = (dir.path() / "report.log").string();
  session.batch = true;
  session.doWrap = las.stem().string().ends_with("_W");  // the /W switch
  certify::SilentHooks hooks;
  run::doBatchMode(session, hooks);

  std::string out;
  if (!fs::exists(session.logFileName)) {
    out = "NO REPORT\r\n";
    for (const std::string& m : commandLogMessages(dir.path())) out += m + "\r\n";
    return out;
  }
  auto lines = splitCrLf(readFile(session.logFileName));
  if (lines.size() > 1) {
    lines[0] = "LAS Certification Result for: " + las.filename().string();
    lines[1] = std::regex_replace(lines[1], std::regex("Date: .*$"), "Date: <date>");
  }
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// "03d" for the first "Failed: d." line in group 03, "" for a passing report.
std::string firstFailedCheck(const std::string& report) {
  std::string group;
  for (const std::string& l : splitCrLf(report)) {
    if (l.size() > 3 && std::isdigit(static_cast<unsigned char>(l[0])) && l[2] == ':') group = l.substr(0, 2);
    if (l.rfind("Failed: ", 0) == 0) return group + l.substr(8, 1);
  }
  return "";
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, ReportMatches) {
  const fs::path las = fs::path(KORRIVAN_CASES) / GetParam();
  fs::path expectedPath = las;
  expectedPath.replace_extension(".expected");
  test::ScratchDir dir;
  const std::string actual = certifyCase(las, dir);

  if (std::getenv("KORRIVAN_UPDATE_GOLDEN")) {
    std::ofstream(expectedPath, std::ios::binary) << actual;
  }
  ASSERT_TRUE(fs::exists(expectedPath)) << "missing " << expectedPath;
  const std::string expected = readFile(expectedPath.string());
  auto want = splitCrLf(expected), got = splitCrLf(actual);
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    std::string w = i < want.size() ? want[i] : "<none>";
    std::string g = i < got.size() ? got[i] : "<none>";
    EXPECT_EQ(g, w) << "line " << i + 1 << " of " << GetParam();
    if (g != w) break;
  }

  const std::string name = las.stem().string();
  if (name.rfind("pass_", 0) == 0) {
    EXPECT_NE(actual.find("Result: LAS file PASSED"), std::string::npos);
  }
  std::smatch m;
  if (std::regex_search(name, m, std::regex("^fail_(\\d\\d[a-o])_"))) {
    EXPECT_EQ(firstFailedCheck(actual), m[1].str()) << "the case name states the first failing check";
  }
}

std::string caseTestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string n = info.param;
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, ::testing::ValuesIn(caseNames()), caseTestName);

}  // namespace
