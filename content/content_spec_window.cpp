#include "content/content_spec_window.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "content/compliance_view.h"
#include "content/content_grid.h"
#include "content/section_import_window.h"
#include "content/tab_strip.h"
#include "ui/icons.h"
#include "ui/qt_text.h"
#include "ui/settings_dialogs.h"

// The pictures of this window are compiled into the static library; they
// have to be registered before the first use.
static void registerContentPictures() { Q_INIT_RESOURCE(content_icons); }

namespace korrivan::content {

using compliance::GroupLayout;
using compliance::SectionGroup;
using ui::qs;
using ui::ss;

namespace {

constexpr std::array<GroupLayout, 3> kLayouts{GroupLayout::ParDefData, GroupLayout::DefData, GroupLayout::Par};
constexpr std::array<SectionTab, 3> kTabs{SectionTab::Parameter, SectionTab::Definition, SectionTab::Data};
const QString kTitle = QStringLiteral("Content Specification");

QString key(const QString& section) { return section.toUpper(); }

QString tabCaption(const QString& group) { return QStringLiteral("~") + group; }

// The rows a section holds, as many as the grid has.
std::vector<GridCells> gridRows(const std::vector<GridCells>& rows) {
  std::vector<GridCells> out = rows;
  out.resize(static_cast<std::size_t>(compliance::kGridRows));
  return out;
}

}  // namespace

ContentSpecWindow::ContentSpecWindow(const QString& currentLasFile, QWidget* parent, Prompts prompts)
    : QDialog(parent), prompts_(std::move(prompts)), startLas_(currentLasFile) {
  static const bool registered = (registerContentPictures(), true);
  (void)registered;
  setObjectName(QStringLiteral("contGrid"));
  setWindowTitle(kTitle);
  groups_ = compliance::newContentSpec().groups;
  buildMenus();
  buildLayout(buildToolbar());
  loadWindow();
}

ContentSpecWindow::~ContentSpecWindow() = default;

// ---------------------------------------------------------------- building

void ContentSpecWindow::buildMenus() {
  menuBar_ = new QMenuBar(this);
  QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("fileM"));
  auto add = [this, file](int index, const QString& caption, auto slot) {
    QAction* a = file->addAction(caption, this, slot);
    a->setObjectName(QStringLiteral("file_M%1").arg(index));
    fileM_[static_cast<std::size_t>(index)] = a;
  };
  add(0, QStringLiteral("&Open Content Spec"), &ContentSpecWindow::openContentSpec);
  add(1, QStringLiteral("&Import From LAS..."), &ContentSpecWindow::importFromLas);
  add(4, QStringLiteral("&Test a LAS File..."), [this] { testLasFile(); });
  fileM_[2] = file->addSeparator();
  add(3, QStringLiteral("E&xit"), &ContentSpecWindow::reject);
  menuBar_->addMenu(QStringLiteral("&Help"))->setObjectName(QStringLiteral("helpM"));
}

QWidget* ContentSpecWindow::buildToolbar() {
  auto* toolbar = new QToolBar;
  toolbar->setIconSize(QSize(24, 24));
  struct Button {
    const char* icon;
    const char* tip;
    std::function<void()> action;
  };
  const std::array<Button, 3> buttons{{
      {"open", "Open Content Spec", [this] { openContentSpec(); }},
      {"import_sections", "Import LAS Sections", [this] { importFromLas(); }},
      {"test_las", "Test a LAS File", [this] { testLasFile(); }},
  }};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    auto* b = new QToolButton;
    b->setObjectName(QStringLiteral("tBut%1").arg(i));
    b->setIcon(ui::svgIcon(QString::fromUtf8(buttons[i].icon)));
    b->setToolTip(QString::fromUtf8(buttons[i].tip));
    b->setAutoRaise(true);
    connect(b, &QToolButton::clicked, this, buttons[i].action);
    toolbar->addWidget(b);
    tBut_[i] = b;
  }
  return toolbar;
}

void ContentSpecWindow::buildLayout(QWidget* toolbar) {
  tab2_ = new TabStrip(QStringLiteral("Fixed sections"));
  tab2_->setObjectName(QStringLiteral("tab2"));
  for (const char* caption : {"~Version", "~Well", "~Parameter"}) tab2_->addTab(QString::fromUtf8(caption));
  tab3_ = new TabStrip(QStringLiteral("User Defined Sections"));
  tab3_->setObjectName(QStringLiteral("tab3"));
  for (const SectionGroup& g : groups_) tab3_->addTab(tabCaption(qs(g.name)));
  connect(tab2_, &TabStrip::currentChanged, this, &ContentSpecWindow::fixedTabChosen);
  connect(tab3_, &TabStrip::currentChanged, this, &ContentSpecWindow::groupTabChosen);

  const std::array<QString, 4> captions{QStringLiteral("&Ok"), QStringLiteral("Cancel"), QStringLiteral("&Add"),
                                        QStringLiteral("&Del")};
  for (std::size_t i = 0; i < but_.size(); ++i) {
    but_[i] = new QPushButton(captions[i]);
    but_[i]->setObjectName(QStringLiteral("but%1").arg(i));
    but_[i]->setAutoDefault(false);
  }
  connect(but_[0], &QPushButton::clicked, this, &ContentSpecWindow::okCommand);
  connect(but_[1], &QPushButton::clicked, this, &ContentSpecWindow::reject);
  connect(but_[2], &QPushButton::clicked, this, &ContentSpecWindow::addSectionGroup);
  connect(but_[3], &QPushButton::clicked, this, &ContentSpecWindow::deleteSectionGroup);

  auto* options = new QGroupBox(QStringLiteral("Data set"));
  auto* optionsRow = new QHBoxLayout(options);
  for (std::size_t i = 0; i < opt_.size(); ++i) {
    opt_[i] = new QRadioButton(qs(std::string(compliance::captionOf(kLayouts[i]))));
    opt_[i]->setObjectName(QStringLiteral("opt%1").arg(i));
    connect(opt_[i], &QRadioButton::clicked, this, [this, i] { chooseLayout(kLayouts[i]); });
    optionsRow->addWidget(opt_[i]);
  }
  opt_[0]->setChecked(true);
  hideOpt_ = new QCheckBox(QStringLiteral("Hide Options"));
  hideOpt_->setObjectName(QStringLiteral("hideOpt"));
  optionsRow->addSpacing(20);
  optionsRow->addWidget(hideOpt_);
  optionsRow->addStretch(1);

  tab1_ = new QTabBar;
  tab1_->setObjectName(QStringLiteral("tab1"));
  for (int i = 0; i < 3; ++i) tab1_->addTab(QString());
  tab1_->setExpanding(false);
  connect(tab1_, &QTabBar::currentChanged, this, &ContentSpecWindow::dataSetTabChosen);

  crd_ = new SpecGrid;
  connect(crd_, &SpecGrid::edited, this, &ContentSpecWindow::markModified);
  connect(hideOpt_, &QCheckBox::toggled, crd_, &SpecGrid::setOptionsHidden);

  fileLabel_ = new QLabel;
  fileLabel_->setObjectName(QStringLiteral("contentSpecFile"));

  auto* sectionsRow = new QHBoxLayout;
  sectionsRow->addWidget(tab2_);
  sectionsRow->addWidget(tab3_, 1);
  auto* groupButtons = new QVBoxLayout;
  groupButtons->addStretch(1);
  groupButtons->addWidget(but_[2]);
  groupButtons->addWidget(but_[3]);
  sectionsRow->addLayout(groupButtons);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(fileLabel_, 1);
  bottom->addWidget(but_[0]);
  bottom->addWidget(but_[1]);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar_);
  layout->addWidget(toolbar);
  layout->addLayout(sectionsRow);
  layout->addWidget(options);
  layout->addSpacing(4);
  layout->addWidget(tab1_);
  layout->addWidget(crd_, 1);
  layout->addLayout(bottom);
  layout->setSpacing(4);
}

// Loading: fonts, the grid, position; the first group's parameter section
// is shown.
void ContentSpecWindow::loadWindow() {
  ui::applyFormFonts(this, ui::screenWidth());
  crd_->setupCrd();
  resize(1180, 720);
  ui::centerForm(this);
  selectFirstSection();
  modified_ = false;
  fileLabel_->setText(QStringLiteral("Not saved yet"));
}

// ---------------------------------------------------------------- sections

QString ContentSpecWindow::currentSection() const {
  if (tab2_->currentIndex() >= 0)
    return qs(std::string(compliance::kFixedSections[static_cast<std::size_t>(tab2_->currentIndex())]));
  const int g = tab3_->currentIndex();
  if (g < 0 || g >= static_cast<int>(groups_.size())) return {};
  const int t = std::max(0, tab1_->currentIndex());
  return qs(
      compliance::groupSectionName(groups_[static_cast<std::size_t>(g)].name, kTabs[static_cast<std::size_t>(t)]));
}

SectionGroup* ContentSpecWindow::currentGroup() {
  const int g = tab3_->currentIndex();
  return g >= 0 && g < static_cast<int>(groups_.size()) ? &groups_[static_cast<std::size_t>(g)] : nullptr;
}

int ContentSpecWindow::groupIndex(const QString& name) const {
  for (std::size_t i = 0; i < groups_.size(); ++i)
    if (qs(groups_[i].name).compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

void ContentSpecWindow::storeGrid() {
  if (!shown_.isEmpty()) stored_[key(shown_)] = crd_->allRows();
}

// The tabs of the data set follow the current group: its name in their
// captions, its layout in the option buttons and the tabs enabled.
void ContentSpecWindow::updateGroupControls() {
  const SectionGroup* group = currentGroup();
  const QSignalBlocker block(tab1_);
  tab1_->setEnabled(group != nullptr);
  for (QRadioButton* o : opt_) o->setEnabled(group != nullptr);
  but_[3]->setEnabled(group != nullptr);
  if (!group) return;
  for (int t = 0; t < 3; ++t) {
    const auto tab = kTabs[static_cast<std::size_t>(t)];
    tab1_->setTabText(t, QStringLiteral("~") + qs(compliance::groupSectionName(group->name, tab)));
    tab1_->setTabEnabled(t, compliance::layoutHasTab(group->layout, tab));
  }
  for (std::size_t i = 0; i < opt_.size(); ++i) opt_[i]->setChecked(kLayouts[i] == group->layout);
  if (!tab1_->isTabEnabled(tab1_->currentIndex()))
    for (int t = 0; t < 3; ++t)
      if (tab1_->isTabEnabled(t)) {
        tab1_->setCurrentIndex(t);
        break;
      }
}

void ContentSpecWindow::showSection() {
  storeGrid();
  updateGroupControls();
  shown_ = currentSection();
  crd_->setAllRows(gridRows(stored_.value(key(shown_))));
  crd_->setEnabled(!shown_.isEmpty());
}

void ContentSpecWindow::fixedTabChosen(int index) {
  if (index >= 0) {
    const QSignalBlocker block(tab3_);
    tab3_->clearSelection();
  }
  showSection();
}

void ContentSpecWindow::groupTabChosen(int index) {
  if (index >= 0) {
    const QSignalBlocker block(tab2_);
    tab2_->clearSelection();
  }
  showSection();
}

void ContentSpecWindow::dataSetTabChosen(int) { showSection(); }

void ContentSpecWindow::selectFirstSection() {
  shown_.clear();
  {
    const QSignalBlocker block2(tab2_), block3(tab3_), block1(tab1_);
    tab2_->clearSelection();
    tab3_->clearSelection();
    tab1_->setCurrentIndex(0);
    if (tab3_->count() > 0)
      tab3_->setCurrentIndex(0);
    else
      tab2_->setCurrentIndex(0);
  }
  showSection();
}

void ContentSpecWindow::chooseLayout(GroupLayout layout) {
  SectionGroup* group = currentGroup();
  if (!group || group->layout == layout) return;
  group->layout = layout;
  markModified();
  showSection();
}

void ContentSpecWindow::addSectionGroup() {
  const std::optional<QString> answer =
      prompts_.inputBox(this, QStringLiteral("Adding New Section Group"),
                        QStringLiteral("Please enter root name of new section group"), QString());
  if (!answer) return;
  QString name = answer->trimmed();
  if (name.startsWith(QLatin1Char('~'))) name = name.mid(1).trimmed();
  if (name.isEmpty()) return;
  if (!compliance::isValidGroupName(ss(name))) {
    prompts_.inform(this, MessageIcon::Exclamation, QStringLiteral("Adding New Section Group"),
                    QStringLiteral("\"") + name +
                        QStringLiteral("\" cannot name a section group: the name goes before _Parameter, "
                                       "_Definition and _Data in section titles, so it may hold no spaces and none "
                                       "of . : | ~ { } [ ] _ # ; ,"));
    return;
  }
  const int existing = groupIndex(name);
  if (existing >= 0) {
    tab3_->setCurrentIndex(existing);
    return;
  }
  groups_.push_back({ss(name), GroupLayout::ParDefData});
  tab3_->addTab(tabCaption(name));
  markModified();
  tab3_->setCurrentIndex(tab3_->count() - 1);
}

void ContentSpecWindow::deleteSectionGroup() {
  const int index = tab3_->currentIndex();
  if (index < 0) return;
  const QString caption = tab3_->tabText(index);
  if (prompts_.messageBox(
          this, MessageIcon::Question, QStringLiteral("Delete Section?"),
          QStringLiteral("Please confirm delete of section group, \"") + caption + QStringLiteral("\" ?"),
          MessageButtons::YesNo, MessageAnswer::No) != MessageAnswer::Yes)
    return;
  // The group goes with the rows of its three sections.
  const std::string name = groups_[static_cast<std::size_t>(index)].name;
  for (SectionTab tab : kTabs) stored_.remove(key(qs(compliance::groupSectionName(name, tab))));
  shown_.clear();
  groups_.erase(groups_.begin() + index);
  {
    const QSignalBlocker block(tab3_);
    tab3_->removeTab(index);
  }
  markModified();
  if (tab3_->count() > 0)
    tab3_->setCurrentIndex(std::min(index, tab3_->count() - 1));
  else
    tab2_->setCurrentIndex(0);
}

// ---------------------------------------------------------------- the content specification

ContentSpec ContentSpecWindow::currentContentSpec() const {
  ContentSpec contentSpec;
  contentSpec.groups = groups_;
  for (const std::string& section : contentSpec.sectionNames()) {
    const QString name = qs(section);
    const std::vector<GridCells> rows =
        name.compare(shown_, Qt::CaseInsensitive) == 0 ? crd_->allRows() : stored_.value(key(name));
    for (const GridCells& cells : rows) {
      compliance::RowReading reading = compliance::rowOfCells(cells, section);
      if (reading.row) contentSpec.rows.push_back(std::move(*reading.row));
    }
  }
  return contentSpec;
}

QStringList ContentSpecWindow::rowsLeftOut() const {
  QStringList left;
  ContentSpec contentSpec;
  contentSpec.groups = groups_;
  for (const std::string& section : contentSpec.sectionNames()) {
    const QString name = qs(section);
    const std::vector<GridCells> rows =
        name.compare(shown_, Qt::CaseInsensitive) == 0 ? crd_->allRows() : stored_.value(key(name));
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const GridCells& c = rows[r];
      const bool typed = !c[colOf(SpecColumn::Unit)].empty() || !c[colOf(SpecColumn::Value)].empty() ||
                         !c[colOf(SpecColumn::Description)].empty() || !c[colOf(SpecColumn::Association)].empty();
      if (typed && !compliance::rowOfCells(c, section).row) left << QStringLiteral("~%1 row %2").arg(name).arg(r + 1);
    }
  }
  return left;
}

void ContentSpecWindow::showSpecification(const ContentSpec& contentSpec) {
  stored_.clear();
  groups_ = contentSpec.groups;
  for (const ContentSpecRow& row : contentSpec.rows) {
    std::vector<GridCells>& rows = stored_[key(qs(row.section))];
    if (rows.size() < static_cast<std::size_t>(compliance::kGridRows)) rows.push_back(compliance::cellsOfRow(row));
  }
  {
    const QSignalBlocker block(tab3_);
    while (tab3_->count() > 0) tab3_->removeTab(0);
    for (const SectionGroup& g : groups_) tab3_->addTab(tabCaption(qs(g.name)));
  }
  selectFirstSection();
  modified_ = false;
}

void ContentSpecWindow::markModified() { modified_ = true; }

bool ContentSpecWindow::discardChangesAsked() {
  return prompts_.confirm(this, kTitle,
                          QStringLiteral("The content specification has changes that are not saved. Give them up?"));
}

void ContentSpecWindow::openContentSpec() {
  if (modified_ && !discardChangesAsked()) return;
  const QString start = specFile_.isEmpty() ? QFileInfo(startLas_).path() : specFile_;
  const QString chosen = prompts_.fileDialog(this, FileKind::ContentSpec, false, start);
  if (!chosen.isEmpty()) loadContentSpec(chosen);
}

bool ContentSpecWindow::loadContentSpec(const QString& fileName) {
  const ContentSpecReading reading = readSpecFile(fileName);
  if (!reading.ok()) {
    constexpr std::size_t kShown = 20;
    QString text = QStringLiteral("The content specification could not be read:\n\n") + fileName + QStringLiteral("\n");
    for (std::size_t i = 0; i < reading.errors.size() && i < kShown; ++i)
      text += QStringLiteral("\n") + qs(reading.errors[i].text());
    if (reading.errors.size() > kShown)
      text += QStringLiteral("\n... and %1 more").arg(static_cast<qulonglong>(reading.errors.size() - kShown));
    prompts_.inform(this, MessageIcon::Exclamation, kTitle, text);
    return false;
  }
  showSpecification(reading.contentSpec);
  specFile_ = fileName;
  fileLabel_->setText(QStringLiteral("File: ") + fileName);
  return true;
}

// ---------------------------------------------------------------- import and test

void ContentSpecWindow::importFromLas() {
  SectionImportWindow window(prompts_, startLas_, this);
  const bool imported = runImport_ ? runImport_(window) : window.exec() == QDialog::Accepted;
  if (imported) importLines(window.selection());
}

void ContentSpecWindow::importLines(const ImportSelection& selection) {
  if (currentSection().isEmpty()) return;
  int row = crd_->firstFreeRow();
  std::size_t left = 0;
  for (const las::LasLineParts& line : selection.lines) {
    const GridCells cells = compliance::importedRow(line, selection.columns);
    if (compliance::rowIsBlank(cells)) continue;
    if (row >= crd_->rowCount()) {
      ++left;
      continue;
    }
    crd_->setRowCells(row++, cells);
  }
  markModified();
  if (left > 0)
    prompts_.inform(this, MessageIcon::Exclamation, kTitle,
                    QStringLiteral("%1 lines were not imported: a section holds %2 rows at most.")
                        .arg(static_cast<qulonglong>(left))
                        .arg(compliance::kGridRows));
}

void ContentSpecWindow::testLasFile() {
  const QString start = lastTested_.isEmpty() ? startLas_ : lastTested_;
  const QString chosen = prompts_.fileDialog(this, FileKind::LasFile, false, start);
  if (!chosen.isEmpty()) testLasFile(chosen);
}

void ContentSpecWindow::testLasFile(const QString& lasFileName) {
  const ContentSpec contentSpec = currentContentSpec();
  if (contentSpec.rows.empty()) {
    prompts_.inform(this, MessageIcon::Information, kTitle,
                    QStringLiteral("The content specification has no rows yet: enter a mnemonic in a row of a "
                                   "section, or import lines from a LAS file, and test again."));
    return;
  }
  lastTested_ = lasFileName;
  const ComplianceResult result = content::testLasFile(contentSpec, lasFileName);
  if (!view_) view_ = new ComplianceView(this);
  view_->showResult(result);
  view_->show();
  view_->raise();
}

// ---------------------------------------------------------------- closing

void ContentSpecWindow::okCommand() {
  const QStringList left = rowsLeftOut();
  if (!left.isEmpty() && !prompts_.confirm(this, kTitle,
                                           QStringLiteral("Rows without a mnemonic are left out of the file:\n\n") +
                                               left.mid(0, 20).join(QStringLiteral(", ")) +
                                               (left.size() > 20 ? QStringLiteral(", ...") : QString()) +
                                               QStringLiteral("\n\nSave the other rows?")))
    return;
  QString start = specFile_;
  if (start.isEmpty())
    start = (startLas_.isEmpty() ? QString() : QFileInfo(startLas_).path() + QStringLiteral("/")) +
            QStringLiteral("content.def");
  const QString chosen = prompts_.fileDialog(this, FileKind::ContentSpec, true, start);
  if (chosen.isEmpty()) return;
  const QString error = saveSpecFile(chosen, currentContentSpec());
  if (!error.isEmpty()) {
    prompts_.inform(
        this, MessageIcon::Critical, kTitle,
        QStringLiteral("The content specification could not be saved:\n\n") + chosen + QStringLiteral("\n\n") + error);
    return;
  }
  specFile_ = chosen;
  fileLabel_->setText(QStringLiteral("File: ") + chosen);
  modified_ = false;
  accept();
}

void ContentSpecWindow::reject() {
  if (modified_ && !discardChangesAsked()) return;
  QDialog::reject();
}

}  // namespace korrivan::content
