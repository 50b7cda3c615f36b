#include "ui/splash.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/core_calls.h"
#include "ui/icons.h"
#include "ui/settings_dialogs.h"

namespace korrivan::ui {

namespace {

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& colour, const QString& name) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

QString versionLine(int major, int minor, int revision) {
  return QStringLiteral(" Ver %1.%2.%3 ").arg(major).arg(minor).arg(revision);
}

SplashWindow::SplashWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("flash"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setModal(true);

  auto* panel = new QFrame;  // el
  panel->setObjectName(QStringLiteral("el"));
  panel->setFrameShape(QFrame::Box);
  panel->setLineWidth(2);
  panel->setAutoFillBackground(true);
  QPalette back = panel->palette();
  back.setColor(QPalette::Window, QColor(244, 241, 232));
  panel->setPalette(back);

  QFont titleFont(QStringLiteral("Times New Roman"), 34, QFont::Bold);
  titleFont.setItalic(true);
  // Two overlapping titles, the grey one offset behind the blue one: a shadow.
  auto* shadow = makeLabel(QStringLiteral("Korrivan "), titleFont, QColor(176, 176, 176), QStringLiteral("lblTitle0"));
  auto* title = makeLabel(QStringLiteral("Korrivan"), titleFont, QColor(0, 0, 128), QStringLiteral("lblTitle1"));
  shadow->setContentsMargins(6, 5, 0, 0);
  title->setContentsMargins(0, 0, 6, 5);
  auto* titleBox = new QWidget;
  auto* titleGrid = new QGridLayout(titleBox);
  titleGrid->setContentsMargins(0, 0, 0, 0);
  titleGrid->addWidget(shadow, 0, 0);
  titleGrid->addWidget(title, 0, 0);

  auto* purpose = makeLabel(QStringLiteral("Log ASCII Standard Certification System for Version 1.2, 2.0 and 3.0"),
                            QFont(QStringLiteral("Times New Roman"), 13), QColor(0, 0, 0), QStringLiteral("Label2"));
  purpose->setWordWrap(true);
  auto* sponsor = makeLabel(QStringLiteral("Sponsored by:"), QFont(QStringLiteral("Times New Roman"), 10),
                            QColor(64, 64, 64), QStringLiteral("Label1"));
  auto* picture = new QLabel;
  picture->setObjectName(QStringLiteral("picture"));
  picture->setPixmap(svgPixmap(QStringLiteral("splash"), QSize(260, 150)));
  picture->setAlignment(Qt::AlignCenter);
  const AppVersion v = appVersion();
  auto* version = makeLabel(versionLine(v.major, v.minor, v.revision), QFont(QStringLiteral("Arial"), 10),
                            QColor(0, 0, 0), QStringLiteral("verLab"));

  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(24, 16, 24, 14);
  column->setSpacing(8);
  column->addWidget(titleBox);
  column->addWidget(purpose);
  column->addSpacing(6);
  column->addWidget(sponsor);
  column->addWidget(picture);
  column->addWidget(version);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(panel);
  setFixedWidth(460);

  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setSingleShot(true);
  timer_->setInterval(2000);
  connect(timer_, &QTimer::timeout, this, [this] {
    timer_->stop();
    accept();
  });
  connect(this, &QDialog::finished, timer_, &QTimer::stop);
}

void SplashWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  adjustSize();
  centerForm(this);
  timer_->start();
}

// Labels pass their clicks on to the window, so a click anywhere lands here.
void SplashWindow::mousePressEvent(QMouseEvent* event) {
  event->accept();
  timer_->stop();
  accept();
}

void showAboutBox(QWidget* owner) {
  SplashWindow splash(owner);
  splash.exec();
}

}  // namespace korrivan::ui
