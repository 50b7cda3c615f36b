#pragma once
// The help file in a browser window of its own, opened at the topic of a
// help context number (an anchor such as #1027) or at its contents.
#include <QWidget>

class QTextBrowser;

namespace korrivan::ui {

class HelpWindow : public QWidget {
  Q_OBJECT
public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // context 0 shows the top of the file.
  void showTopic(const QString& helpFile, int context);
  QTextBrowser* browser() const { return browser_; }

private:
  QTextBrowser* browser_;
};

}  // namespace korrivan::ui
