#pragma once
// The certification drivers: aaCertify3 for version 3.0 files and aaCertify2
// for versions 1.2 and 2.0. Each runs the check families group by group,
// records their outcomes and stops at the first group that leaves a failure.
#include "checks/certify_run.h"
#include "certify/outcome.h"
#include "certify/run_hooks.h"
#include "certify/session.h"

namespace korrivan::run {

// Run on session.lasFileName with session.detectedVersion; the outcome is in
// the session's check table for that version.
RunResult aaCertify3(Session& session, RunHooks& hooks);
RunResult aaCertify2(Session& session, RunHooks& hooks);

// The same with a run state the caller keeps (tests look into it).
RunResult aaCertify3(CertifyRun& run);
RunResult aaCertify2(CertifyRun& run);

inline constexpr const char* kCancelQuestion = "Do you want to cancel the certification in progress?";
inline constexpr const char* kCancelTitle = "Please Confirm!";

}  // namespace korrivan::run
