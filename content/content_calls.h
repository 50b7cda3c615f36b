#pragma once
// Every call the content-specification windows make into the core: the
// specification file, compliance testing, and the reading of another LAS
// file's section directory and parameter lines for the import.
#include <QString>

#include "compliance/compliance_check.h"
#include "compliance/content_spec.h"
#include "compliance/content_spec_file.h"
#include "las/line_parser.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"

namespace korrivan::content {

using compliance::ComplianceFinding;
using compliance::ComplianceResult;
using compliance::ComplianceVerdict;
using compliance::ContentSpec;
using compliance::ContentSpecReading;
using compliance::ContentSpecRow;
using compliance::GridCells;
using compliance::SectionGroup;
using compliance::SectionTab;
using compliance::SpecColumn;

inline constexpr int colOf(SpecColumn c) { return static_cast<int>(c); }

ContentSpecReading readSpecFile(const QString& fileName);
// Saves the content specification safely; the error text, or empty on success.
QString saveSpecFile(const QString& fileName, const ContentSpec& contentSpec);
ComplianceResult testLasFile(const ContentSpec& contentSpec, const QString& lasFileName);

// A LAS file opened for import: its section directory and how its header
// lines are read.
struct ImportFile {
  QString fileName;
  las::SectionDirectory directory;
  las::LineRules rules;
};
// Builds the directory of the file (its main sections located); false when
// the file cannot be read.
bool openImportFile(const QString& fileName, ImportFile& file);
// The parameter lines of one section of the file; a data section holds
// none and is not read.
las::ParsedSection parameterLinesOf(const ImportFile& file, const las::SectionRow& section);

}  // namespace korrivan::content
