#pragma once
// The verbs of korrivan-cli. Each verb adds its subcommand and options to
// the command line and runs when that subcommand was given; its result is
// the exit status (0, 1 or 2, see docs/cli.md).
#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace korrivan::cli {

// What every verb may need of the program.
struct ProgramContext {
  std::string programFolder;  // the executable's folder: the command log is kept there when it can be
  std::string commandLine;    // the arguments as given, for the command log
};

class Verb {
public:
  virtual ~Verb() = default;
  // True when this verb's subcommand was given.
  virtual bool chosen() const = 0;
  virtual int run(const ProgramContext& context) = 0;
};

std::unique_ptr<Verb> addCertifyVerb(CLI::App& app);
std::unique_ptr<Verb> addComplyVerb(CLI::App& app);
std::unique_ptr<Verb> addConvertVerb(CLI::App& app);

}  // namespace korrivan::cli
