#pragma once
// The batch command line: the LAS file name, the log file name and the /W
// switch, validated in order; then the batch run.
#include <string>

#include "certify/run_hooks.h"
#include "certify/session.h"

namespace korrivan::app {

// Runs the command-line steps for a non-empty command line (the program's
// arguments joined with single blanks).
void runCommandLine(certify::Session& session, const std::string& commandLine, certify::RunHooks& hooks);

}  // namespace korrivan::app
