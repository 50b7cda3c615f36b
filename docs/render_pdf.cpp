// Renders one of Korrivan's HTML documents to a PDF file at build time:
//   korrivan_render_pdf INPUT.html OUTPUT.pdf
// Runs without a display (QT_QPA_PLATFORM=offscreen). Writes to a temporary
// name beside OUTPUT and renames it, so an interrupted build never leaves a
// half-written PDF that looks up to date.
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <cstdio>

namespace {

QString documentTitle(const QString& html) {
  const QRegularExpression title(QStringLiteral("<title>(.*)</title>"), QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = title.match(html);
  return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

bool renderPdf(const QString& html, const QString& outputPath) {
  const QString partial = outputPath + QStringLiteral(".part");
  {
    QPdfWriter writer(partial);
    writer.setPageSize(QPageSize(QPageSize::A4));
    // QTextDocument::print adds its own 2 cm margins on every side.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Korrivan"));
    writer.setTitle(documentTitle(html));

    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
    doc.setHtml(html);
    doc.print(&writer);  // lays the text out on pages and numbers them
  }
  QFile::remove(outputPath);
  if (!QFile::rename(partial, outputPath)) {
    QFile::remove(partial);
    return false;
  }
  return QFileInfo(outputPath).size() > 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: korrivan_render_pdf INPUT.html OUTPUT.pdf\n");
    return 2;
  }
  QFile input(args.at(1));
  if (!input.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "korrivan_render_pdf: cannot read %s\n", qPrintable(args.at(1)));
    return 1;
  }
  const QString html = QString::fromUtf8(input.readAll());
  if (!renderPdf(html, args.at(2))) {
    std::fprintf(stderr, "korrivan_render_pdf: cannot write %s\n", qPrintable(args.at(2)));
    return 1;
  }
  return 0;
}
