#include "run/drivers.h"

#include <cmath>
#include <limits>

#include "base/out_of_memory.h"
#include "base/text_utils.h"
#include "checks/data_pass.h"
#include "checks/family.h"
#include "run/stop_repair.h"

namespace korrivan::run {

using namespace certify;
using checks::Family;

namespace {

// Ends the driver: the run is over, completed, cancelled or stopped.
struct EndRun {
  RunResult result;
};

// The run was stopped by an error (or cancelled): the driver's error exit.
struct ErrorExit {};

void showGroupProgress(RunHooks& hooks, int group, int lastGroup) {
  int percent = static_cast<int>(std::lround(static_cast<double>(group) / lastGroup * 100.0));
  hooks.showProgress(percent, "Doing check " + std::to_string(group) + " (Press ESC to cancel...)");
}

// Slots for a group: " " for each row of the catalogue that holds a check.
OutcomeSlots slotsForGroup(const CheckTable& table, int group) {
  OutcomeSlots slots;
  for (int k = 1; k <= kLastRow; ++k)
    if (!table.checkName(group, k).empty()) slots[static_cast<std::size_t>(k)] = " ";
  return slots;
}

// The state of one driver run: the file as the families see it, what they
// hand on, and what the run leaves.
class RunState {
public:
  explicit RunState(const DriverSetup& setup) : setup_(setup) {
    file.fileName = setup.fileName;
    file.version = setup.version;
    file.doWrap = setup.doWrap;
    file.scanSettings = setup.dataScan;
    // The threads that will scan the data sections search the rest of the file for titles first.
    file.directory.spreadSearch(setup.dataScan.threadsFor(std::numeric_limits<std::int64_t>::max()),
                                setup.dataScan.parallelFrom);
    RunHooks& hooks = setup.hooks;
    file.poll = [&hooks] { pollForCancel(hooks); };
  }

  const DriverSetup& setup() const { return setup_; }
  RunHooks& hooks() const { return setup_.hooks; }

  FamilyResult runFamily(Family family, OutcomeSlots& slots) {
    if (!family) {  // the group is not run and reads as passed
      for (OutcomeSlot& slot : slots) slot.clear();
      return FamilyResult::AllPassed;
    }
    return checks::invokeFamily(family, file, handover, slots);
  }

  // Copies the slots into the group's cells and keeps the findings of the failed ones.
  void recordGroup(int group, const OutcomeSlots& slots) {
    recordGroupResults(out.table, group, slots);
    for (int k = 1; k <= kLastRow; ++k) recordFindings(group, k, slots[static_cast<std::size_t>(k)]);
  }

  void recordCheck(int group, int row, const OutcomeSlot& slot) {
    out.table.outcome(group, row) = slot.text();
    recordFindings(group, row, slot);
  }

  void recordByResult(int group, FamilyResult result, const OutcomeSlots& slots) {
    if (result == FamilyResult::AllPassed) return;
    recordGroup(group, slots);
    if (result == FamilyResult::InternalError) throw ErrorExit{};
  }

  void lookUpIndexValues() {
    handover.strt = checks::lookupParamValue(file.wellSection, "STRT");
    handover.stop = checks::lookupParamValue(file.wellSection, "STOP");
    handover.step = checks::lookupParamValue(file.wellSection, "STEP");
    handover.nullValue = checks::lookupParamValue(file.wellSection, "NULL");
  }

  void readDelimiter() {
    file.delimiter =
        checks::delimiterFromDlm(checks::readHeaderValue(file.directory, "DLM", "Version", file.version).value);
  }

  void parseMainSections(bool oneLetterFallback) {
    const las::LineRules rules = file.lineRules();
    // The section's name as parsed: the long name, or the one-letter one, or
    // (1.2/2.0) the first title that begins with that letter, as ~Params does.
    auto parse = [&](las::ParsedSection& table, std::string_view name, std::string_view letter) -> std::string {
      if (las::parseSection(file.directory, table, name, rules) == las::ParseStatus::Read || !oneLetterFallback)
        return std::string(name);
      if (las::parseSection(file.directory, table, letter, rules) == las::ParseStatus::Read) return std::string(letter);
      const las::SectionRow* row = file.directory.findStandard(name);
      if (row && las::parseSection(file.directory, table, row->name, rules) == las::ParseStatus::Read) return row->name;
      return std::string(name);
    };
    parse(file.versionSection, "Version", "V");
    file.wellSectionName = parse(file.wellSection, "Well", "W");
    file.curveSection.reset();
    file.parameterSection.reset();
    if (!file.directory.curveSectionName.empty())
      las::parseSection(file.directory, file.curveSection, file.directory.curveSectionName, rules);
    if (!file.directory.parameterSectionName.empty())
      las::parseSection(file.directory, file.parameterSection, file.directory.parameterSectionName, rules);
  }

  // Group 6 and the NULL STOP repair the index range family may ask for.
  FamilyResult runIndexRange(OutcomeSlots& slots) {
    FamilyResult result = runFamily(checks::checkIndexRange, slots);
    if (result == FamilyResult::InternalError || !handover.stopRepair) return result;
    StopRepairContext context{setup_.repair, setup_.lock, setup_.hooks};
    return applyStopRepair(context, file, handover, slots);
  }

  void logDriverError(const char* driver, const base::PendingError& e, bool plainWhenNone) const {
    if (plainWhenNone && e.number == 0) {
      appendCommandLog(setup_.log, std::string("Error: Error in ") + driver + ":");
      return;
    }
    appendCommandLog(setup_.log, std::string("Error: VB Error in ") + driver + ": " + e.text + ". Error #" +
                                     std::to_string(e.number));
  }

  checks::FileView file;
  checks::Handover handover;
  DriverRun out;

private:
  void recordFindings(int group, int row, const OutcomeSlot& slot) {
    if (slot.outcome() == Outcome::Failed)
      out.findings[{group, row}] = slot.findings();
    else
      out.findings.erase({group, row});
  }

  const DriverSetup& setup_;
};

// The error exit of a driver: cancelled when the user asked for it, else
// stopped, with one command-log line.
template <typename Driver>
RunResult errorExit(RunState& run, const base::PendingError& e) {
  if (run.hooks().cancelRequested()) return RunResult::Cancelled;
  run.logDriverError(Driver::kName, e, Driver::kPlainLineWithoutError);
  return RunResult::Stopped;
}

// Runs a driver's groups and turns the ways a run ends into its run result:
// the gating rule ends it completed, the error exit cancelled or stopped.
template <typename Driver>
DriverRun runDriver(const DriverSetup& setup) {
  const base::OutOfMemoryWatch outOfMemory;
  RunState run(setup);
  BusyPointer busy(setup.hooks);
  Driver driver(run);
  try {
    driver.runGroups();
    run.out.result = RunResult::Completed;
  } catch (const EndRun& end) {
    run.out.result = end.result;
  } catch (const base::RunCancelled&) {
    run.out.result = RunResult::Cancelled;
  } catch (const ErrorExit&) {
    run.out.result = errorExit<Driver>(run, run.handover.familyError);
  } catch (const std::exception& e) {
    run.out.result = errorExit<Driver>(run, base::pendingError(e));
  }
  // An allocation failure anywhere in the run stops it, also one that a
  // check took for an ordinary error: no verdict rests on it.
  if (outOfMemory.tripped() && run.out.result != RunResult::Stopped) {
    run.logDriverError(Driver::kName, {base::err::OutOfMemory, base::errorText(base::err::OutOfMemory)}, false);
    run.out.result = RunResult::Stopped;
  }
  if (!run.handover.countryRequirement.empty() && run.out.table.lastGroup() == 7)
    run.out.table.checkName(5, 2) += run.handover.countryRequirement;
  return std::move(run.out);
}

// ---- version 3.0 ------------------------------------------------------------

class Certify3 {
public:
  static constexpr const char* kName = "aaCertify3";
  static constexpr bool kPlainLineWithoutError = false;

  explicit Certify3(RunState& run) : run_(run), table_(run.out.table) {}

  void runGroups() {
    const DriverSetup& setup = run_.setup();
    table_ = catalogueTable(CatalogueKind::Version3, "", setup.doWrap);
    run_.file.directory.build(setup.fileName, setup.version);
    checks::startDataPass(run_.file);  // the spare cores begin on the data sections

    group(1, checks::checkTildeLinesV3, OutcomeSlots{});  // only row g is the family's

    run_.readDelimiter();
    run_.file.directory.locateMainSections(setup.fileName, setup.version);
    // The group 6 names carry the data section's name; outcomes so far stay.
    const CheckTable named = catalogueTable(CatalogueKind::Version3, run_.file.directory.dataSectionName, setup.doWrap);
    for (int r = 0; r <= kLastRow; ++r) table_.cell(r, r == 0 ? 0 : 2, 6) = named.cell(r, r == 0 ? 0 : 2, 6);
    run_.parseMainSections(false);

    group(2, checks::checkVersionSection);

    run_.readDelimiter();
    group(3, checks::checkSectionTitles);

    OutcomeSlots slots = slotsForGroup(table_, 4);
    slots[4] = "";  // "Legal DESCRIPTION" is shown as passed
    group(4, checks::checkLineSyntax3, slots);

    slots = slotsForGroup(table_, 5);
    FamilyResult well = run_.runFamily(checks::checkWellSectionV3, slots);
    if (well != FamilyResult::InternalError) run_.lookUpIndexValues();
    record(5, well, slots);

    slots = slotsForGroup(table_, 6);
    record(6, run_.file.directory.mainSectionsFound ? run_.runIndexRange(slots) : run_.runFamily(nullptr, slots),
           slots);

    group(7, checks::checkColumnData);
    group(8, checks::checkAssociations);
    group(9, checks::checkArrayChannels);
    run_.hooks().letEventsRun();
  }

private:
  // Runs a family on the group's slots: " " for every row that holds a check
  // unless the caller hands other presets.
  void group(int number, Family family) { group(number, family, slotsForGroup(table_, number)); }
  void group(int number, Family family, OutcomeSlots slots) { record(number, run_.runFamily(family, slots), slots); }

  void record(int number, FamilyResult result, const OutcomeSlots& slots) {
    RunHooks& hooks = run_.hooks();
    showGroupProgress(hooks, number, table_.lastGroup());
    hooks.letEventsRun();
    run_.recordByResult(number, result, slots);
    if (anyCheckFailed(table_)) throw EndRun{RunResult::Completed};
    hooks.letEventsRun();
    if (!hooks.cancelRequested()) return;
    if (askToCancel(hooks)) throw ErrorExit{};
    hooks.clearCancel();
  }

  RunState& run_;
  CheckTable& table_;
};

// ---- versions 1.2 and 2.0 -----------------------------------------------------

class Certify2 {
public:
  static constexpr const char* kName = "aaCertify2";
  static constexpr bool kPlainLineWithoutError = true;

  explicit Certify2(RunState& run) : run_(run), table_(run.out.table) {}

  void runGroups() {
    const DriverSetup& setup = run_.setup();
    table_ = catalogueTable(CatalogueKind::Version2, "", setup.doWrap);
    run_.file.delimiter = ' ';
    if (!run_.file.directory.locateMainSections(setup.fileName, setup.version)) throw ErrorExit{};
    run_.parseMainSections(true);
    checks::startDataPass(run_.file);  // the spare cores begin on the data sections

    group(2, checks::checkVersionSection);
    group(3, checks::checkSectionTitles);

    OutcomeSlots slots = slotsForGroup(table_, 4);
    slots[4] = "";  // "Legal DESCRIPTION" is shown as passed
    group(4, checks::checkLineSyntax2, slots);

    slots = slotsForGroup(table_, 5);
    FamilyResult well = run_.runFamily(checks::checkWellSectionV2, slots);
    if (base::trimSpaces(slots[1].text()).empty() && !slots[2].empty()) {
      // A failure of the country-specific mnemonics alone is recorded and the run goes on.
      run_.recordCheck(5, 2, slots[2]);
      well = FamilyResult::AllPassed;
    }
    if (well == FamilyResult::AllPassed) run_.lookUpIndexValues();
    record(5, well, slots);

    slots = slotsForGroup(table_, 6);
    FamilyResult index = FamilyResult::AllPassed;
    if (table_.outcome(4, 6).empty() && run_.file.directory.mainSectionsFound) index = run_.runIndexRange(slots);
    record(6, index, slots);

    group(7, checks::checkAsciiSection);
  }

private:
  // Runs a family on the group's slots: " " for every row that holds a check
  // unless the caller hands other presets.
  void group(int number, Family family) { group(number, family, slotsForGroup(table_, number)); }
  void group(int number, Family family, OutcomeSlots slots) { record(number, run_.runFamily(family, slots), slots); }

  void record(int number, FamilyResult result, const OutcomeSlots& slots) {
    RunHooks& hooks = run_.hooks();
    hooks.letEventsRun();
    if (hooks.cancelRequested()) {
      if (askToCancel(hooks)) throw ErrorExit{};
      hooks.clearCancel();
    }
    if (hooks.interactive()) showGroupProgress(hooks, number, 7);
    run_.recordByResult(number, result, slots);
    const bool onlyCountryFailed = table_.outcome(5, 1).empty() && !base::trimSpaces(table_.outcome(5, 2)).empty();
    if (!onlyCountryFailed && anyCheckFailed(table_)) throw EndRun{RunResult::Completed};
  }

  RunState& run_;
  CheckTable& table_;
};

}  // namespace

bool askToCancel(RunHooks& hooks) {
  if (!hooks.interactive()) return false;
  return hooks.messageBox(MessageIcon::Question, kCancelTitle, kCancelQuestion, MessageButtons::YesNo,
                          MessageAnswer::No) == MessageAnswer::Yes;
}

void pollForCancel(RunHooks& hooks) {
  hooks.letEventsRun();
  if (!hooks.cancelRequested()) return;
  if (askToCancel(hooks)) throw base::RunCancelled{};
  hooks.clearCancel();
}

DriverRun aaCertify3(const DriverSetup& setup) { return runDriver<Certify3>(setup); }

DriverRun aaCertify2(const DriverSetup& setup) { return runDriver<Certify2>(setup); }

}  // namespace korrivan::run
