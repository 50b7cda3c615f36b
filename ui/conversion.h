#pragma once
// The Convert! command of the Conversions tab: the proposed output name and
// the conversion of the current 1.2/2.0 file to version 3.0 with the
// choices of the tab.
#include <QString>

#include "ui/core_calls.h"

class QWidget;

namespace korrivan::ui {

class QtRunHooks;

// The LAS file name with everything from the last period of its file name
// on replaced by "_ver3.las" ("_ver3.las" appended when the name has none).
QString proposedConversionName(const QString& lasFileName);

// The two option groups of the Conversions tab and where the program keeps
// its files.
struct ConversionChoice {
  run::TitleStyle titles = run::TitleStyle::Short;           // logOpt
  run::DataDelimiter delimiter = run::DataDelimiter::Space;  // dlmOpt
  std::string programFolder;
};

// Converts lasFileName into outputFileName, with progress and ESC, then
// tells what was written and which checks the new file will not pass (or
// why nothing was written; a run-time error or a cancel shows the
// "Un-expected Error" box instead).
void runConversion(QWidget* owner, QtRunHooks& hooks, const QString& lasFileName, const QString& outputFileName,
                   const ConversionChoice& choice);

}  // namespace korrivan::ui
