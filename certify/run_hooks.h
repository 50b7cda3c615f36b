#pragma once
// Everything a certification needs from a person: progress, letting window
// events run, the cancel flag and its question, message boxes, the busy
// pointer and the clipboard. The window implements it; a batch run and the
// tests use the silent implementation, which asks nothing and shows nothing.
#include <string>

namespace korrivan::certify {

enum class MessageIcon { None, Information, Exclamation, Question, Critical };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class RunHooks {
public:
  virtual ~RunHooks() = default;

  // True in the window: questions are asked and progress is shown.
  virtual bool interactive() const = 0;

  virtual void showProgress(int percent, const std::string& caption) = 0;
  virtual void letEventsRun() = 0;

  // The cancel flag, set by ESC in the window.
  virtual bool cancelRequested() const = 0;
  virtual void clearCancel() = 0;

  virtual MessageAnswer messageBox(MessageIcon icon, const std::string& title, const std::string& text,
                                   MessageButtons buttons, MessageAnswer defaultAnswer) = 0;

  virtual void setBusy(bool busy) = 0;
  virtual void setClipboardText(const std::string& text) = 0;
};

// Batch runs and tests: no questions, no boxes, no cancel, no clipboard.
class SilentHooks : public RunHooks {
public:
  bool interactive() const override { return false; }
  void showProgress(int, const std::string&) override {}
  void letEventsRun() override {}
  bool cancelRequested() const override { return false; }
  void clearCancel() override {}
  MessageAnswer messageBox(MessageIcon, const std::string&, const std::string&, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    return defaultAnswer;
  }
  void setBusy(bool) override {}
  void setClipboardText(const std::string&) override {}
};

// Sets the busy pointer for the lifetime of a scope, on every path out.
class BusyPointer {
public:
  explicit BusyPointer(RunHooks& hooks) : hooks_(hooks) { hooks_.setBusy(true); }
  ~BusyPointer() { hooks_.setBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

private:
  RunHooks& hooks_;
};

}  // namespace korrivan::certify
