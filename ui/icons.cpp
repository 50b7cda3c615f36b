#include "ui/icons.h"

#include <QPainter>
#include <QSvgRenderer>

#include "ui/results_model.h"

// The pictures are compiled into this static library; they have to be
// registered before the first use.
static void registerPictures() { Q_INIT_RESOURCE(korrivan_ui); }

namespace korrivan::ui {

namespace {
QString resourcePath(const QString& name) {
  static const bool registered = (registerPictures(), true);
  (void)registered;
  return QStringLiteral(":/korrivan/icons/") + name + QStringLiteral(".svg");
}
}  // namespace

QPixmap svgPixmap(const QString& name, QSize size) {
  QSvgRenderer renderer(resourcePath(name));
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return pixmap;
}

QIcon svgIcon(const QString& name) {
  QIcon icon;
  for (int side : {16, 22, 24, 32, 48}) icon.addPixmap(svgPixmap(name, QSize(side, side)));
  return icon;
}

QIcon markIcon(Mark mark) {
  switch (mark) {
    case Mark::Passed: return svgIcon(QStringLiteral("mark_pass"));
    case Mark::Failed: return svgIcon(QStringLiteral("mark_fail"));
    case Mark::NotPerformed: return svgIcon(QStringLiteral("mark_neutral"));
    case Mark::None: break;
  }
  return {};
}

}  // namespace korrivan::ui
