// korrivan-cli: the pipeline tool. Certifies many LAS files with the verdict
// of the batch command line, in parallel, with machine-readable results and
// exit statuses. Verbs live in their own sources (certify_verb.cpp).
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "cli/verbs.h"

namespace {

constexpr int kUsageError = 2;

std::string programFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return korrivan::base::folderOfPath(std::string(buf, static_cast<std::size_t>(n)));
}

std::string commandLine(int argc, char** argv) {
  std::string line = "korrivan-cli";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korrivan::cli;
  // A closed pipe on standard output is a write error the run reports, not a
  // signal that could end it in the middle of rewriting a file.
  ::signal(SIGPIPE, SIG_IGN);

  CLI::App app{"Certify LAS well-log files (versions 1.2, 2.0 and 3.0) in scripts and pipelines.", "korrivan-cli"};
  app.set_version_flag("--version", "korrivan-cli " KORRIVAN_VERSION);
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 every file passed; 1 a file failed or was not certified; 2 a usage error or an I/O "
      "error of the tool. See korrivan-cli(1).");
  std::vector<std::unique_ptr<Verb>> verbs;
  verbs.push_back(addCertifyVerb(app));
  verbs.push_back(addComplyVerb(app));
  verbs.push_back(addConvertVerb(app));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kUsageError;
  }
  const ProgramContext context{programFolder(), commandLine(argc, argv)};
  for (const auto& verb : verbs)
    if (verb->chosen()) return verb->run(context);
  return kUsageError;
}
