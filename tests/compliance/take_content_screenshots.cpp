// Takes the documentation's screenshots of the content-specification
// window, the section import and the compliance result. Run it under a real
// X server:
//   xvfb-run -s '-screen 0 1280x1024x24' korrivan_content_screenshots OUT_DIR EXAMPLES_DIR
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "content/compliance_view.h"
#include "content/content_grid.h"
#include "content/content_spec_window.h"
#include "content/section_import_window.h"
#include "content/tab_strip.h"
#include "tests/support/screen_grab.h"

using namespace korrivan;
using test::grab;
using test::settle;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fputs("usage: korrivan_content_screenshots OUT_DIR EXAMPLES_DIR\n", stderr);
    return 2;
  }
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString examples = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/content/");
  QDir().mkpath(out);
  bool ok = true;

  content::ContentSpecWindow window(examples + QStringLiteral("log_data_v30_complies.las"));
  window.loadContentSpec(examples + QStringLiteral("log_data_v30.def"));
  window.resize(1240, 640);
  window.move(20, 20);
  window.show();
  window.grid()->setCurrentCell(3, 6);
  settle();
  ok = grab(&window, out + QStringLiteral("/content-specification.png")) && ok;

  content::SectionImportWindow import(content::Prompts::standard(), QString(), &window);
  int status = 0;
  import.openLAS4Import(examples + QStringLiteral("log_data_v30_complies.las"), status);
  import.resize(980, 460);
  import.move(60, 80);
  import.show();
  import.groupList()->setCurrentRow(0);
  settle();
  ok = grab(&import, out + QStringLiteral("/section-import.png")) && ok;
  import.hide();

  if (qEnvironmentVariableIsSet("KORRIVAN_MORE_SHOTS")) {
    // A row typed in, its format list open, and the options hidden, for review.
    window.grid()->setCurrentCell(6, 1);
    window.grid()->edit(window.grid()->model()->index(6, 1));
    settle();
    if (QWidget* focus = window.grid()->viewport()->findChild<content::KeyRuleEdit*>()) {
      for (const char* key : {"d", "e", "p", "t"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(key));
        QApplication::sendEvent(focus, &press);
      }
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(focus, &enter);
    }
    settle();
    window.grid()->setCurrentCell(6, 7);
    window.grid()->edit(window.grid()->model()->index(6, 7));
    settle();
    ok = grab(&window, out + QStringLiteral("/content-list.png")) && ok;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    if (QWidget* popup = QApplication::activePopupWidget()) QApplication::sendEvent(popup, &escape);
    settle();
    window.findChild<QCheckBox*>(QStringLiteral("hideOpt"))->setChecked(true);
    window.fixedTabs()->setCurrentIndex(1);
    settle();
    ok = grab(&window, out + QStringLiteral("/content-hidden-options.png")) && ok;
    window.findChild<QCheckBox*>(QStringLiteral("hideOpt"))->setChecked(false);
  }

  window.testLasFile(examples + QStringLiteral("log_data_v30_fails.las"));
  window.complianceView()->move(60, 120);
  settle();
  ok = grab(window.complianceView(), out + QStringLiteral("/compliance-result.png")) && ok;
  return ok ? 0 : 1;
}
