#include "content/content_grid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QValidator>
#include <array>

#include "ui/qt_text.h"

namespace korrivan::content {

using ui::qs;
using ui::ss;

namespace {

constexpr std::array<int, compliance::kGridColumns> kWidths{0, 100, 76, 76, 70, 110, 196, 116, 110, 180, 76, 110, 76};
constexpr const char* kStoredText = "storedText";
constexpr const char* kChosen = "chosen";

// Keeps every cell to the characters a cell may hold, whatever reaches the
// editor (a paste, for example); typing is filtered key by key before.
class StoredTextValidator : public QValidator {
public:
  StoredTextValidator(int column, QObject* parent) : QValidator(parent), column_(column) {}
  State validate(QString& input, int& pos) const override {
    const QString stored = qs(compliance::storedCellText(column_, ss(input)));
    if (stored != input) {
      pos = std::min(pos, static_cast<int>(stored.size()));
      input = stored;
    }
    return Acceptable;
  }

private:
  int column_;
};

bool isPlainTextKey(const QKeyEvent* event) {
  if (event->text().isEmpty()) return false;
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  for (QChar c : event->text())
    if (c.unicode() < 32 || c.unicode() == 127) return false;  // Enter, Backspace, ESC, Tab and the like
  return true;
}

}  // namespace

// ---------------------------------------------------------------- the grid

SpecGrid::SpecGrid(QWidget* parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("crd"));
  setItemDelegate(new SpecCellDelegate(this));
  setupCrd();
}

void SpecGrid::setupCrd() {
  clear();
  setColumnCount(compliance::kGridColumns);
  setRowCount(compliance::kGridRows);
  QStringList headers;
  for (int c = 0; c < compliance::kGridColumns; ++c) headers << qs(std::string(compliance::columnHeader(c)));
  setHorizontalHeaderLabels(headers);
  // Column 0, the row numbers 1..1000, is the row header.
  hideColumn(0);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  for (int c = 1; c < compliance::kGridColumns; ++c) setColumnWidth(c, kWidths[static_cast<std::size_t>(c)]);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  setAlternatingRowColors(true);
}

QString SpecGrid::cellText(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void SpecGrid::setCellText(int row, int column, const QString& text) {
  if (QTableWidgetItem* it = item(row, column)) {
    if (it->text() != text) it->setText(text);
  } else if (!text.isEmpty()) {
    setItem(row, column, new QTableWidgetItem(text));
  }
}

GridCells SpecGrid::rowCells(int row) const {
  GridCells cells;
  for (int c = 1; c < compliance::kGridColumns; ++c) cells[static_cast<std::size_t>(c)] = ss(cellText(row, c));
  return cells;
}

void SpecGrid::setRowCells(int row, const GridCells& cells) {
  for (int c = 1; c < compliance::kGridColumns; ++c) setCellText(row, c, qs(cells[static_cast<std::size_t>(c)]));
}

std::vector<GridCells> SpecGrid::allRows() const {
  std::vector<GridCells> rows;
  rows.reserve(static_cast<std::size_t>(rowCount()));
  for (int r = 0; r < rowCount(); ++r) rows.push_back(rowCells(r));
  return rows;
}

void SpecGrid::setAllRows(const std::vector<GridCells>& rows) {
  const bool blocked = blockSignals(true);
  clearContents();
  for (int r = 0; r < rowCount() && r < static_cast<int>(rows.size()); ++r)
    if (!compliance::rowIsBlank(rows[static_cast<std::size_t>(r)])) setRowCells(r, rows[static_cast<std::size_t>(r)]);
  blockSignals(blocked);
  viewport()->update();
}

int SpecGrid::firstFreeRow() const {
  for (int r = rowCount() - 1; r >= 0; --r)
    if (!compliance::rowIsBlank(rowCells(r))) return r + 1;
  return 0;
}

QStringList SpecGrid::listFor(int row, int column) const {
  if (row < 0 || cellText(row, colOf(SpecColumn::Mnemonic)).trimmed().isEmpty()) return {};
  const bool hasUnit = !cellText(row, colOf(SpecColumn::Unit)).trimmed().isEmpty();
  QStringList list;
  for (const std::string& entry : compliance::listOf(column, hasUnit)) list << qs(entry);
  return list;
}

void SpecGrid::setOptionsHidden(bool hidden) {
  for (int c = 2; c < compliance::kGridColumns; c += 2) setColumnHidden(c, hidden);
}

void SpecGrid::afterEdit(int row, int column) {
  GridCells cells = rowCells(row);
  switch (static_cast<SpecColumn>(column)) {
    case SpecColumn::Mnemonic:
      if (!cellText(row, column).trimmed().isEmpty()) compliance::fillRowDefaults(cells);
      break;
    case SpecColumn::FormatKind: compliance::formatKindChosen(cells); break;
    case SpecColumn::ValueRule:
      compliance::valueRuleChosen(cells);
      // After the editor has closed, the cursor goes on to the row's FORMAT.
      QTimer::singleShot(0, this, [this, row] { setCurrentCell(row, colOf(SpecColumn::FormatKind)); });
      break;
    default: break;
  }
  setRowCells(row, cells);
  emit edited();
}

// ---------------------------------------------------------------- editors

KeyRuleEdit::KeyRuleEdit(int column, QWidget* parent) : QLineEdit(parent), column_(column) {
  setValidator(new StoredTextValidator(column, this));
  setFrame(false);
}

void KeyRuleEdit::keyPressEvent(QKeyEvent* event) {
  if (!isPlainTextKey(event)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QString accepted;
  for (QChar c : event->text())
    if (auto key = compliance::acceptKey(column_, c.unicode())) accepted += QChar(static_cast<char16_t>(*key));
  if (!accepted.isEmpty()) insert(accepted);
  event->accept();
}

SpecCellDelegate::SpecCellDelegate(SpecGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

QWidget* SpecCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
  const int col = index.column();
  if (compliance::isTypedColumn(col)) return new KeyRuleEdit(col, parent);
  const QStringList list = grid_->listFor(index.row(), col);
  if (list.isEmpty()) return nullptr;
  auto* combo = new QComboBox(parent);
  combo->addItems(list);
  auto* self = const_cast<SpecCellDelegate*>(this);
  connect(combo, &QComboBox::activated, self, [self, combo] {
    combo->setProperty(kChosen, true);
    emit self->commitData(combo);
    emit self->closeEditor(combo);
  });
  QTimer::singleShot(0, combo, [combo] {
    if (combo->isVisible()) combo->showPopup();
  });
  return combo;
}

void SpecCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const QString text = index.data().toString();
  editor->setProperty(kStoredText, text);
  if (auto* edit = qobject_cast<KeyRuleEdit*>(editor))
    edit->setText(text);
  else if (auto* combo = qobject_cast<QComboBox*>(editor))
    combo->setCurrentIndex(std::max(0, static_cast<int>(combo->findText(text))));
}

void SpecCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  QString text;
  if (auto* edit = qobject_cast<KeyRuleEdit*>(editor)) {
    text = edit->text();
  } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    // A list left without a choice (closed by a click elsewhere) changes nothing.
    if (!combo->property(kChosen).toBool()) return;
    text = combo->currentText();
  }
  const bool changed = index.data().toString() != text;
  if (!changed && !qobject_cast<QComboBox*>(editor)) return;
  model->setData(index, text);
  grid_->afterEdit(index.row(), index.column());
}

bool SpecCellDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    if (auto* edit = qobject_cast<KeyRuleEdit*>(object)) edit->setText(edit->property(kStoredText).toString());
  return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace korrivan::content
