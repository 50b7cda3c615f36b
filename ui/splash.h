#pragma once
// `flash`: the borderless about box with the shadowed title, the purpose
// line, the version and a picture. It closes itself after two seconds, on
// any click and on ESC. Made afresh for every showing.
#include <QDialog>

class QLabel;
class QTimer;

namespace korrivan::ui {

// " Ver 2.0.0 ": a blank, Ver, the version, a trailing blank.
QString versionLine(int major, int minor, int revision);

class SplashWindow : public QDialog {
  Q_OBJECT
public:
  explicit SplashWindow(QWidget* parent = nullptr);
  QTimer* closingTimer() const { return timer_; }

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  QTimer* timer_;
};

// Shows the about box modally and returns when it has closed.
void showAboutBox(QWidget* owner);

}  // namespace korrivan::ui
