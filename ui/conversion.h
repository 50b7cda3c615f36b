#pragma once
// The Convert! command of the Conversions tab: the proposed output name and
// the one place where the conversion of a 1.2/2.0 file to 3.0 is started.
#include <QString>

class QWidget;

namespace korrivan::ui {

class QtRunHooks;

// The LAS file name with everything from the last period of its file name
// on replaced by "_ver3.las" ("_ver3.las" appended when the name has none).
QString proposedConversionName(const QString& lasFileName);

// Converts lasFileName into outputFileName. Not available yet: says so and
// writes nothing.
void runConversion(QWidget* owner, QtRunHooks& hooks, const QString& lasFileName, const QString& outputFileName);

}  // namespace korrivan::ui
