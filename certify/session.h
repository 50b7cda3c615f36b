#pragma once
// The program state that lives for the whole process: the names of the
// current run, the options, the detected version and both check tables.
// One Session is made by main and passed by reference; tests make their own.
#include <string>

#include "certify/check_table.h"

namespace korrivan::certify {

class LasFileLock;

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

  CheckTables tables;

  // The lock a batch or window run holds on the LAS file while it certifies
  // it; null outside a run.
  LasFileLock* lasFileLock = nullptr;

  // Folder of the running program: command.log, help and documents.
  std::string programFolder;
  // Caption of the main window's status label, the last field of each
  // command-log context line.
  std::string statusText = "Korrivan";

  CheckTable& runTable() { return tables.forVersion(detectedVersion); }
  const CheckTable& runTable() const { return tables.forVersion(detectedVersion); }
};

}  // namespace korrivan::certify
