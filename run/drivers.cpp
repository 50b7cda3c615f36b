#include "run/drivers.h"

#include <cmath>

#include "certify/command_log.h"
#include "checks/family.h"
#include "base/text_utils.h"

namespace korrivan::run {

namespace {

using checks::Family;
using checks::invokeFamily;

// Ends the driver: the run is over, completed, cancelled or stopped.
struct EndRun {
  RunResult result;
};

// The run was stopped by an error (or cancelled): the driver's error exit.
struct ErrorExit {};

bool askToCancel(RunHooks& hooks) {
  if (!hooks.interactive()) return false;
  return hooks.messageBox(MessageIcon::Question, kCancelTitle, kCancelQuestion, MessageButtons::YesNo,
                          MessageAnswer::No) == MessageAnswer::Yes;
}

void showGroupProgress(RunHooks& hooks, int group, int lastGroup) {
  int percent = static_cast<int>(std::lround(static_cast<double>(group) / lastGroup * 100.0));
  hooks.showProgress(percent, "Doing check " + std::to_string(group) + " (Press ESC to cancel...)");
}

void recordByResult(CheckTable& table, int group, FamilyResult result, const OutcomeSlots& slots) {
  if (result == FamilyResult::AllPassed) return;
  recordGroupResults(table, group, slots);
  if (result == FamilyResult::InternalError) throw ErrorExit{};
}

// Slots for a group: " " for each row of the catalogue that holds a check.
OutcomeSlots slotsForGroup(const CheckTable& table, int group) {
  OutcomeSlots slots;
  for (int k = 1; k <= kLastRow; ++k)
    if (!table.checkName(group, k).empty()) slots[static_cast<std::size_t>(k)] = " ";
  return slots;
}

FamilyResult runFamily(Family family, CertifyRun& run, OutcomeSlots& slots) {
  if (!family) {  // the group is not run and reads as passed
    for (std::string& slot : slots) slot.clear();
    return FamilyResult::AllPassed;
  }
  return invokeFamily(family, run, slots);
}

void lookUpIndexValues(CertifyRun& run) {
  run.strt = checks::lookupParamValue(run.wellSection, "STRT");
  run.stop = checks::lookupParamValue(run.wellSection, "STOP");
  run.step = checks::lookupParamValue(run.wellSection, "STEP");
  run.nullValue = checks::lookupParamValue(run.wellSection, "NULL");
}

void readDelimiter(CertifyRun& run) {
  run.delimiter = checks::delimiterFromDlm(checks::readHeaderValue(run.directory, "DLM", "Version", run.version).value);
}

void parseMainSections(CertifyRun& run, bool oneLetterFallback) {
  const las::LineRules rules = run.lineRules();
  // The section's name as parsed: the long name, or the one-letter one, or
  // (1.2/2.0) the first title that begins with that letter, as ~Params does.
  auto parse = [&](las::ParsedSection& table, std::string_view name, std::string_view letter) -> std::string {
    if (las::parseSection(run.directory, table, name, rules) == las::ParseStatus::Read || !oneLetterFallback)
      return std::string(name);
    if (las::parseSection(run.directory, table, letter, rules) == las::ParseStatus::Read) return std::string(letter);
    const las::SectionRow* row = run.directory.findStandard(name);
    if (row && las::parseSection(run.directory, table, row->name, rules) == las::ParseStatus::Read) return row->name;
    return std::string(name);
  };
  parse(run.versionSection, "Version", "V");
  run.wellSectionName = parse(run.wellSection, "Well", "W");
  run.curveSection.reset();
  run.parameterSection.reset();
  if (!run.directory.curveSectionName.empty())
    las::parseSection(run.directory, run.curveSection, run.directory.curveSectionName, rules);
  if (!run.directory.parameterSectionName.empty())
    las::parseSection(run.directory, run.parameterSection, run.directory.parameterSectionName, rules);
}

void logDriverError(CertifyRun& run, const char* driver, const PendingError& e, bool plainWhenNone) {
  if (plainWhenNone && e.number == 0) {
    appendCommandLog(run.session, std::string("Error: Error in ") + driver + ":");
    return;
  }
  appendCommandLog(run.session, std::string("Error: VB Error in ") + driver + ": " + e.text + ". Error #" +
                                    std::to_string(e.number));
}

// The error exit of a driver: cancelled when the user asked for it, else
// stopped, with one command-log line.
template <typename Driver>
RunResult errorExit(CertifyRun& run, const PendingError& e) {
  if (run.hooks.cancelRequested()) return RunResult::Cancelled;
  logDriverError(run, Driver::kName, e, Driver::kPlainLineWithoutError);
  return RunResult::Stopped;
}

// Runs a driver's groups and turns the ways a run ends into its run result:
// the gating rule ends it completed, the error exit cancelled or stopped.
template <typename Driver>
RunResult runDriver(Driver& driver, CertifyRun& run) {
  BusyPointer busy(run.hooks);
  try {
    driver.runGroups();
    return RunResult::Completed;
  } catch (const EndRun& end) {
    return end.result;
  } catch (const ErrorExit&) {
    return errorExit<Driver>(run, run.familyError);
  } catch (const std::exception& e) {
    return errorExit<Driver>(run, pendingError(e));
  }
}

// ---- version 3.0 ------------------------------------------------------------

class Certify3 {
public:
  static constexpr const char* kName = "aaCertify3";
  static constexpr bool kPlainLineWithoutError = false;

  explicit Certify3(CertifyRun& run) : run_(run), table_(run.session.tables.v3) {}

  void runGroups() {
    Session& s = run_.session;
    // The catalogue is written again at once, so that a run ending in group 1
    // still lists the check that decided it.
    clearCheckTable(table_);
    fillCheckCatalogue(s.tables, "", s.doWrap);
    run_.directory.setFile(run_.fileName, run_.version);

    group(1, checks::checkTildeLinesV3, OutcomeSlots{});  // only row g is the family's

    readDelimiter(run_);
    run_.directory.locateMainSections(run_.fileName, run_.version);
    fillCheckCatalogue(s.tables, run_.directory.dataSectionName, s.doWrap);
    parseMainSections(run_, false);

    group(2, checks::checkVersionSection);

    readDelimiter(run_);
    group(3, checks::checkSectionTitles);

    OutcomeSlots slots = slotsForGroup(table_, 4);
    slots[4] = "";  // "Legal DESCRIPTION" is shown as passed
    group(4, checks::checkLineSyntax3, slots);

    slots = slotsForGroup(table_, 5);
    FamilyResult well = runFamily(checks::checkWellSectionV3, run_, slots);
    if (well != FamilyResult::InternalError) lookUpIndexValues(run_);
    record(5, well, slots);

    group(6, run_.directory.mainSectionsFound ? checks::checkIndexRange : nullptr);

    group(7, checks::checkColumnData);
    group(8, checks::checkAssociations);
    group(9, checks::checkArrayChannels);
    run_.hooks.letEventsRun();
  }

private:
  // Runs a family on the group's slots: " " for every row that holds a check
  // unless the caller hands other presets.
  void group(int number, Family family) { group(number, family, slotsForGroup(table_, number)); }
  void group(int number, Family family, OutcomeSlots slots) { record(number, runFamily(family, run_, slots), slots); }

  void record(int number, FamilyResult result, const OutcomeSlots& slots) {
    showGroupProgress(run_.hooks, number, table_.lastGroup());
    run_.hooks.letEventsRun();
    recordByResult(table_, number, result, slots);
    if (anyCheckFailed(table_)) throw EndRun{RunResult::Completed};
    run_.hooks.letEventsRun();
    if (!run_.hooks.cancelRequested()) return;
    if (askToCancel(run_.hooks)) throw ErrorExit{};
    run_.hooks.clearCancel();
  }

  CertifyRun& run_;
  CheckTable& table_;
};

// ---- versions 1.2 and 2.0 -----------------------------------------------------

class Certify2 {
public:
  static constexpr const char* kName = "aaCertify2";
  static constexpr bool kPlainLineWithoutError = true;

  explicit Certify2(CertifyRun& run) : run_(run), table_(run.session.tables.v2) {}

  void runGroups() {
    run_.delimiter = ' ';
    if (!run_.directory.locateMainSections(run_.fileName, run_.version)) throw ErrorExit{};
    parseMainSections(run_, true);

    group(2, checks::checkVersionSection);
    group(3, checks::checkSectionTitles);

    OutcomeSlots slots = slotsForGroup(table_, 4);
    slots[4] = "";  // "Legal DESCRIPTION" is shown as passed
    group(4, checks::checkLineSyntax2, slots);

    slots = slotsForGroup(table_, 5);
    FamilyResult well = runFamily(checks::checkWellSectionV2, run_, slots);
    if (base::trimSpaces(slots[1]).empty() && !slots[2].empty()) {
      // A failure of the country-specific mnemonics alone is recorded and the run goes on.
      table_.outcome(5, 2) = slots[2];
      well = FamilyResult::AllPassed;
    }
    if (well == FamilyResult::AllPassed) lookUpIndexValues(run_);
    record(5, well, slots);

    slots = slotsForGroup(table_, 6);
    FamilyResult index = FamilyResult::AllPassed;
    if (table_.outcome(4, 6).empty() && run_.directory.mainSectionsFound)
      index = runFamily(checks::checkIndexRange, run_, slots);
    record(6, index, slots);

    group(7, checks::checkAsciiSection);
  }

private:
  // Runs a family on the group's slots: " " for every row that holds a check
  // unless the caller hands other presets.
  void group(int number, Family family) { group(number, family, slotsForGroup(table_, number)); }
  void group(int number, Family family, OutcomeSlots slots) { record(number, runFamily(family, run_, slots), slots); }

  void record(int number, FamilyResult result, const OutcomeSlots& slots) {
    run_.hooks.letEventsRun();
    if (run_.hooks.cancelRequested()) {
      if (askToCancel(run_.hooks)) throw ErrorExit{};
      run_.hooks.clearCancel();
    }
    if (run_.hooks.interactive()) showGroupProgress(run_.hooks, number, 7);
    recordByResult(table_, number, result, slots);
    const bool onlyCountryFailed = table_.outcome(5, 1).empty() && !base::trimSpaces(table_.outcome(5, 2)).empty();
    if (!onlyCountryFailed && anyCheckFailed(table_)) throw EndRun{RunResult::Completed};
  }

  CertifyRun& run_;
  CheckTable& table_;
};

}  // namespace

RunResult aaCertify3(CertifyRun& run) {
  Certify3 driver(run);
  return runDriver(driver, run);
}

RunResult aaCertify2(CertifyRun& run) {
  Certify2 driver(run);
  return runDriver(driver, run);
}

RunResult aaCertify3(Session& session, RunHooks& hooks) {
  CertifyRun run(session, hooks);
  return aaCertify3(run);
}

RunResult aaCertify2(Session& session, RunHooks& hooks) {
  CertifyRun run(session, hooks);
  return aaCertify2(run);
}

}  // namespace korrivan::run
