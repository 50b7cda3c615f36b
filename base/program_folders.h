#pragma once
// Where an installed Korrivan keeps its files. Run from a build folder, the
// program's own folder holds the documents and takes command.log; installed
// as <prefix>/bin/korrivan beside <prefix>/share/korrivan/, the documents are
// read from that data folder and nothing is written beside the program.
#include <string>

namespace korrivan::base {

// The folder of the running executable (/proc/self/exe); "." when unknown.
std::string runningProgramFolder();

// "<prefix>/share/korrivan" for a program folder "<prefix>/bin" when that
// data folder exists; "" otherwise.
std::string installedDataFolder(const std::string& programFolder);

}  // namespace korrivan::base
