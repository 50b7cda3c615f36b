// Fuzz target: a whole certification of an in-memory file, as the batch run
// makes it, and its report. The first byte chooses the WRAP line-length
// check; the file is never repaired.
#include <cstddef>
#include <cstdint>

#include "certify/outcome.h"
#include "certify/report.h"
#include "certify/run_hooks.h"
#include "fuzz/fuzz_input.h"
#include "run/certification.h"

using namespace korrivan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::InputFile input;
  if (size == 0 || !input.write(data + 1, size - 1)) return 0;
  run::CertifyOptions options;
  options.mode = run::CertifyMode::Batch;
  options.doWrap = (data[0] & 1) != 0;
  options.repair = run::RepairPolicy::ReportOnly;
  options.log = {input.folder(), input.path(), input.folder() + "/report.log", "Korrivan"};
  certify::SilentHooks hooks;
  const run::Certification certification = run::certifyFile(input.path(), options, hooks);
  // Every check's text and findings stay within their budgets.
  for (const run::GroupResult& group : certification.groups)
    for (const run::CheckResult& check : group.checks)
      if (check.cellText.size() > certify::OutcomeSlot::kMaxText + 64 ||
          check.findings.size() > certify::OutcomeSlot::kMaxFindings)
        __builtin_trap();
  if (certification.end == run::CertifyEnd::Completed || certification.end == run::CertifyEnd::PreCheckFailed) {
    const std::string report =
        certify::buildReport(certification.table(), {input.path(), certification.detectedVersion, {}});
    if (report.empty() || report.size() > certify::kMaxReportText + (64 << 10)) __builtin_trap();
  }
  return 0;
}
