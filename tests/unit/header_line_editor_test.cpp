// The header-line editor: column-keeping rules, in-place and whole-file
// rewrites, and the original left intact whenever a rewrite fails.
#include "tools/header_line_editor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/run_error.h"
#include "certify/run_hooks.h"
#include "checks/family.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"
#include "run/certification.h"
#include "run/drivers.h"
#include "run/stop_repair.h"
#include "support/las_fixture.h"

using namespace korrivan;
using korrivan::test::readFile;
using korrivan::test::ScratchDir;
using tools::EditRequest;
using tools::EditResult;

namespace {

const std::string kStop = " STOP    .M            -999.2500                  :STOP DEPTH";

std::vector<std::string> wellFile(const std::string& stopLine) {
  return {"~Version",
          " VERS.   2.0 : CWLS LOG ASCII STANDARD",
          " WRAP.   NO  : ONE LINE PER DEPTH",
          "~Well",
          " STRT    .M            1500.0000                  :START DEPTH",
          stopLine,
          " NULL    .             -999.2500                  :NULL VALUE",
          "~A",
          "1500.0 1",
          "1500.5 2"};
}

struct Editor {
  las::SectionDirectory directory;
  certify::SilentHooks hooks;
  EditResult edit(const std::string& file, const std::string& mnemonic, char field, const std::string& text,
                  const std::string& section, tools::WriteLayer& io = tools::systemWriteLayer()) {
    directory.build(file, 2.0f);
    return tools::editHeaderLine({file, mnemonic, field, text, section}, directory, hooks, io);
  }
};

TEST(FormatHeaderLine, KeepsColumnsAndMovesThemWhenPartsDoNotFit) {
  // dot at column 10, value at 24, colon at 51: the layout of kStop
  EXPECT_EQ(tools::formatHeaderLine("STOP", "M", "1500.50000", "STOP DEPTH", 10, 51, 24),
            " STOP    .M            1500.50000                 :STOP DEPTH");
  // a value too long for the space before the colon puts the colon two columns after it
  std::string grown = tools::formatHeaderLine("STOP", "M", std::string(40, '9'), "STOP", 10, 51, 24);
  EXPECT_EQ(grown.find(':') + 1, 24u + 40u + 2u);
  // a mnemonic as long as the dot column moves the dot
  EXPECT_EQ(tools::formatHeaderLine("LONGMNEMONIC", "", "1", "d", 6, 30, 17).find('.'), 12u);
}

TEST(ReplaceValueField, OnlyTheValueChanges) {
  struct Row {
    std::string line, value, expected;
  };
  const std::vector<Row> rows = {
      // room before the colon: it stays in its column
      {" STOP .M   -999.25       : STOP DEPTH {F} | DEPT", "1500.50000",
       " STOP .M   1500.50000    : STOP DEPTH {F} | DEPT"},
      // no room: two blanks after the value, the rest of the line moved as it is
      {" STOP .M -999.25 : STOP {F} | A,B", "1500.50000", " STOP .M 1500.50000  : STOP {F} | A,B"},
      // a shorter value is padded, so the line keeps its length
      {"STOP.M   12345.6789 :x", "1", "STOP.M   1          :x"},
      // no unit; a colon inside the format is not the description's
      {" TIME.  -999.25 : TIME {hh:mm:ss}", "12", " TIME.  12      : TIME {hh:mm:ss}"},
      // no value: placed at the given column (16 here), after the unit
      {" STOP.M            : STOP", "7", " STOP.M        7   : STOP"},
      {" STOP.FT: STOP", "7", " STOP.FT       7  : STOP"},
      {" STOP.LONGUNIT      : STOP", "7", " STOP.LONGUNIT 7    : STOP"},
      // no colon after the dot
      {" STOP.M 10", "7", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(tools::replaceValueField(r.line, r.value, 16), r.expected) << r.line;
}

TEST(HeaderLineEditor, ValueRewrittenInPlaceKeepingTheFileSize) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(kStop));
  const auto size = std::filesystem::file_size(file);
  Editor e;
  ASSERT_EQ(e.edit(file, "stop", 'V', "1500.50000", "Well"), EditResult::Rewritten);
  EXPECT_EQ(std::filesystem::file_size(file), size);
  auto lines = test::splitCrLf(readFile(file));
  EXPECT_EQ(lines[5], " STOP    .M            1500.50000                 :STOP DEPTH");
}

TEST(HeaderLineEditor, LongerLineRewritesTheWholeFile) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(" STOP    .M  -999.25  :STOP DEPTH"));
  Editor e;
  ASSERT_EQ(e.edit(file, "STOP", 'V', "1500.50000", "Well"), EditResult::Rewritten);
  auto lines = test::splitCrLf(readFile(file));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[5], " STOP    .M  1500.50000  :STOP DEPTH");
  EXPECT_EQ(lines[9], "1500.5 2");
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".korrivan-rewrite"), std::string::npos);
}

TEST(HeaderLineEditor, NothingEditedOrRefused) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(kStop));
  const std::string before = readFile(file);
  Editor e;
  EXPECT_EQ(e.edit(file, "VERS", 'V', "3.0", "Well"), EditResult::NotEdited);  // it lives in ~Version
  EXPECT_EQ(e.edit(file, "STOP", 'V', "1", "A"), EditResult::NotEdited);
  EXPECT_EQ(e.edit(file, "", 'V', "1", "Well"), EditResult::NotEdited);
  EXPECT_EQ(e.edit(file, "STOP", 'V', "1", "Parameter"), EditResult::NotEdited);
  EXPECT_EQ(e.edit((dir.path() / "absent.las").string(), "STOP", 'V', "1", "Well"), EditResult::Refused);
  std::string shortFile = dir.writeLas("s.las", wellFile(" STOP.M -999 :STOPX"));  // 19 characters
  EXPECT_EQ(e.edit(shortFile, "STOP", 'V', "1", "Well"), EditResult::Refused);
  std::string twenty = dir.writeLas("t.las", wellFile(" STOP.M -999 :STOPXY"));  // 20 characters
  EXPECT_EQ(e.edit(twenty, "STOP", 'V', "1", "Well"), EditResult::Rewritten);
  EXPECT_EQ(readFile(file), before);
}

TEST(HeaderLineEditor, UnitLetterChangesOnlyTheUnit) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(kStop));
  Editor e;
  ASSERT_EQ(e.edit(file, "STOP", 'U', "FT", "Well"), EditResult::Rewritten);
  EXPECT_EQ(test::splitCrLf(readFile(file))[5], " STOP    .FT           -999.2500                  :STOP DEPTH");
  ASSERT_EQ(e.edit(file, "STOP", 'X', "ignored", "Well"), EditResult::Rewritten);
  EXPECT_EQ(test::splitCrLf(readFile(file))[5], " STOP    .FT           -999.2500                  :STOP DEPTH");
}

// A write layer that fails at a chosen step.
class FailingLayer : public tools::WriteLayer {
public:
  enum class Step { FirstWrite, SecondWrite, Sync, Replace } failAt;
  explicit FailingLayer(Step s) : failAt(s) {}
  ssize_t writeAt(int fd, const char* data, std::size_t size, off_t offset) override {
    ++writes;
    if ((failAt == Step::FirstWrite && writes == 1) || (failAt == Step::SecondWrite && writes == 2)) {
      errno = ENOSPC;
      // Half the block reaches the disk before the failure.
      return tools::WriteLayer::writeAt(fd, data, size / 2, offset) > 0 ? -1 : -1;
    }
    return tools::WriteLayer::writeAt(fd, data, size, offset);
  }
  int sync(int fd) override {
    if (failAt == Step::Sync) {
      errno = EIO;
      return -1;
    }
    return tools::WriteLayer::sync(fd);
  }
  int replace(const std::string& from, const std::string& to) override {
    if (failAt == Step::Replace) {
      errno = EXDEV;
      return -1;
    }
    return tools::WriteLayer::replace(from, to);
  }
  int writes = 0;
};

TEST(HeaderLineEditor, FailedRewriteLeavesTheOriginalByteForByte) {
  for (auto step : {FailingLayer::Step::FirstWrite, FailingLayer::Step::Sync, FailingLayer::Step::Replace}) {
    ScratchDir dir;
    // Many lines so that the copy is written in more than one block.
    std::vector<std::string> lines = wellFile(" STOP    .M  -999.25  :STOP DEPTH");
    for (int i = 0; i < 60000; ++i) lines.push_back("1500.5 " + std::to_string(i) + " padding to make the file big");
    std::string file = dir.writeLas("w.las", lines);
    const std::string before = readFile(file);
    Editor e;
    FailingLayer layer(step);
    EXPECT_THROW(e.edit(file, "STOP", 'V', "1500.50000", "Well", layer), base::RunError);
    EXPECT_EQ(readFile(file), before);
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) (void)entry, ++entries;
    EXPECT_EQ(entries, 1u) << "the temporary file is removed";
  }
}

TEST(HeaderLineEditor, FailedInPlaceWriteIsReported) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(kStop));
  Editor e;
  FailingLayer layer(FailingLayer::Step::Sync);
  EXPECT_THROW(e.edit(file, "STOP", 'V', "1500.50000", "Well", layer), base::RunError);
}

// A folder where no file can be created (read-only, or full): the rewrite
// cannot make its temporary file, and the original stays as it was.
class NoCreateLayer : public tools::WriteLayer {
public:
  int createExclusive(const std::string&) override {
    errno = EACCES;
    return -1;
  }
};

TEST(HeaderLineEditor, FolderThatTakesNoNewFileRefusesTheRewrite) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(" STOP    .M  -999.25  :STOP DEPTH"));
  const std::string before = readFile(file);
  NoCreateLayer layer;
  Editor e;
  try {
    e.edit(file, "STOP", 'V', "1500.50000", "Well", layer);
    ADD_FAILURE() << "the rewrite reported success";
  } catch (const base::RunError& error) {
    EXPECT_EQ(error.number(), base::err::PathFileAccess);
  }
  EXPECT_EQ(readFile(file), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
}

// The target replaced by another program between reading and writing.
class ReplacingLayer : public tools::WriteLayer {
public:
  explicit ReplacingLayer(std::string target) : target_(std::move(target)) {}
  int sync(int fd) override {
    std::string other = target_ + ".other";
    FILE* f = std::fopen(other.c_str(), "wb");
    std::fputs("someone else's content\r\n", f);
    std::fclose(f);
    std::rename(other.c_str(), target_.c_str());
    return tools::WriteLayer::sync(fd);
  }

private:
  std::string target_;
};

TEST(HeaderLineEditor, TargetReplacedDuringTheRewriteIsNotOverwritten) {
  ScratchDir dir;
  std::string file = dir.writeLas("w.las", wellFile(" STOP    .M  -999.25  :STOP DEPTH"));
  Editor e;
  ReplacingLayer layer(file);
  EXPECT_THROW(e.edit(file, "STOP", 'V', "1500.50000", "Well", layer), base::RunError);
  EXPECT_EQ(readFile(file), "someone else's content\r\n");
}

TEST(NullStopRepair, CertificationRepairsStopAndPassesGroupSix) {
  ScratchDir dir;
  std::vector<std::string> lines = {"~Version",
                                    " VERS.   2.0 : CWLS LOG ASCII STANDARD",
                                    " WRAP.   NO  : ONE LINE PER DEPTH",
                                    "~Well",
                                    " STRT    .M            1500.0000       :START DEPTH",
                                    " STOP    .M  -999.25  :STOP DEPTH",
                                    " STEP    .M               0.5000       :STEP",
                                    " NULL    .             -999.25         :NULL VALUE",
                                    " COMP    .   C                         :COMPANY",
                                    " WELL    .   W                         :WELL",
                                    " FLD     .   F                         :FIELD",
                                    " LOC     .   L                         :LOCATION",
                                    " PROV    .   ALBERTA                   :PROVINCE",
                                    " UWI     .   100                       :UWI",
                                    " SRVC    .   S                         :SERVICE COMPANY",
                                    " DATE    .   08-DEC-2026               :DATE",
                                    "~Curve",
                                    " DEPT    .M          :  DEPTH",
                                    " GR      .GAPI       :  GAMMA",
                                    "~A",
                                    "1500.0000  10.0",
                                    "1500.5000  11.0"};
  std::string file = dir.writeLas("rt.las", lines);
  certify::SilentHooks hooks;
  run::CertifyOptions options;
  options.log.programFolder = dir.path().string();
  const run::Certification c = run::certifyFile(file, options, hooks);
  EXPECT_EQ(c.end, run::CertifyEnd::Completed);
  EXPECT_EQ(test::splitCrLf(readFile(file))[5], " STOP    .M  1500.50000  :STOP DEPTH");
  for (int r = 1; r <= 7; ++r) EXPECT_EQ(c.check(6, r)->cellText, "") << r;
  EXPECT_EQ(c.check(7, 2)->cellText, "");  // the ~ASCII walk read the moved section correctly
  EXPECT_FALSE(c.anyCheckFailed());
}

}  // namespace

namespace {

// In the window the editor and the STOP repair tell the user why nothing was changed.
class RecordingHooks : public certify::SilentHooks {
public:
  bool interactive() const override { return true; }
  certify::MessageAnswer messageBox(certify::MessageIcon icon, const std::string& title, const std::string& text,
                                    certify::MessageButtons, certify::MessageAnswer answer) override {
    boxes.push_back({icon, title, text});
    return answer;
  }
  struct Box {
    certify::MessageIcon icon;
    std::string title, text;
  };
  std::vector<Box> boxes;
};

TEST(HeaderLineEditor, TooShortLineIsExplainedInTheWindowOnly) {
  ScratchDir dir;
  std::string file = dir.writeLas("s.las", wellFile(" STOP.M -999 :STOPX"));
  las::SectionDirectory directory;
  directory.build(file, 2.0f);
  RecordingHooks hooks;
  EXPECT_EQ(tools::editHeaderLine({file, "STOP", 'V', "1", "Well"}, directory, hooks), EditResult::Refused);
  ASSERT_EQ(hooks.boxes.size(), 1u);
  EXPECT_EQ(hooks.boxes[0].icon, certify::MessageIcon::Critical);
  EXPECT_EQ(hooks.boxes[0].title, "Header Line Too Short to edit");
  EXPECT_EQ(hooks.boxes[0].text,
            "This header line  STOP.M -999 :STOPX\r\n\r\n STOP.M -999 :STOPX\r\n\r\nis too short for "
            "reliable editing. Increase the Format positions for the Dot, Value and Colon on the "
            "properties tab (try 6, 15 and 50) and try again. ");
}

TEST(NullStopRepair, FailedRepairIsExplainedAndStopsTheFamily) {
  ScratchDir dir;
  std::string file = dir.writeLas(
      "rt.las", {"~Version", " VERS. 2.0 : v", " WRAP. NO : w", "~Well", " STRT    .M     1500.0000   :START",
                 " STOP.M -999.25 :ST", " STEP    .M        0.5000   :STEP", " NULL    .      -999.25     :NULL",
                 "~Curve", " DEPT    .M : DEPTH", "~A", "1500.0", "1500.5"});
  const std::string before = readFile(file);
  RecordingHooks hooks;
  checks::FileView view;
  view.fileName = file;
  view.version = 2.0f;
  view.directory.locateMainSections(file, 2.0f);
  las::parseSection(view.directory, view.wellSection, "Well", view.lineRules());
  las::parseSection(view.directory, view.curveSection, "Curve", view.lineRules());
  checks::Handover handover;
  handover.strt = "1500.0000";
  handover.stop = handover.nullValue = "-999.25";
  handover.step = "0.5000";
  handover.wrapValue = "NO";
  certify::OutcomeSlots slots;
  EXPECT_EQ(checks::checkIndexRange(view, handover, slots), certify::FamilyResult::AllPassed);
  ASSERT_TRUE(handover.stopRepair.has_value());  // the family only asks; the run step writes
  EXPECT_EQ(readFile(file), before);
  const run::StopRepairContext context{run::RepairPolicy::Repair, nullptr, hooks};
  EXPECT_EQ(run::applyStopRepair(context, view, handover, slots), certify::FamilyResult::InternalError);
  ASSERT_EQ(hooks.boxes.size(), 2u);  // the editor's own box, then the repair's
  EXPECT_EQ(hooks.boxes[1].title, "Error Repairing Null STOP Value");
  EXPECT_EQ(hooks.boxes[1].text,
            "STOP was NULL (real time file?), but there was an error attempting to update the STOP value in ~Well "
            "section with last index value of ~A. Manually change the STOP parameter value to the correct number and "
            "try Korrivan again.");
  EXPECT_EQ(readFile(file), before);
}

}  // namespace
