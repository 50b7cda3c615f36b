#include "ui/message_box.h"

#include <QMessageBox>

namespace korrivan::ui {

using certify::MessageAnswer;
using certify::MessageButtons;
using certify::MessageIcon;

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

MessageAnswer askMessageBox(QWidget* owner, MessageIcon icon, const QString& title, const QString& text,
                            MessageButtons buttons, MessageAnswer defaultAnswer) {
  QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), owner);
  box.setDefaultButton(qtButton(defaultAnswer));
  const int clicked = box.exec();
  if (box.clickedButton() == nullptr) return escapeAnswer(buttons);
  return answerOf(clicked);
}

}  // namespace korrivan::ui
