#include "ui/conversion.h"

#include <QStringList>

#include "ui/qt_run_hooks.h"
#include "ui/qt_text.h"

namespace korrivan::ui {

QString proposedConversionName(const QString& lasFileName) {
  const qsizetype nameStart =
      std::max(lasFileName.lastIndexOf(QLatin1Char('/')), lasFileName.lastIndexOf(QLatin1Char('\\'))) + 1;
  const qsizetype dot = lasFileName.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot >= nameStart ? lasFileName.left(dot) : lasFileName;
  return stem + QStringLiteral("_ver3.las");
}

void runConversion(QWidget*, QtRunHooks& hooks, const QString& lasFileName, const QString& outputFileName,
                   const ConversionChoice& choice) {
  const run::ConversionOptions options{choice.titles, choice.delimiter, keptUnwrapCopyPath(choice.programFolder)};
  const run::ConversionReport report = convertForWindow(ss(lasFileName), ss(outputFileName), options, hooks);
  if (report.errorBoxShown) return;
  QStringList lines;
  for (const std::string& line : conversionSummaryLines(report, ss(outputFileName), options)) lines << qs(line);
  const bool clean = report.end == run::ConversionEnd::Written && report.expectedFailures.empty();
  hooks.inform(clean ? MessageIcon::Information : MessageIcon::Exclamation, QStringLiteral("Convert"),
               lines.join(QStringLiteral("\n")));
}

}  // namespace korrivan::ui
