#pragma once
// The output formats of a pipeline run: JSON Lines (one object per file,
// docs/cli-jsonl-schema.json), CSV (one row per file) and text (one line
// per file and a summary).
#include <cstddef>
#include <string>
#include <string_view>

#include "cli/file_certification.h"

namespace korrivan::cli {

enum class OutputFormat { Text, Jsonl, Csv };

// The schema every JSON Lines object names in its "schema" member.
inline constexpr std::string_view kJsonlSchema = "korrivan-cli/certify/1";

struct RunCounts {
  std::size_t listed = 0;  // files listed; more than total() when --fail-fast stopped the run
  std::size_t passed = 0;
  std::size_t failed = 0;
  std::size_t notCertified = 0;
  std::size_t total() const { return passed + failed + notCertified; }
};

// What comes before the first file's result ("" for most formats).
std::string formatPreamble(OutputFormat format);

// One file's result with its line end; "" when the format leaves it out
// (the text format with `quiet` leaves out files that passed).
std::string formatResult(const FileResult& result, OutputFormat format, bool quiet);

// What comes after the last result ("" for the machine formats).
std::string formatSummary(const RunCounts& counts, OutputFormat format);

}  // namespace korrivan::cli
