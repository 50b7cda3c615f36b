#pragma once
// The NULL STOP repair: a real-time file whose ~Well STOP holds the NULL
// value gets the last index read from its data written into STOP. The index
// range family finds the case; this run step makes the change, when the
// run's policy allows it, under an exclusive lock on the file.
#include "base/las_file_lock.h"
#include "certify/check_table.h"
#include "certify/run_hooks.h"
#include "checks/certify_run.h"
#include "run/drivers.h"

namespace korrivan::run {

struct StopRepairContext {
  RepairPolicy policy;
  base::LasFileLock* lock;  // the run's lock, or null: the step then locks the file itself
  certify::RunHooks& hooks;
};

// Carries out handover.stopRepair and settles slot 3 (the STOP check) by what
// was done. Returns the group's family result: InternalError when the file
// could not be changed (the file is then as it was).
certify::FamilyResult applyStopRepair(const StopRepairContext& context, checks::FileView& file,
                                      checks::Handover& handover, certify::OutcomeSlots& slots);

}  // namespace korrivan::run
