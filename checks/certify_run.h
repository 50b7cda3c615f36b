#pragma once
// The state of one certification run, handed by reference to the driver and
// to every check family.
#include <cstdint>
#include <string>

#include "base/run_error.h"
#include "certify/run_hooks.h"
#include "certify/session.h"
#include "las/data_reader.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"

namespace korrivan::checks {

struct CertifyRun {
  CertifyRun(Session& s, RunHooks& h) : session(s), hooks(h), fileName(s.lasFileName), version(s.detectedVersion) {}

  Session& session;
  RunHooks& hooks;

  std::string fileName;
  float version;
  char delimiter = ' ';
  std::string wrapValue;

  las::SectionDirectory directory;
  las::ParsedSection versionSection;
  las::ParsedSection wellSection;
  std::string wellSectionName = "Well";  // "W" when a 1.2/2.0 file titles it so
  las::ParsedSection curveSection;
  las::ParsedSection parameterSection;
  las::CurveTable curves;

  // Looked up in the parsed ~Well section after the well family; " " when absent.
  std::string strt = " ", stop = " ", step = " ", nullValue = " ";
  // Country code handed over by the ~Well family.
  std::string ctry;

  // Line structure of the ~ASCII section (versions 1.2/2.0), found by the
  // line syntax family and used by the ~ASCII family.
  int linesPerDepth = 0;
  std::int64_t valuesPerDepth = 0;

  // The run-time error that stopped a family, for the command log.
  PendingError familyError;

  las::LineRules lineRules() const { return {delimiter, version}; }
  las::DataReadContext dataContext() {
    return las::DataReadContext{directory, delimiter, [this] {
                                  hooks.letEventsRun();
                                  return hooks.cancelRequested();
                                }};
  }
};

}  // namespace korrivan::checks
