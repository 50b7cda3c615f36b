#pragma once
// The certification drivers: aaCertify3 for version 3.0 files and aaCertify2
// for versions 1.2 and 2.0. Each runs the check families group by group,
// records their outcomes and stops at the first group that leaves a failure.
#include "certify/outcome.h"
#include "certify/run_hooks.h"
#include "certify/session.h"

namespace korrivan::certify {

RunResult aaCertify3(Session& session, RunHooks& hooks);
RunResult aaCertify2(Session& session, RunHooks& hooks);

}  // namespace korrivan::certify
