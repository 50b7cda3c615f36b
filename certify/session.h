#pragma once
// The program state that lives for the whole process: the names of the
// current run, the options and the detected version. The outcome of a run
// is not kept here: a certification is a value its front end receives.
// One Session is made by main and passed by reference; tests make their own.
#include <string>

#include "certify/command_log.h"

namespace korrivan::certify {

inline constexpr float kVersionUnknown = -999.25f;

struct Settings {
  std::string lasFile;
  bool writeLog = false;
  bool doWrap = false;
};

struct Session {
  std::string lasFileName;
  std::string logFileName;
  bool batch = false;
  bool writeLog = false;
  bool doWrap = false;
  float detectedVersion = kVersionUnknown;
  std::string dlmValue;

  // Folder of the running program: command.log, help and documents.
  std::string programFolder;
  // Caption of the main window's status label, the last field of each
  // command-log context line.
  std::string statusText = "Korrivan";

  CommandLogContext logContext() const { return {programFolder, lasFileName, logFileName, statusText}; }
};

}  // namespace korrivan::certify
