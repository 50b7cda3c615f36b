#include "ui/print_report.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <cmath>

namespace korrivan::ui {

namespace {

// Splits one line into pieces no wider than `width`, breaking after a blank
// where one fits, else inside the word.
QStringList wrapLine(const QString& line, const QFontMetricsF& metrics, qreal width) {
  QStringList pieces;
  QString rest = line;
  while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
    qsizetype fit = 1;
    while (fit < rest.size() && metrics.horizontalAdvance(rest.left(fit + 1)) <= width) ++fit;
    const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), fit - 1);
    const qsizetype cut = blank > 0 ? blank + 1 : fit;
    pieces << rest.left(cut);
    rest = rest.mid(cut);
  }
  pieces << rest;
  return pieces;
}

}  // namespace

QList<QStringList> reportPages(const QString& report, const QFont& font, QPaintDevice* device, QSizeF pageSize) {
  const QFontMetricsF metrics(font, device);
  const int perPage = std::max(1, static_cast<int>(std::floor(pageSize.height() / metrics.lineSpacing())));
  QStringList lines{QString(), QString()};
  QString text = report;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  for (const QString& line : text.split(QLatin1Char('\n'))) lines << wrapLine(line, metrics, pageSize.width());

  QList<QStringList> pages;
  for (qsizetype at = 0; at < lines.size(); at += perPage) pages << lines.mid(at, perPage);
  return pages;
}

bool printReport(QPrinter& printer, const QString& report, const QFont& font) {
  const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  const QList<QStringList> pages = reportPages(report, font, &printer, page);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  painter.setFont(font);
  const QFontMetricsF metrics(font, &printer);
  for (qsizetype p = 0; p < pages.size(); ++p) {
    if (p > 0) printer.newPage();
    qreal y = metrics.ascent();
    for (const QString& line : pages[p]) {
      painter.drawText(QPointF(0, y), line);
      y += metrics.lineSpacing();
    }
  }
  return painter.end();
}

}  // namespace korrivan::ui
