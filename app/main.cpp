// Korrivan: certifies LAS well-log files. With a LAS file name and a log file
// name on the command line it certifies in batch mode and ends; without
// arguments it opens the main window (when the window is part of the build).
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/settings_store.h"
#include "base/program_folders.h"
#include "base/run_error.h"
#include "certify/command_log.h"
#include "certify/session.h"
#ifdef KORRIVAN_WITH_GUI
#include "ui/main_window.h"
#endif

namespace {

std::string joinedArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korrivan;
  certify::Session session;
  session.programFolder = korrivan::base::runningProgramFolder();
  const std::string commandLine = joinedArguments(argc, argv);
  try {
    certify::Settings settings = app::loadSettings();
    session.lasFileName = settings.lasFile;
    session.writeLog = settings.writeLog;
    session.doWrap = settings.doWrap;
  } catch (const std::exception&) {
    session.writeLog = session.doWrap = false;
  }
  // "--window [FILE.las]" opens the window (the desktop entry's way of
  // handing it a file); no batch command line can begin with that word,
  // since the first word of one must name a .las file.
  const bool windowAsked = argc >= 2 && std::string_view(argv[1]) == "--window";
  if (commandLine.empty() || windowAsked) {
#ifdef KORRIVAN_WITH_GUI
    const std::string file = windowAsked && argc >= 3 ? argv[2] : "";
    int qtArgc = 1;
    return ui::runWindow(session, qtArgc, argv, file);
#else
    std::fputs("korrivan: the main window is not part of this build; usage: korrivan FILE.las REPORT.log [/W]\n",
               stderr);
    return 0;
#endif
  }
  if (certify::commandLogPath(session.programFolder).empty()) std::fputs(certify::kNoCommandLogNote, stderr);
  certify::SilentHooks hooks;
  app::runCommandLine(session, commandLine, hooks);
  return 0;
}
