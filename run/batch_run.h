#pragma once
// The batch road: certify the one LAS file and write the report to the log
// file; every message goes to the command log.
#include <string>

#include "certify/command_log.h"
#include "certify/run_hooks.h"
#include "certify/session.h"

namespace korrivan::run {

struct Certification;

// What the batch run does once a file is certified, shared by every front
// end that certifies without a window: a run that ended with a verdict gets
// its report written to `reportFileName` (none when that is empty); any
// other end is logged. Returns the command-log message written, if any.
std::string settleBatchCertification(const certify::CommandLogContext& log, const Certification& certification,
                                     const std::string& reportFileName, certify::RunHooks& hooks);

// Certifies session.lasFileName and writes the outcome to session.logFileName.
// Never raises an error to its caller.
void doBatchMode(certify::Session& session, certify::RunHooks& hooks);

}  // namespace korrivan::run
