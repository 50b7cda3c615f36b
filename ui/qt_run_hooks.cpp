#include "ui/qt_run_hooks.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QWidget>

#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace korrivan::ui {

namespace {}  // namespace

QtRunHooks::QtRunHooks(QWidget* window, QProgressBar* progress) : window_(window), progress_(progress) {
  qApp->installEventFilter(this);
}

QtRunHooks::~QtRunHooks() {
  if (qApp) qApp->removeEventFilter(this);
  while (busyDepth_ > 0) setBusy(false);
}

void QtRunHooks::showProgress(int percent, const std::string& caption) {
  const QString text = qs(caption);
  if (progress_) {
    progress_->setValue(percent);
    progress_->setFormat(text);
    progress_->repaint();
  }
  emit progressShown(percent, text);
}

void QtRunHooks::letEventsRun() { QCoreApplication::processEvents(); }

bool QtRunHooks::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && window_ && widget->window() == window_) cancel_ = true;
  }
  return false;
}

MessageAnswer QtRunHooks::messageBox(MessageIcon icon, const std::string& title, const std::string& text,
                                     MessageButtons buttons, MessageAnswer defaultAnswer) {
  return ask(icon, qs(title), qs(text), buttons, defaultAnswer);
}

MessageAnswer QtRunHooks::ask(MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons,
                              MessageAnswer defaultAnswer) {
  if (messageBoxFn_) return messageBoxFn_(icon, title, text, buttons, defaultAnswer);
  return showMessageBox(icon, title, text, buttons, defaultAnswer);
}

void QtRunHooks::inform(MessageIcon icon, const QString& title, const QString& text) {
  ask(icon, title, text, MessageButtons::Ok, MessageAnswer::Ok);
}

MessageAnswer QtRunHooks::showMessageBox(MessageIcon icon, const QString& title, const QString& text,
                                         MessageButtons buttons, MessageAnswer defaultAnswer) {
  // A question asked during a run shows the ordinary pointer, not the busy one.
  if (busyDepth_ > 0) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const MessageAnswer answer = askMessageBox(window_, icon, title, text, buttons, defaultAnswer);
  if (busyDepth_ > 0) QGuiApplication::restoreOverrideCursor();
  return answer;
}

void QtRunHooks::setBusy(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QGuiApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

void QtRunHooks::setClipboardText(const std::string& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->clear();
    clipboard->setText(qs(text));
  }
}

}  // namespace korrivan::ui
