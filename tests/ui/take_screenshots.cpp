// Takes the documentation's screenshots of the main window after a passing
// and after a failing certification, and of the about box. Run it under a
// real X server:
//   xvfb-run -s '-screen 0 1280x1024x24' korrivan_screenshots OUT_DIR PASSING.las FAILING.las
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "ui/main_window.h"
#include "ui/qt_run_hooks.h"
#include "ui/results_view.h"
#include "ui/splash.h"
#include "tests/support/screen_grab.h"

using namespace korrivan;
using test::grab;
using test::settle;

namespace {

// Selects the first check row whose key is `key` and moves the grid there.
void selectCheck(ui::MainWindow& window, const QString& key) {
  QTreeWidget* grid = window.results()->grid();
  for (QTreeWidgetItemIterator it(grid); *it; ++it)
    if ((*it)->text(1) == key) {
      grid->setCurrentItem(*it);
      grid->scrollToItem(*it);
      return;
    }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fputs("usage: korrivan_screenshots OUT_DIR PASSING.las FAILING.las\n", stderr);
    return 2;
  }
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  certify::Session session;
  session.programFolder = QCoreApplication::applicationDirPath().toStdString();
  ui::MainWindow window(session);
  window.hooks().setMessageBoxFn([](auto, auto&, auto&, auto, ui::MessageAnswer answer) { return answer; });
  window.resize(1000, 760);
  window.move(40, 30);
  window.show();
  settle();

  bool ok = true;
  if (qEnvironmentVariableIsSet("KORRIVAN_MORE_SHOTS")) {
    QObject::connect(&window.hooks(), &ui::QtRunHooks::progressShown, &window, [&](int percent) {
      if (percent < 30 || QFileInfo::exists(out + QStringLiteral("/progress.png"))) return;
      ok = grab(&window, out + QStringLiteral("/progress.png")) && ok;
    });
  }
  window.certifyChosenFile(QString::fromLocal8Bit(argv[2]));
  selectCheck(window, QStringLiteral("2^1"));
  settle();
  ok = grab(&window, out + QStringLiteral("/main-window-passed.png")) && ok;

  window.certifyChosenFile(QString::fromLocal8Bit(argv[3]));
  const auto& rows = window.results()->rows();
  for (const ui::GridRow& r : rows)
    if (r.mark == ui::Mark::Failed) {
      selectCheck(window, r.key);
      break;
    }
  settle();
  ok = grab(&window, out + QStringLiteral("/main-window-failed.png")) && ok;

  if (qEnvironmentVariableIsSet("KORRIVAN_MORE_SHOTS")) {
    // The File menu open, the Conversions page and the help window, for review.
    auto* fileMenu = window.findChild<QMenu*>(QStringLiteral("fileM"));
    fileMenu->popup(window.mapToGlobal(QPoint(0, 24)));
    settle();
    window.findChild<QMenu*>(QStringLiteral("file_m1"))->popup(fileMenu->geometry().topRight() + QPoint(0, 150));
    settle();
    ok = grab(&window, out + QStringLiteral("/file-menu.png")) && ok;
    fileMenu->hide();
    window.findChild<QMenu*>(QStringLiteral("file_m1"))->hide();
    window.findChild<QTabWidget*>(QStringLiteral("tabb"))->setCurrentIndex(2);
    settle();
    ok = grab(&window, out + QStringLiteral("/conversions.png")) && ok;
    window.findChild<QTabWidget*>(QStringLiteral("tabb"))->setCurrentIndex(0);
    window.showHelp(1027);
    settle();
    if (window.helpWindow()) ok = grab(window.helpWindow(), out + QStringLiteral("/help.png")) && ok;
  }

  ui::SplashWindow about(&window);
  about.show();
  about.closingTimer()->stop();
  settle();
  ok = grab(&about, out + QStringLiteral("/about-box.png")) && ok;
  return ok ? 0 : 1;
}
