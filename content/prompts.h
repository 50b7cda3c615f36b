#pragma once
// The questions the content-specification windows ask a person: file
// dialogs, message boxes and the input box. The windows ask through one
// Prompts value, so that tests can answer from a script.
#include <QString>
#include <functional>
#include <optional>

#include "certify/run_hooks.h"

class QWidget;

namespace korrivan::content {

using certify::MessageAnswer;
using certify::MessageButtons;
using certify::MessageIcon;

enum class FileKind { LasFile, ContentSpec };

struct Prompts {
  // The chosen full path, or empty when cancelled.
  std::function<QString(QWidget* owner, FileKind kind, bool save, const QString& startPath)> fileDialog;
  std::function<MessageAnswer(QWidget* owner, MessageIcon icon, const QString& title, const QString& text,
                              MessageButtons buttons, MessageAnswer defaultAnswer)>
      messageBox;
  // The answer, or nullopt when cancelled.
  std::function<std::optional<QString>(QWidget* owner, const QString& title, const QString& prompt,
                                       const QString& defaultText)>
      inputBox;

  // Qt's own dialogs.
  static Prompts standard();

  void inform(QWidget* owner, MessageIcon icon, const QString& title, const QString& text) const {
    messageBox(owner, icon, title, text, MessageButtons::Ok, MessageAnswer::Ok);
  }
  bool confirm(QWidget* owner, const QString& title, const QString& text) const {
    return messageBox(owner, MessageIcon::Question, title, text, MessageButtons::YesNo, MessageAnswer::No) ==
           MessageAnswer::Yes;
  }
};

}  // namespace korrivan::content
