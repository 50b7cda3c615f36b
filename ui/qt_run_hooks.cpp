#include "ui/qt_run_hooks.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QWidget>

#include "ui/qt_text.h"

namespace korrivan::ui {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton qtButton(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok: return QMessageBox::Ok;
    case MessageAnswer::Cancel: return QMessageBox::Cancel;
    case MessageAnswer::Yes: return QMessageBox::Yes;
    case MessageAnswer::No: return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

MessageAnswer answerOf(int button) {
  switch (button) {
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Ok;
  }
}

// The answer of a box closed without a choice: Cancel or No where offered.
MessageAnswer escapeAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::Ok: break;
  }
  return MessageAnswer::Ok;
}

}  // namespace

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
  QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), window_);
  box.setDefaultButton(qtButton(defaultAnswer));
  // A question asked during a run shows the ordinary pointer, not the busy one.
  if (busyDepth_ > 0) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const int clicked = box.exec();
  if (busyDepth_ > 0) QGuiApplication::restoreOverrideCursor();
  if (box.clickedButton() == nullptr) return escapeAnswer(buttons);
  return answerOf(clicked);
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
