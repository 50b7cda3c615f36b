#pragma once
// The batch road: validate the command line, certify the one LAS file and
// write the report to the log file; every message goes to the command log.
#include <string>

#include "certify/run_hooks.h"
#include "certify/session.h"

namespace korrivan::app {

// Runs the command-line steps for a non-empty command line (the program's
// arguments joined with single blanks).
void runCommandLine(certify::Session& session, const std::string& commandLine, certify::RunHooks& hooks);

// Certifies session.lasFileName and writes the outcome to session.logFileName.
// Never raises an error to its caller.
void doBatchMode(certify::Session& session, certify::RunHooks& hooks);

}  // namespace korrivan::app
