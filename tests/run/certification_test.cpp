// One certification as a value: many files certified in one process give
// the reports separate runs give, the findings carry their lines, the
// process locale changes nothing, and a cancel is seen inside a long walk.
#include "run/certification.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <locale>
#include <regex>

#include "bench/las_generator.h"
#include "certify/report.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;
using korrivan::test::ScratchDir;

namespace {

// The report of a certification in the form of the golden .expected files.
std::string reportOf(const run::Certification& c, const fs::path& las) {
  std::string report =
      certify::buildReport(c.table(), {las.filename().string(), c.detectedVersion, std::chrono::system_clock::now()});
  report = std::regex_replace(report, std::regex("Date: [^\r]*"), "Date: <date>");
  return report + "\r\n";
}

// Certifies a copy of a golden case in this process; its report, or "" when
// a batch run writes none.
std::string certifyCase(const std::string& name, const ScratchDir& dir, certify::RunHooks& hooks) {
  const fs::path original = fs::path(KORRIVAN_CASES) / name;
  const fs::path las = dir.path() / original.filename();
  fs::copy_file(original, las, fs::copy_options::overwrite_existing);
  run::CertifyOptions options;
  options.doWrap = las.stem().string().ends_with("_W");
  options.log.programFolder = dir.path().string();
  const run::Certification c = run::certifyFile(las.string(), options, hooks);
  if (c.end != run::CertifyEnd::Completed && c.end != run::CertifyEnd::PreCheckFailed) return "";
  return reportOf(c, las);
}

std::string expectedOf(const std::string& name) {
  fs::path p = fs::path(KORRIVAN_CASES) / name;
  p.replace_extension(".expected");
  const std::string text = test::readFile(p.string());
  return text.rfind("NO REPORT", 0) == 0 ? "" : text;
}

TEST(Certification, ManyFilesInOneProcessGiveTheReportsOfSeparateRuns) {
  // Failing then passing, 2.0 then 3.0 then 2.0, a country-only failure
  // (whose check name gains its requirement) then a pass: twice over.
  const std::vector<std::string> sequence = {
      "v20/fail_03b_version_and_v.las",         "v20/pass_standard.las",
      "v30/pass_tab_delimiter.las",             "v20/fail_05b_no_country_set_certified_to_end.las",
      "v20/pass_standard.las",           "v30/fail_08b_self_reference.las",
      "precheck/fail_01b_empty.las",            "v20/fail_04a_missing_mnemonic_and_space.las",
      "v12/pass_one_letter_titles.las",
  };
  ScratchDir dir;
  certify::SilentHooks hooks;
  for (int round = 0; round < 2; ++round)
    for (const std::string& name : sequence) {
      ASSERT_TRUE(fs::exists(fs::path(KORRIVAN_CASES) / name)) << name;
      EXPECT_EQ(certifyCase(name, dir, hooks), expectedOf(name)) << name << ", round " << round + 1;
    }
}

TEST(Certification, FindingsCarryTheLinesTheyAreAbout) {
  ScratchDir dir;
  certify::SilentHooks hooks;
  const fs::path las = dir.path() / "m.las";
  fs::copy_file(fs::path(KORRIVAN_CASES) / "v20/fail_04a_missing_mnemonic_and_space.las", las);
  const run::Certification c = run::certifyFile(las.string(), {}, hooks);
  const run::CheckResult* check = c.firstFailure();
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->idText(), "4a");
  ASSERT_EQ(check->findings.size(), 2u);
  EXPECT_EQ(check->findings[0].message, "Missing Mnemonic");
  EXPECT_EQ(check->findings[0].line, 19);
  EXPECT_EQ(check->findings[0].lineText, "   .M    100 : no mnemonic");
  EXPECT_EQ(check->findings[1].message, "Mnemonic has embedded space(s)");
  EXPECT_EQ(check->findings[1].line, 20);
  EXPECT_EQ(check->cellText.substr(0, 18), "\r\nMissing Mnemonic");  // the report's text is unchanged
}

// A window sets the process locale from the environment; numbers in formats
// and reports must not follow it.
TEST(Certification, ProcessLocaleChangesNoReport) {
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  ASSERT_NE(german, nullptr) << "the de_DE.UTF-8 locale is not installed (scripts/install-deps generates it)";
  std::locale::global(std::locale("de_DE.UTF-8"));
  ScratchDir dir;
  certify::SilentHooks hooks;
  int compared = 0;
  for (const fs::path& p : test::lasFilesBelow(KORRIVAN_CASES)) {
    const std::string name = fs::relative(p, KORRIVAN_CASES).string();
    const std::string expected = expectedOf(name);
    if (expected.empty()) continue;
    EXPECT_EQ(certifyCase(name, dir, hooks), expected) << name;
    ++compared;
  }
  std::locale::global(std::locale::classic());
  std::setlocale(LC_ALL, "C");
  EXPECT_GT(compared, 80);
}

// Presses ESC after a number of polls and answers the cancel question.
class EscAfterPolls : public certify::SilentHooks {
public:
  EscAfterPolls(int polls, certify::MessageAnswer answer) : pressAt_(polls), answer_(answer) {}
  bool interactive() const override { return true; }
  void letEventsRun() override {
    if (++events == pressAt_) cancel_ = true;
  }
  bool cancelRequested() const override { return cancel_; }
  void clearCancel() override { cancel_ = false; }
  certify::MessageAnswer messageBox(certify::MessageIcon, const std::string&, const std::string&,
                                    certify::MessageButtons, certify::MessageAnswer) override {
    ++questions;
    return answer_;
  }
  int events = 0;
  int questions = 0;

private:
  int pressAt_;
  certify::MessageAnswer answer_;
  bool cancel_ = false;
};

TEST(Certification, CancelIsSeenInsideALongDataWalk) {
  ScratchDir dir;
  const std::string file = (dir.path() / "long.las").string();
  bench::generateLas(file, bench::LasKind::V20Unwrapped, 24 << 20);

  certify::SilentHooks silent;
  const run::Certification plain = run::certifyFile(file, {}, silent);
  ASSERT_EQ(plain.end, run::CertifyEnd::Completed);

  // Counted: the walks over 24 MB poll every few MiB, far more often than
  // the seven record steps of the groups.
  EscAfterPolls counting(-1, certify::MessageAnswer::No);
  run::CertifyOptions interactive;
  interactive.mode = run::CertifyMode::Interactive;
  run::certifyFile(file, interactive, counting);
  ASSERT_GT(counting.events, 20);

  // ESC in the middle of the walks: Yes cancels there and then.
  const int middle = counting.events / 2;
  EscAfterPolls yes(middle, certify::MessageAnswer::Yes);
  const run::Certification cancelled = run::certifyFile(file, interactive, yes);
  EXPECT_EQ(cancelled.end, run::CertifyEnd::Cancelled);
  EXPECT_EQ(yes.questions, 1);
  EXPECT_LT(yes.events, counting.events);

  // No goes on, and the verdict is the one of an uninterrupted run.
  EscAfterPolls no(middle, certify::MessageAnswer::No);
  const run::Certification continued = run::certifyFile(file, interactive, no);
  EXPECT_EQ(continued.end, run::CertifyEnd::Completed);
  EXPECT_EQ(no.questions, 1);
  EXPECT_EQ(continued.resultText(), plain.resultText());
  EXPECT_EQ(certify::buildReport(continued.table(), {file, 2.0f, {}}), certify::buildReport(plain.table(), {file, 2.0f, {}}));
}

}  // namespace
