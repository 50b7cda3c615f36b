// Korrivan: certifies LAS well-log files. With a LAS file name and a log file
// name on the command line it certifies in batch mode and ends; without
// arguments, or with "--window [FILE.las]", it hands over to the window
// program, so that a batch run never loads the window's libraries.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/settings_store.h"
#include "base/program_folders.h"
#include "certify/command_log.h"
#include "certify/session.h"

namespace {

std::string joinedArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

// The window program: beside this one in a build folder, in
// ../libexec/korrivan/ once installed. Empty when there is none.
std::string windowProgram(const std::string& programFolder) {
  for (const std::string& candidate :
       {programFolder + "/korrivan-window", programFolder + "/../libexec/korrivan/korrivan-window"})
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  return "";
}

// Replaces this process with the window program, handing it the file to
// certify; returns only when it cannot be started.
int runWindowProgram(const std::string& programFolder, const char* file) {
  const std::string program = windowProgram(programFolder);
  if (program.empty()) {
    std::fputs("korrivan: the main window is not part of this build; usage: korrivan FILE.las REPORT.log [/W]\n",
               stderr);
    return 0;
  }
  std::vector<char*> args{const_cast<char*>(program.c_str())};
  if (file) args.push_back(const_cast<char*>(file));
  args.push_back(nullptr);
  ::execv(program.c_str(), args.data());
  std::fprintf(stderr, "korrivan: cannot start the window program %s: %s\n", program.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korrivan;
  const std::string commandLine = joinedArguments(argc, argv);
  // "--window [FILE.las]" opens the window (the desktop entry's way of
  // handing it a file); no batch command line can begin with that word,
  // since the first word of one must name a .las file.
  const bool windowAsked = argc >= 2 && std::string_view(argv[1]) == "--window";
  if (commandLine.empty() || windowAsked)
    return runWindowProgram(base::runningProgramFolder(), windowAsked && argc >= 3 ? argv[2] : nullptr);
  certify::Session session = app::startingSession();
  if (certify::commandLogPath(session.programFolder).empty()) std::fputs(certify::kNoCommandLogNote, stderr);
  certify::SilentHooks hooks;
  app::runCommandLine(session, commandLine, hooks);
  return 0;
}
