#include "ui/conversion.h"

#include "ui/qt_run_hooks.h"

namespace korrivan::ui {

QString proposedConversionName(const QString& lasFileName) {
  const qsizetype nameStart =
      std::max(lasFileName.lastIndexOf(QLatin1Char('/')), lasFileName.lastIndexOf(QLatin1Char('\\'))) + 1;
  const qsizetype dot = lasFileName.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot >= nameStart ? lasFileName.left(dot) : lasFileName;
  return stem + QStringLiteral("_ver3.las");
}

void runConversion(QWidget*, QtRunHooks& hooks, const QString&, const QString&) {
  hooks.inform(MessageIcon::Information, QStringLiteral("Convert"),
               QStringLiteral("Conversion to LAS version 3.0 is not available in this version of Korrivan yet. "
                              "No file was written."));
}

}  // namespace korrivan::ui
