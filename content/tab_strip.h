#pragma once
// A titled strip of tabs of which at most one is selected: unlike a tab
// bar, it can be left without a selection, so that two strips can share one
// selection between them (picking a tab in one clears the other).
#include <QGroupBox>
#include <QStringList>

class QHBoxLayout;
class QToolButton;

namespace korrivan::content {

class TabStrip : public QGroupBox {
  Q_OBJECT
public:
  explicit TabStrip(const QString& title, QWidget* parent = nullptr);

  void addTab(const QString& caption);
  void removeTab(int index);
  int count() const { return static_cast<int>(buttons_.size()); }
  QString tabText(int index) const;
  QStringList captions() const;
  // The selected tab, or -1 when none is.
  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);
  void clearSelection() { setCurrentIndex(-1); }
  QToolButton* button(int index) const;

signals:
  // A tab was picked by the user or by setCurrentIndex (-1: none).
  void currentChanged(int index);

private:
  QHBoxLayout* row_ = nullptr;
  std::vector<QToolButton*> buttons_;
  int current_ = -1;
};

}  // namespace korrivan::content
