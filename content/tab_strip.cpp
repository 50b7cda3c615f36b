#include "content/tab_strip.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace korrivan::content {

TabStrip::TabStrip(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
  row_ = new QHBoxLayout(this);
  row_->setContentsMargins(6, 2, 6, 4);
  row_->setSpacing(2);
  row_->addStretch(1);
}

void TabStrip::addTab(const QString& caption) {
  auto* button = new QToolButton;
  button->setText(caption);
  button->setCheckable(true);
  button->setAutoRaise(false);
  button->setFocusPolicy(Qt::StrongFocus);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setMinimumWidth(80);
  connect(button, &QToolButton::clicked, this, [this, button] {
    const auto at = std::find(buttons_.begin(), buttons_.end(), button);
    setCurrentIndex(static_cast<int>(at - buttons_.begin()));
  });
  row_->insertWidget(count(), button);
  buttons_.push_back(button);
}

void TabStrip::removeTab(int index) {
  if (index < 0 || index >= count()) return;
  QToolButton* button = buttons_[static_cast<std::size_t>(index)];
  buttons_.erase(buttons_.begin() + index);
  delete button;
  if (current_ == index)
    setCurrentIndex(-1);
  else if (current_ > index)
    --current_;
}

QString TabStrip::tabText(int index) const {
  return index >= 0 && index < count() ? buttons_[static_cast<std::size_t>(index)]->text() : QString();
}

QStringList TabStrip::captions() const {
  QStringList list;
  for (QToolButton* b : buttons_) list << b->text();
  return list;
}

QToolButton* TabStrip::button(int index) const {
  return index >= 0 && index < count() ? buttons_[static_cast<std::size_t>(index)] : nullptr;
}

void TabStrip::setCurrentIndex(int index) {
  if (index < -1 || index >= count()) index = -1;
  // The selected tab stands out: pressed, bold and in the selection colour.
  for (int i = 0; i < count(); ++i) {
    QToolButton* b = buttons_[static_cast<std::size_t>(i)];
    b->setChecked(i == index);
    QFont f = b->font();
    f.setBold(i == index);
    b->setFont(f);
    QPalette p = palette();
    if (i == index) p.setColor(QPalette::Button, p.color(QPalette::Highlight).lighter(160));
    b->setPalette(p);
  }
  if (index == current_) return;
  current_ = index;
  emit currentChanged(index);
}

}  // namespace korrivan::content
