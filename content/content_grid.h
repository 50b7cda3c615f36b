#pragma once
// `crd`, the content-specification grid: 1000 rows of 13 columns (column 0
// the row numbers, shown as the row headers; row 0 the column headers).
// Typed columns take keys by their column's rule; option columns offer
// their lists, and only in rows with a mnemonic; the row's defaults and the
// format code follow from what is entered.
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <vector>

#include "content/content_calls.h"

namespace korrivan::content {

class SpecGrid : public QTableWidget {
  Q_OBJECT
public:
  explicit SpecGrid(QWidget* parent = nullptr);

  // Size, headers, row numbers and column widths.
  void setupCrd();

  QString cellText(int row, int column) const;
  void setCellText(int row, int column, const QString& text);
  GridCells rowCells(int row) const;
  void setRowCells(int row, const GridCells& cells);
  std::vector<GridCells> allRows() const;
  // Fills the grid with the rows given (the others emptied).
  void setAllRows(const std::vector<GridCells>& rows);
  // The row after the last one that holds anything; rowCount() when full.
  int firstFreeRow() const;

  // The list a cell offers: empty in a row without a mnemonic and in the
  // columns that have none.
  QStringList listFor(int row, int column) const;

  // Hides or shows the options columns 2, 4, 6, 8, 10 and 12.
  void setOptionsHidden(bool hidden);

  // What follows an edit of a cell: the row's defaults after its mnemonic,
  // the format code after a kind, and after a value rule the format and the
  // cursor moved to the row's FORMAT cell.
  void afterEdit(int row, int column);

signals:
  // The user changed a cell.
  void edited();
};

// The editor of a typed column: each key is upper-cased and filtered by
// the column's rule; ESC puts the cell's stored text back.
class KeyRuleEdit : public QLineEdit {
  Q_OBJECT
public:
  KeyRuleEdit(int column, QWidget* parent);
  int column() const { return column_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  int column_;
};

class SpecCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  explicit SpecCellDelegate(SpecGrid* grid);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
  bool eventFilter(QObject* object, QEvent* event) override;

private:
  SpecGrid* grid_;
};

}  // namespace korrivan::content
