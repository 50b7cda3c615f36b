#pragma once
// printReport: the report on the printer in the results grid's font, after
// two empty lines, long lines wrapped at the page width.
#include <QFont>
#include <QList>
#include <QStringList>

class QPaintDevice;
class QPrinter;

namespace korrivan::ui {

// The lines of each page as they will be printed.
QList<QStringList> reportPages(const QString& report, const QFont& font, QPaintDevice* device, QSizeF pageSize);

// Prints on the given printer; false when painting could not start.
bool printReport(QPrinter& printer, const QString& report, const QFont& font);

}  // namespace korrivan::ui
