#pragma once
// The window's side of a certification: progress in the status bar, window
// events let in with processEvents, the cancel flag set by ESC, message
// boxes, the busy pointer and the clipboard. Every message box of the window
// goes through messageBox(), so a test can script the answers.
#include <QObject>
#include <QPointer>
#include <functional>

#include "ui/core_calls.h"

class QProgressBar;
class QWidget;

namespace korrivan::ui {

class QtRunHooks : public QObject, public RunHooks {
  Q_OBJECT
public:
  using MessageBoxFn = std::function<MessageAnswer(MessageIcon icon, const QString& title, const QString& text,
                                                   MessageButtons buttons, MessageAnswer defaultAnswer)>;

  // ESC pressed anywhere inside `window` sets the cancel flag.
  QtRunHooks(QWidget* window, QProgressBar* progress);
  ~QtRunHooks() override;

  bool interactive() const override { return true; }
  void showProgress(int percent, const std::string& caption) override;
  void letEventsRun() override;
  bool cancelRequested() const override { return cancel_; }
  void clearCancel() override { cancel_ = false; }
  void requestCancel() { cancel_ = true; }
  MessageAnswer messageBox(MessageIcon icon, const std::string& title, const std::string& text, MessageButtons buttons,
                           MessageAnswer defaultAnswer) override;
  void setBusy(bool busy) override;
  void setClipboardText(const std::string& text) override;

  MessageAnswer ask(MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons,
                    MessageAnswer defaultAnswer);
  void inform(MessageIcon icon, const QString& title, const QString& text);

  // Replaces the message boxes (tests answer from a script).
  void setMessageBoxFn(MessageBoxFn fn) { messageBoxFn_ = std::move(fn); }

signals:
  void progressShown(int percent, const QString& caption);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  MessageAnswer showMessageBox(MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons,
                               MessageAnswer defaultAnswer);

  QPointer<QWidget> window_;
  QPointer<QProgressBar> progress_;
  bool cancel_ = false;
  int busyDepth_ = 0;
  MessageBoxFn messageBoxFn_;
};

}  // namespace korrivan::ui
