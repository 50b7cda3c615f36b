#pragma once
// korrivan-cli convert: a version 1.2 or 2.0 LAS file written as version 3.0
// (or only unwrapped) without the window.
//
//   korrivan-cli convert IN.las OUT.las [--dlm space|tab|comma] [--titles short|log]
//                        [--unwrap-only] [--force]
//
// Exit status 0 when OUT was written, 2 with one line on stderr otherwise.
// An existing OUT is replaced only with --force.
#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace korrivan::cli {

struct ConvertRequest {
  std::string input;
  std::string output;
  std::string dlm = "space";     // space, tab or comma
  std::string titles = "short";  // short (~Parameter ~Curve ~ASCII) or log (~Log_...)
  bool unwrapOnly = false;
  bool force = false;
};

// Runs one conversion; what was written goes to `out`, a failure to `err`.
int runConvert(const ConvertRequest& request, std::ostream& out, std::ostream& err);

// The subcommand on the pipeline tool's command line.
class ConvertVerb {
public:
  explicit ConvertVerb(CLI::App& app);
  bool chosen() const;
  int run(std::ostream& out, std::ostream& err) const { return runConvert(request_, out, err); }

private:
  CLI::App* command_ = nullptr;
  ConvertRequest request_;
};

}  // namespace korrivan::cli
