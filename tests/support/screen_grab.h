#pragma once
// What the screenshot programs share: letting the window settle on a real
// X server, and saving what the screen shows of a window.
#include <QCoreApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace korrivan::test {

// Runs the event loop for half a second, so that layouts, fonts and the
// window manager's frame are all in place.
inline void settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QTimer wait;
    wait.setSingleShot(true);
    wait.start(25);
    while (wait.isActive()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

// Saves the window with its frame as PATH (a PNG) and prints its size.
inline bool grab(QWidget* window, const QString& path) {
  const QRect area = window->frameGeometry();
  const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
  return shot.save(path);
}

}  // namespace korrivan::test
