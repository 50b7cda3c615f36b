// The drivers' record step: the gating rule, cancelling through the
// interaction interface, and the error exit.
#include <gtest/gtest.h>

#include <filesystem>

#include "run/drivers.h"
#include "certify/report.h"
#include "support/las_fixture.h"

using namespace korrivan::certify;
using korrivan::test::ScratchDir;

namespace {

// Answers the cancel question as scripted and records what it was asked.
class ScriptedHooks : public SilentHooks {
public:
  bool interactive() const override { return true; }
  bool cancelRequested() const override { return cancel; }
  void clearCancel() override { cancel = false; }
  void letEventsRun() override {
    if (++events == pressEscAtEvent) cancel = true;
  }
  void showProgress(int percent, const std::string& caption) override { progress.push_back({percent, caption}); }
  MessageAnswer messageBox(MessageIcon, const std::string& title, const std::string& text, MessageButtons,
                           MessageAnswer) override {
    questions.push_back(title + "|" + text);
    return answer;
  }

  bool cancel = false;
  int events = 0;
  int pressEscAtEvent = -1;
  MessageAnswer answer = MessageAnswer::No;
  std::vector<std::string> questions;
  std::vector<std::pair<int, std::string>> progress;
};

const std::vector<std::string> kVersion20 = {"~Version",
                                             " VERS. 2.0 : v",
                                             " WRAP. NO : w",
                                             "~Well",
                                             " STRT.M 1 : s",
                                             " STOP.M 2 : e",
                                             " STEP.M 1 : st",
                                             " NULL. -999.25 : n",
                                             "~Curve",
                                             " DEPT.M : d",
                                             "~A",
                                             "1",
                                             "2"};

// Runs the driver of the version on the file, logging into the scratch folder.
korrivan::run::DriverRun drive(const ScratchDir& dir, const std::string& file, float version, RunHooks& hooks) {
  const korrivan::run::DriverSetup setup{file,  version, false, korrivan::run::RepairPolicy::Repair, hooks,
                                         {dir.path().string(), file, "", "Korrivan"}};
  return version == 3.0f ? korrivan::run::aaCertify3(setup) : korrivan::run::aaCertify2(setup);
}

std::string commandLog(const ScratchDir& dir) {
  return korrivan::test::readFile((dir.path() / "command.log").string());
}

TEST(Drivers, FailureInGroupThreeEndsTheRunAndLeavesLaterGroupsEmpty) {
  ScratchDir dir;
  std::vector<std::string> lines = kVersion20;
  lines.insert(lines.begin() + 3, "~V");  // a duplicate title by first letter
    SilentHooks hooks;
  const korrivan::run::DriverRun r = drive(dir, dir.writeLas("dup.las", lines), 2.0f, hooks);
  EXPECT_EQ(r.result, RunResult::Completed);
  EXPECT_EQ(r.table.outcome(3, 2), "Duplicate section titles : , V, Version");
  EXPECT_EQ(r.table.outcome(4, 1), "");
  std::string report = buildReport(r.table, {"dup.las", 2.0f, {}});
  EXPECT_NE(report.find("03: Section Title Checks"), std::string::npos);
  EXPECT_EQ(report.find("04: "), std::string::npos);
}

TEST(Drivers, AnsweringNoContinuesAndYesCancelsWithoutLogging) {
  ScratchDir dir;
  std::string file = dir.writeLas("ok.las", kVersion20);
  {
        ScriptedHooks hooks;
    hooks.pressEscAtEvent = 1;
    hooks.answer = MessageAnswer::No;
    const korrivan::run::DriverRun r = drive(dir, file, 2.0f, hooks);
    EXPECT_EQ(r.result, RunResult::Completed);
    ASSERT_EQ(hooks.questions.size(), 1u);
    EXPECT_EQ(hooks.questions[0], "Please Confirm!|Do you want to cancel the certification in progress?");
    EXPECT_FALSE(hooks.cancel);
    EXPECT_EQ(r.table.outcome(2, 1), "");  // the group just run is kept
  }
  {
        ScriptedHooks hooks;
    hooks.pressEscAtEvent = 1;
    hooks.answer = MessageAnswer::Yes;
    const korrivan::run::DriverRun r = drive(dir, file, 2.0f, hooks);
    EXPECT_EQ(r.result, RunResult::Cancelled);
  }
  {
    std::string file3 =
        dir.writeLas("ok3.las", {"~Version", " VERS. 3.0 : v", " WRAP. NO : w", " DLM. SPACE : d", "~Well",
                                 "~Log_Definition", " DEPT.M : d {F}", "~Log_Data | Log_Definition", "1"});
        ScriptedHooks hooks;
    hooks.pressEscAtEvent = 2;
    hooks.answer = MessageAnswer::Yes;
    const korrivan::run::DriverRun r = drive(dir, file3, 3.0f, hooks);
    EXPECT_EQ(r.result, RunResult::Cancelled);
    ASSERT_FALSE(hooks.progress.empty());
    EXPECT_EQ(hooks.progress[0], std::make_pair(11, std::string("Doing check 1 (Press ESC to cancel...)")));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "command.log"));
}

TEST(Drivers, BatchIgnoresEscape) {
  ScratchDir dir;
  SilentHooks hooks;  // the cancel flag never reads set in batch
  const korrivan::run::DriverRun r = drive(dir, dir.writeLas("ok.las", kVersion20), 2.0f, hooks);
  EXPECT_EQ(r.result, RunResult::Completed);
  EXPECT_EQ(r.table.outcome(2, 1), "");
}

TEST(Drivers, Version3GroupOneFailureIsListed) {
  ScratchDir dir;
    SilentHooks hooks;
  const korrivan::run::DriverRun r = drive(dir, dir.writeLas("t.las", {"~Version", " VERS. 3.0 : v", "~ Well", "~"}), 3.0f, hooks);
  EXPECT_EQ(r.result, RunResult::Completed);
  std::string report = buildReport(r.table, {"t.las", 3.0f, {}});
  EXPECT_NE(report.find("Failed: g. Correct tilde (~) Section Title line formatting\r\n"
                        "Errors: Tilde followed by illegal characters; space, comma, tab, | or [ ]\r\n"
                        "Errors: ~ Well\r\n"
                        "Errors: Missing section title\r\n"
                        "Errors: ~\r\n"),
            std::string::npos)
      << report;
}

TEST(Drivers, VanishedFileStopsWithACommandLogLine) {
  ScratchDir dir;
    SilentHooks hooks;
  const korrivan::run::DriverRun r = drive(dir, (dir.path() / "gone.las").string(), 2.0f, hooks);
  EXPECT_EQ(r.result, RunResult::Stopped);
  EXPECT_NE(commandLog(dir).find("Error: Error in aaCertify2:"), std::string::npos);
}

}  // namespace

namespace {

// A defect on every data line (tabs between the values) must not make a
// finding text as large as the file.
TEST(Drivers, FindingsOfOneCheckAreBounded) {
  ScratchDir dir;
  std::vector<std::string> lines = {"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "~Well",
                                    "~Curve",   " DEPT.M : d",    " GR.GAPI : g",  "~A"};
  for (int i = 0; i < 60000; ++i) lines.push_back(std::to_string(1000 + i) + ".0\t45.25");
    SilentHooks hooks;
  const korrivan::run::DriverRun r = drive(dir, dir.writeLas("tabs.las", lines), 2.0f, hooks);
  EXPECT_EQ(r.result, RunResult::Completed);
  const std::string& text = r.table.outcome(4, 5);
  EXPECT_LE(text.size(), (1u << 20) + 100);
  EXPECT_TRUE(text.starts_with("\r\nTab character(s) found.\r\n1000.0\t45.25"));
  EXPECT_TRUE(text.ends_with("\r\n(further findings of this check are not listed)"));
}

// A 100 MB data line without any line end gets a verdict like any other.
TEST(Drivers, HundredMegabyteLineGetsAVerdict) {
  ScratchDir dir;
  std::string text = korrivan::test::crlf(
      {"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "~Curve", " DEPT.M : d", " GR.GAPI : g", "~A"});
  text += "1000.0";
  text.append(100u << 20, ' ');
  text += "45.25";
    SilentHooks hooks;
  const korrivan::run::DriverRun r = drive(dir, dir.write("huge.las", text), 2.0f, hooks);
  EXPECT_EQ(r.result, RunResult::Completed);
  EXPECT_TRUE(anyCheckFailed(r.table));
}

}  // namespace
