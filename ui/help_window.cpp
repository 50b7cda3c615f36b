#include "ui/help_window.h"

#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace korrivan::ui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
  setObjectName(QStringLiteral("help"));
  setWindowTitle(QStringLiteral("Korrivan Help"));
  browser_->setOpenExternalLinks(true);
  auto* bar = new QToolBar;
  bar->addAction(QStringLiteral("&Back"), QKeySequence::Back, browser_, &QTextBrowser::backward);
  bar->addAction(QStringLiteral("&Forward"), QKeySequence::Forward, browser_, &QTextBrowser::forward);
  bar->addAction(QStringLiteral("&Contents"), browser_, &QTextBrowser::home);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar);
  layout->addWidget(browser_);
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  resize(720, 640);
}

void HelpWindow::showTopic(const QString& helpFile, int context) {
  QUrl url = QUrl::fromLocalFile(helpFile);
  if (context > 0) url.setFragment(QString::number(context));
  if (browser_->source() != url) {
    browser_->setSource(url);
  } else if (context > 0) {
    browser_->scrollToAnchor(url.fragment());
  } else {
    browser_->verticalScrollBar()->setValue(0);
  }
  show();
  raise();
  activateWindow();
}

}  // namespace korrivan::ui
