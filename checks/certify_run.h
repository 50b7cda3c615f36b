#pragma once
// What a check family receives: a read-only view of the file, built by the
// run layer before the families run, and the values families hand on to
// later families and to the run layer.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/run_error.h"
#include "las/data_facts.h"
#include "las/data_reader.h"
#include "las/parsed_section.h"
#include "las/section_cursor.h"
#include "las/section_directory.h"

namespace korrivan::checks {

// The file as the families see it.
struct FileView {
  std::string fileName;
  float version = -999.25f;
  char delimiter = ' ';  // the run's data delimiter: ' ', ',' or a tab
  bool doWrap = false;   // the 1.2/2.0 WRAP line-length check is in the catalogue

  las::SectionDirectory directory;
  las::ParsedSection versionSection;
  las::ParsedSection wellSection;
  std::string wellSectionName = "Well";  // the name the file gives it ("W" in many 1.2/2.0 files)
  las::ParsedSection curveSection;
  las::ParsedSection parameterSection;

  // Lets window events run during long walks; throws RunCancelled when the
  // user confirmed a cancel request.
  las::RunPoll poll;

  // The facts of the data sections, gathered by one pass the first time a
  // family asks for them (dataFactsOf); they live as long as the run that
  // owns this view. Without them every family walks the sections itself.
  std::shared_ptr<las::DataFactsCache> dataFacts = std::make_shared<las::DataFactsCache>();
  las::ScanSettings scanSettings;  // how that pass spreads over the cores

  las::LineRules lineRules() const { return {delimiter, version}; }
  las::DataReadContext dataContext() const { return las::DataReadContext{directory, delimiter, poll}; }
};

// A ~Well STOP that holds the NULL value of a real-time file, and the last
// index read from the data that the run layer may write in its place.
struct StopRepairRequest {
  std::string nullStop;  // the STOP value as found
  double lastIndex = 0;
};

// Values a family hands on.
struct Handover {
  std::string wrapValue;  // the ~Version family's WRAP value

  // The line structure of the ~ASCII section (versions 1.2/2.0), found by the
  // line syntax family and used by the ~ASCII family.
  int linesPerDepth = 0;
  std::int64_t valuesPerDepth = 0;

  // Looked up in the parsed ~Well section after the well family; " " when absent.
  std::string strt = " ", stop = " ", step = " ", nullValue = " ";

  // Added to the name of the country-specific check in this run
  // (" (CDN Requirements)", " (USA Requirements)").
  std::string countryRequirement;

  // Set by the index range family when STOP holds the NULL value and the
  // last index can replace it.
  std::optional<StopRepairRequest> stopRepair;

  // The run-time error that stopped a family, for the command log.
  base::PendingError familyError;
};

}  // namespace korrivan::checks
