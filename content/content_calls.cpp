#include "content/content_calls.h"

#include "base/run_error.h"
#include "certify/prechecks.h"
#include "checks/family.h"
#include "ui/qt_text.h"

namespace korrivan::content {

using ui::qs;
using ui::ss;

ContentSpecReading readSpecFile(const QString& fileName) { return compliance::readContentSpecFile(ss(fileName)); }

QString saveSpecFile(const QString& fileName, const ContentSpec& contentSpec) {
  try {
    compliance::saveContentSpecFile(ss(fileName), contentSpec);
    return {};
  } catch (const base::RunError& e) {
    return qs(e.text());
  } catch (const std::exception& e) {
    return qs(base::pendingError(e).text);
  }
}

ComplianceResult testLasFile(const ContentSpec& contentSpec, const QString& lasFileName) {
  return compliance::testCompliance(contentSpec, ss(lasFileName));
}

bool openImportFile(const QString& fileName, ImportFile& file) {
  file.fileName = fileName;
  const std::string name = ss(fileName);
  // The import is made for version 3.0 files; a file whose version cannot
  // be read is listed as one.
  const float detected = certify::detectVersion(name);
  file.rules = {' ', detected == 0 ? 3.0f : detected};
  try {
    if (!file.directory.locateMainSections(name, file.rules.version)) return false;
    if (file.rules.version == 3.0f) {
      if (const las::SectionRow* version = file.directory.findStandard("Version")) {
        las::ParsedSection table;
        las::parseSection(file.directory, table, version->name, file.rules);
        file.rules.delimiter = checks::delimiterFromDlm(checks::lookupParamValue(table, "DLM"));
      }
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

las::ParsedSection parameterLinesOf(const ImportFile& file, const las::SectionRow& section) {
  las::ParsedSection table;
  if (section.kind == las::SectionKind::Data) return table;
  try {
    las::parseSection(file.directory, table, section.name, file.rules);
  } catch (const std::exception&) {
    table.reset();
  }
  return table;
}

}  // namespace korrivan::content
