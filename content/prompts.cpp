#include "content/prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/settings_dialogs.h"

namespace korrivan::content {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Critical: return QMessageBox::Critical;
    default: return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

MessageAnswer answerOf(QMessageBox::StandardButton button, MessageButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
  }
}

QMessageBox::StandardButton qtButton(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Yes: return QMessageBox::Yes;
    case MessageAnswer::No: return QMessageBox::No;
    case MessageAnswer::Cancel: return QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QString specFileDialog(QWidget* owner, bool save, const QString& startPath) {
  QFileDialog dialog(owner, save ? QStringLiteral("Save Content Specification") : QStringLiteral("Open Content Spec"),
                     startPath, QStringLiteral("Content Specifications (*.def);;All Files (*)"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setDefaultSuffix(QStringLiteral("def"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

Prompts Prompts::standard() {
  Prompts p;
  p.fileDialog = [](QWidget* owner, FileKind kind, bool save, const QString& startPath) {
    return kind == FileKind::LasFile ? ui::showFileDialog(owner, save, startPath)
                                     : specFileDialog(owner, save, startPath);
  };
  p.messageBox = [](QWidget* owner, MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons,
                    MessageAnswer defaultAnswer) {
    QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), owner);
    box.setDefaultButton(qtButton(defaultAnswer));
    box.exec();
    return answerOf(box.standardButton(box.clickedButton()), buttons);
  };
  p.inputBox = [](QWidget* owner, const QString& title, const QString& prompt,
                  const QString& defaultText) -> std::optional<QString> {
    bool ok = false;
    const QString answer = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return answer;
  };
  return p;
}

}  // namespace korrivan::content
