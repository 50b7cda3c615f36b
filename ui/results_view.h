#pragma once
// The results grid `fg` (an outline of title, groups and checks) and the
// detail box `errline` under it. The grid keeps its own copy of the
// certification it shows; the next run never changes what is on screen.
#include <QIcon>
#include <QWidget>
#include <optional>
#include <vector>

#include "ui/results_model.h"

class QPlainTextEdit;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace korrivan::ui {

class ResultsView : public QWidget {
  Q_OBJECT
public:
  explicit ResultsView(QWidget* parent = nullptr);

  // showResultsGrid: rebuilds the outline; the detail box is hidden until a
  // check row is selected after a failing run.
  void showResults(const Certification& certification, const Verdict& verdict);
  void clearResults();

  void expandGroups(bool expand);
  QString text() const { return gridText(rows_); }
  int helpContext() const { return helpContext_; }
  const std::vector<GridRow>& rows() const { return rows_; }

  QTreeWidget* grid() const { return grid_; }
  QPlainTextEdit* detailBox() const { return detail_; }

signals:
  void popupRequested(const QPoint& globalPos);
  void copyRequested();
  void helpRequested(int context);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void showCheckDetail(QTreeWidgetItem* item);
  void toggleNode(QTreeWidgetItem* item);
  int gridRowOf(QTreeWidgetItem* item) const;

  QTreeWidget* grid_;
  QPlainTextEdit* detail_;
  QSplitter* splitter_;
  std::optional<Certification> shown_;
  std::vector<GridRow> rows_;
  bool passed_ = true;
  int helpContext_ = 0;
  QIcon passIcon_, failIcon_, neutralIcon_;
};

}  // namespace korrivan::ui
