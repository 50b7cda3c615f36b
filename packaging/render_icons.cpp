// Renders the application icon's SVG to the PNG sizes a desktop asks for:
//   korrivan_render_icons ICON.svg OUTPUT_FOLDER
// writes OUTPUT_FOLDER/korrivan-<size>.png for 16, 24, 32, 48, 64, 128 and 256 px.
// Run without a display with QT_QPA_PLATFORM=offscreen.
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool renderSize(QSvgRenderer& svg, int size, const QString& path) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  svg.render(&painter, QRectF(0, 0, size, size));
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG", 9);
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: korrivan_render_icons ICON.svg OUTPUT_FOLDER\n");
    return 2;
  }
  QSvgRenderer svg(args.at(1));
  if (!svg.isValid()) {
    std::fprintf(stderr, "korrivan_render_icons: cannot read %s\n", qPrintable(args.at(1)));
    return 1;
  }
  const QDir out(args.at(2));
  for (int size : kSizes) {
    const QString path = out.filePath(QStringLiteral("korrivan-%1.png").arg(size));
    if (!renderSize(svg, size, path)) {
      std::fprintf(stderr, "korrivan_render_icons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
