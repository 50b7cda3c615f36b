#include "run/stop_repair.h"

#include "base/text_utils.h"
#include "checks/family.h"
#include "tools/header_line_editor.h"

namespace korrivan::run {

using certify::FamilyResult;

namespace {

enum class StopRepair { Repaired, ChangedMeanwhile, Failed };

// Writes the last index into a STOP left at the NULL value. The file is
// locked exclusively for it, and since another run may have repaired it
// while this one waited, the section directory and the STOP line are read
// anew first: only a STOP still at the NULL value is replaced. Otherwise
// `current` receives the value found.
StopRepair repairNullStop(const StopRepairContext& context, checks::FileView& file, checks::Handover& handover,
                          std::string& current) {
  const checks::StopRepairRequest& request = *handover.stopRepair;
  base::LasFileLock ownLock(file.fileName);
  base::LasFileLock& lock = context.lock ? *context.lock : ownLock;
  // The ~Well section as the file titles it ("~W" in many 1.2/2.0 files).
  const tools::EditRequest edit{file.fileName, "STOP", 'V', checks::fixedDecimals(request.lastIndex, 5),
                                file.wellSectionName};
  StopRepair outcome = StopRepair::Failed;
  try {
    lock.lockExclusive();
    file.directory.locateMainSections(file.fileName, file.version);
    current = checks::readHeaderValue(file.directory, "STOP", file.wellSectionName, file.version).value;
    if (!base::iequals(base::trimSpaces(current), base::trimSpaces(request.nullStop)))
      outcome = StopRepair::ChangedMeanwhile;
    else if (tools::editHeaderLine(edit, file.directory, context.hooks) == tools::EditResult::Rewritten)
      outcome = StopRepair::Repaired;
  } catch (const std::exception& e) {
    handover.familyError = base::pendingError(e);
  }
  // Every section after the STOP line may have moved: read the directory anew.
  if (outcome == StopRepair::Repaired) file.directory.locateMainSections(file.fileName, file.version);
  if (context.lock) lock.lockShared();  // back to reading, on the file now in place
  return outcome;
}

void tellRepairFailed(const StopRepairContext& context, const checks::FileView& file) {
  if (!context.hooks.interactive()) return;
  context.hooks.messageBox(certify::MessageIcon::Critical, "Error Repairing Null STOP Value",
                           "STOP was NULL (real time file?), but there was an error attempting to update the STOP "
                           "value in ~Well section with last index value of ~" +
                               file.directory.dataSectionName +
                               ". Manually change the STOP parameter value to the correct number and try Korrivan "
                               "again.",
                           certify::MessageButtons::Ok, certify::MessageAnswer::Ok);
}

}  // namespace

FamilyResult applyStopRepair(const StopRepairContext& context, checks::FileView& file, checks::Handover& handover,
                             certify::OutcomeSlots& slots) {
  const checks::StopRepairRequest request = *handover.stopRepair;
  if (context.policy == RepairPolicy::ReportOnly) {
    // A read-only run says what the repair would have written.
    slots[3] = "STOP holds the NULL value " + std::string(base::trimSpaces(request.nullStop)) +
               " and was not repaired (read-only run); the repair would write the last index " +
               checks::fixedDecimals(request.lastIndex, 5);
    return checks::resultFromSlots(slots);
  }
  std::string current;
  switch (repairNullStop(context, file, handover, current)) {
    case StopRepair::Repaired: break;
    case StopRepair::ChangedMeanwhile:  // by another run: checked like any STOP
      slots[3] = checks::stopMismatchText(base::leadingNumber(current), request.lastIndex);
      break;
    case StopRepair::Failed: tellRepairFailed(context, file); return FamilyResult::InternalError;
  }
  return checks::resultFromSlots(slots);
}

}  // namespace korrivan::run
