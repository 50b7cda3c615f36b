#include "ui/results_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/icons.h"

namespace korrivan::ui {

namespace {
constexpr int kRowRole = Qt::UserRole + 1;  // position in the fully listed grid (title row 0)
constexpr int kKeyColumn = 1;
}  // namespace

ResultsView::ResultsView(QWidget* parent)
    : QWidget(parent),
      grid_(new QTreeWidget),
      detail_(new QPlainTextEdit),
      splitter_(new QSplitter(Qt::Vertical)),
      passIcon_(markIcon(Mark::Passed)),
      failIcon_(markIcon(Mark::Failed)),
      neutralIcon_(markIcon(Mark::NotPerformed)) {
  grid_->setObjectName(QStringLiteral("fg"));
  grid_->setColumnCount(2);
  grid_->setHeaderHidden(true);
  grid_->setColumnHidden(kKeyColumn, true);
  grid_->setExpandsOnDoubleClick(false);
  grid_->setUniformRowHeights(true);
  grid_->setAlternatingRowColors(false);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  grid_->header()->setStretchLastSection(false);
  grid_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  grid_->setWhatsThis(tr("Results of the checks. Press F1 for help on the selected group."));

  detail_->setObjectName(QStringLiteral("errline"));
  detail_->setReadOnly(true);
  detail_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  detail_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  detail_->setFont(QFont(QStringLiteral("Courier New")));
  detail_->setVisible(false);

  splitter_->addWidget(grid_);
  splitter_->addWidget(detail_);
  splitter_->setStretchFactor(0, 4);
  splitter_->setStretchFactor(1, 1);
  splitter_->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);

  connect(grid_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { showCheckDetail(item); });
  connect(grid_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { toggleNode(item); });
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { emit popupRequested(grid_->viewport()->mapToGlobal(pos)); });
  auto* copy = new QShortcut(QKeySequence::Copy, grid_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, this, &ResultsView::copyRequested);
  grid_->installEventFilter(this);
}

// F1 in the grid opens the help topic of the selected row; the grid claims
// the key before the window's own F1 (help contents) sees it.
bool ResultsView::eventFilter(QObject* watched, QEvent* event) {
  const bool f1 = (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
                  static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1;
  if (watched == grid_ && f1) {
    event->accept();
    if (event->type() == QEvent::KeyPress) emit helpRequested(helpContext_);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void ResultsView::clearResults() {
  detail_->setVisible(false);
  grid_->clear();
  rows_.clear();
  shown_.reset();
}

void ResultsView::showResults(const Certification& certification, const Verdict& verdict) {
  clearResults();
  shown_ = certification;
  passed_ = verdict.passed;
  rows_ = resultRows(certification);

  QTreeWidgetItem* title = nullptr;
  QTreeWidgetItem* group = nullptr;
  int gridRow = 0;
  for (const GridRow& r : rows_) {
    QTreeWidgetItem* item = nullptr;
    switch (r.level) {
      case RowLevel::Title: item = title = new QTreeWidgetItem(grid_); break;
      case RowLevel::Group: item = group = new QTreeWidgetItem(title); break;
      case RowLevel::Check: item = new QTreeWidgetItem(group); break;
    }
    item->setText(0, r.text);
    item->setText(kKeyColumn, r.key);
    item->setData(0, kRowRole, gridRow++);
    if (r.level == RowLevel::Title) {
      QFont font = grid_->font();
      font.setPointSizeF(font.pointSizeF() + 2);
      item->setFont(0, font);
      item->setForeground(0, Qt::black);
    }
    switch (r.mark) {
      case Mark::Passed:
        item->setIcon(0, passIcon_);
        item->setForeground(0, kDarkGreen);
        break;
      case Mark::Failed:
        item->setIcon(0, failIcon_);
        item->setForeground(0, kRed);
        break;
      case Mark::NotPerformed: item->setIcon(0, neutralIcon_); break;
      case Mark::None: break;
    }
  }
  grid_->expandAll();
  // A file that is no LAS well log at all says why at once.
  if (!passed_ && !certification.notLasReason.empty()) {
    detail_->setPlainText(notLasText(certification));
    detail_->setVisible(true);
  }
  detail_->update();
}

void ResultsView::expandGroups(bool expand) {
  if (grid_->topLevelItemCount() == 0) return;
  QTreeWidgetItem* title = grid_->topLevelItem(0);
  for (int i = 0; i < title->childCount(); ++i) title->child(i)->setExpanded(expand);
}

int ResultsView::gridRowOf(QTreeWidgetItem* item) const { return item ? item->data(0, kRowRole).toInt() : -1; }

// showCheckDetail: a check row fills the detail box; after a failing run the
// box becomes visible. Every change of the current row moves the help topic.
void ResultsView::showCheckDetail(QTreeWidgetItem* item) {
  if (!item || !shown_) return;
  const QString key = item->text(kKeyColumn);
  if (!item->text(0).isEmpty() && key.contains(QLatin1Char('^'))) {
    const int group = key.section(QLatin1Char('^'), 0, 0).toInt();
    const int row = key.section(QLatin1Char('^'), 1).toInt();
    if (!passed_) detail_->setVisible(true);
    detail_->setPlainText(detailText(*shown_, group, row));
  }
  helpContext_ = helpContextForRow(gridRowOf(item), shown_->version == LasVersion::V3_0, helpContext_);
}

// A click on the title or a group row opens a closed node and closes any other.
void ResultsView::toggleNode(QTreeWidgetItem* item) {
  if (!item || item->childCount() == 0) return;
  item->setExpanded(!item->isExpanded());
}

}  // namespace korrivan::ui
