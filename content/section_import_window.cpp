#include "content/section_import_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>

#include "base/text_utils.h"
#include "ui/qt_text.h"
#include "ui/settings_dialogs.h"

namespace korrivan::content {

using ui::qs;
using ui::ss;

namespace {

const std::array<QString, 6> kHeaders{QStringLiteral("MNEM"), QStringLiteral("UNIT"),   QStringLiteral("VALUE"),
                                      QStringLiteral("DESC"), QStringLiteral("FORMAT"), QStringLiteral("ASSOC")};
constexpr const char* kTag = "tagText";

QTableWidgetItem* tickBox(const QString& text = {}) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
  item->setCheckState(Qt::Checked);
  return item;
}

QTableWidgetItem* readOnly(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

bool isTicked(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item && item->checkState() == Qt::Checked;
}

}  // namespace

SectionImportWindow::SectionImportWindow(Prompts prompts, const QString& currentLasFile, QWidget* parent)
    : QDialog(parent), prompts_(std::move(prompts)), startLas_(currentLasFile) {
  setObjectName(QStringLiteral("import"));
  setWindowTitle(QStringLiteral("Import LAS"));

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("fileM"));
  QAction* open = file->addAction(QStringLiteral("&Open LAS"), this, &SectionImportWindow::openLas);
  open->setObjectName(QStringLiteral("file_M0"));
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QDialog::reject);
  exit->setObjectName(QStringLiteral("file_M2"));

  sLst_ = new QListWidget;
  sLst_->setObjectName(QStringLiteral("sLst"));
  connect(sLst_, &QListWidget::itemSelectionChanged, this, &SectionImportWindow::groupSelected);

  tabb_ = new QTabBar;
  tabb_->setObjectName(QStringLiteral("tabb"));
  tabb_->addTab(QStringLiteral("~Log_Parameter"));
  tabb_->addTab(QStringLiteral("~Log_Definition"));
  tabb_->setExpanding(false);
  connect(tabb_, &QTabBar::currentChanged, this, &SectionImportWindow::showTab);

  grdP_ = makeGrid(QStringLiteral("grd_P"));
  grdD_ = makeGrid(QStringLiteral("grd_D"));
  connect(grdP_->horizontalHeader(), &QHeaderView::sectionResized, this, &SectionImportWindow::refit);
  connect(grdP_->verticalHeader(), &QHeaderView::sectionResized, this, &SectionImportWindow::refit);
  tag_ = new QLabel;
  tag_->setObjectName(QStringLiteral("tag"));

  importBut_ = new QPushButton(QStringLiteral("&Import"));
  importBut_->setObjectName(QStringLiteral("but0"));
  importBut_->setEnabled(false);
  connect(importBut_, &QPushButton::clicked, this, &SectionImportWindow::importSection);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("but1"));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* el = new QGridLayout(this);
  el->setMenuBar(menuBar);
  el->addWidget(new QLabel(QStringLiteral("Section Groups")), 0, 0);
  el->addWidget(sLst_, 1, 0, 3, 1);
  el->addWidget(tabb_, 0, 1);
  el->addWidget(tag_, 1, 1);
  auto* grids = new QVBoxLayout;
  grids->addWidget(grdP_);
  grids->addWidget(grdD_);
  el->addLayout(grids, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(importBut_);
  buttons->addWidget(cancel);
  el->addLayout(buttons, 4, 0, 1, 2);
  el->setColumnStretch(1, 1);
  el->setRowStretch(2, 1);
  sLst_->setMaximumWidth(200);

  setupGrd(grdP_);
  setupGrd(grdD_);
  grdP_->hide();
  grdD_->hide();
  tabb_->hide();
  ui::applyFormFonts(this, ui::screenWidth());
  for (QTableWidget* grid : {grdP_, grdD_}) grid->setFont(QFont(QStringLiteral("Courier New")));
  resize(900, 560);
  ui::centerForm(this);
}

QTableWidget* SectionImportWindow::makeGrid(const QString& name) {
  auto* grid = new QTableWidget;
  grid->setObjectName(name);
  grid->setToolTip(QStringLiteral("Parameter Data Lines"));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  grid->installEventFilter(this);
  grid->viewport()->installEventFilter(this);
  return grid;
}

// ---------------------------------------------------------------- the file

void SectionImportWindow::openLas() {
  const QString start = file_.fileName.isEmpty() ? startLas_ : file_.fileName;
  const QString chosen = prompts_.fileDialog(this, FileKind::LasFile, false, start);
  if (chosen.isEmpty()) return;
  int status = 0;
  openLAS4Import(chosen, status);
}

void SectionImportWindow::openLAS4Import(const QString& fileName, int& status) {
  // A second file replaces the first: its groups, lines and tabs go.
  file_ = ImportFile{};
  sLst_->clear();
  setupGrd(grdP_);
  setupGrd(grdD_);
  tag_->clear();
  importBut_->setEnabled(false);
  grdP_->hide();
  grdD_->hide();
  tabb_->hide();
  if (!openImportFile(fileName, file_))
    prompts_.inform(this, MessageIcon::Exclamation, QStringLiteral("Import LAS"),
                    QStringLiteral("The LAS file could not be read:\n\n") + fileName);
  for (const std::string& group : file_.directory.groups()) sLst_->addItem(qs(group));
  status = 0;
}

// ---------------------------------------------------------------- groups and grids

void SectionImportWindow::groupSelected() {
  const QList<QListWidgetItem*> chosen = sLst_->selectedItems();
  if (chosen.isEmpty()) return;
  importBut_->setEnabled(true);
  grdP_->show();
  tabb_->show();
  displayPDL(chosen.constFirst()->text());
}

void SectionImportWindow::displayPDL(const QString& group) {
  tabb_->setTabEnabled(0, false);
  tabb_->setTabEnabled(1, false);
  const std::string g = ss(group);
  const auto& rows = file_.directory.rows();
  for (const las::SectionRow& row : rows)
    if (base::iequals(row.name, g + "_Parameter")) {
      fillGridPDL(grdP_, row);
      tabb_->setTabEnabled(0, true);
      break;
    }
  for (const las::SectionRow& row : rows)
    if (base::iequals(row.name, g + "_Data")) {
      fillGridPDL(grdD_, row);
      tabb_->setTabEnabled(1, true);
      break;
    }
  if (tabb_->isTabEnabled(0)) tabb_->setCurrentIndex(0);
  showTab(tabb_->currentIndex());
}

void SectionImportWindow::setupGrd(QTableWidget* grid) {
  grid->clear();
  grid->setColumnCount(7);
  grid->setRowCount(1);
  grid->setHorizontalHeaderItem(0, new QTableWidgetItem(QString()));
  for (int c = 1; c <= 6; ++c) {
    grid->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[static_cast<std::size_t>(c - 1)]));
    grid->setItem(0, c, tickBox());
  }
  grid->setItem(0, 0, readOnly(QString()));
  // The row of column tick boxes belongs to the headers.
  for (int c = 0; c <= 6; ++c) grid->item(0, c)->setBackground(grid->palette().button());
  grid->setProperty(kTag, QString());
}

void SectionImportWindow::fillGridPDL(QTableWidget* grid, const las::SectionRow& section) {
  grid->setUpdatesEnabled(false);
  setupGrd(grid);
  const las::ParsedSection table = parameterLinesOf(file_, section);
  if (table.lineCount() > 0) {
    grid->setRowCount(static_cast<int>(table.lineCount()) + 1);
    for (std::size_t i = 1; i < table.rows.size(); ++i)
      for (int c = 0; c < 6; ++c) grid->setItem(static_cast<int>(i), c + 1, readOnly(qs(table.rows[i].field(c))));
  }
  grid->setProperty(kTag, QStringLiteral("Parameter Data Lines from : ~") + qs(section.name));
  setupGrdChecks(grid);
  grid->resizeColumnsToContents();
  grid->setUpdatesEnabled(true);
}

void SectionImportWindow::setupGrdChecks(QTableWidget* grid) {
  for (int r = 1; r < grid->rowCount(); ++r) grid->setItem(r, 0, tickBox(QString::number(r)));
}

void SectionImportWindow::showTab(int index) {
  grdP_->setVisible(index == 0);
  grdD_->setVisible(index == 1);
  if (QTableWidget* grid = shownGrid()) tag_->setText(grid->property(kTag).toString());
}

QTableWidget* SectionImportWindow::shownGrid() const { return tabb_->currentIndex() == 1 ? grdD_ : grdP_; }

// A row or column resized by hand: the grid fits itself to its contents again.
void SectionImportWindow::refit() {
  if (refitting_) return;
  refitting_ = true;
  grdP_->resizeRowsToContents();
  grdP_->resizeColumnsToContents();
  refitting_ = false;
}

// Keys typed into the grids are discarded; moving about still works.
bool SectionImportWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool inGrid =
        watched == grdP_ || watched == grdD_ || watched == grdP_->viewport() || watched == grdD_->viewport();
    if (inGrid && !key->text().isEmpty() && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- import

ImportSelection SectionImportWindow::selection() const {
  ImportSelection s;
  const QTableWidget* grid = shownGrid();
  const QString tag = grid->property(kTag).toString();
  s.section = tag.mid(tag.indexOf(QLatin1Char('~')) + 1);
  for (int c = 1; c <= 6; ++c) s.columns[static_cast<std::size_t>(c - 1)] = isTicked(grid, 0, c);
  for (int r = 1; r < grid->rowCount(); ++r) {
    if (!isTicked(grid, r, 0)) continue;
    las::LasLineParts parts;
    for (int c = 1; c <= 6; ++c)
      if (const QTableWidgetItem* item = grid->item(r, c)) parts.field(c - 1) = ss(item->text());
    s.lines.push_back(std::move(parts));
  }
  return s;
}

void SectionImportWindow::importSection() {
  const ImportSelection s = selection();
  if (s.lines.empty() || !s.columns[0]) {
    prompts_.inform(this, MessageIcon::Information, QStringLiteral("Import LAS"),
                    s.lines.empty() ? QStringLiteral("Tick the lines to import.")
                                    : QStringLiteral("Tick the MNEM column: the lines are imported by mnemonic."));
    return;
  }
  accept();
}

}  // namespace korrivan::content
