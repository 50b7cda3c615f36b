#include "content/prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/message_box.h"
#include "ui/settings_dialogs.h"

namespace korrivan::content {

namespace {

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
    return ui::askMessageBox(owner, icon, title, text, buttons, defaultAnswer);
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
