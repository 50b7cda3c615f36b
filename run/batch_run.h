#pragma once
// The batch road: certify the one LAS file and write the report to the log
// file; every message goes to the command log.
#include <string>

#include "certify/run_hooks.h"
#include "certify/session.h"

namespace korrivan::run {

// Certifies session.lasFileName and writes the outcome to session.logFileName.
// Never raises an error to its caller.
void doBatchMode(certify::Session& session, certify::RunHooks& hooks);

}  // namespace korrivan::run
