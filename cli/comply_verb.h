#pragma once
// `korrivan-cli comply CONTENT_SPEC FILE.las...`: tests LAS files against a content
// specification, in parallel, and writes one result per file in input order
// as text, JSON Lines or CSV. One function adds the verb to the pipeline
// tool's command line, one runs it.
#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace korrivan::cli {

enum class ComplyFormat { Text, JsonLines, Csv };

struct ComplyOptions {
  std::string contentSpecFile;
  std::vector<std::string> lasFiles;
  ComplyFormat format = ComplyFormat::Text;
  unsigned jobs = 0;  // 0: one per core
};

// The "comply" subcommand with its arguments and options --format and --jobs.
CLI::App* addComplyVerb(CLI::App& app, ComplyOptions& options);

// Exit status: 0 every file complies; 1 any file does not comply or could
// not be tested (the others are still tested); 2 the content specification could
// not be read, or the results could not be written.
int runComply(const ComplyOptions& options, std::ostream& out, std::ostream& err);

}  // namespace korrivan::cli
