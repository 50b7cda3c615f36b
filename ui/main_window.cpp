#include "ui/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <utility>

#include "content/content_spec_window.h"
#include "ui/conversion.h"
#include "ui/documents.h"
#include "ui/help_window.h"
#include "ui/icons.h"
#include "ui/print_report.h"
#include "ui/qt_run_hooks.h"
#include "ui/qt_text.h"
#include "ui/results_view.h"
#include "ui/splash.h"

namespace korrivan::ui {

namespace {

constexpr int kStructureTab = 0;
constexpr int kContentTab = 1;
constexpr int kConversionTab = 2;

const QString kCheckingCaption = QStringLiteral("Checking in Progress...");

bool defaultPrinterExists() {
  try {
    return !QPrinterInfo::defaultPrinter().isNull();
  } catch (...) {
    return false;
  }
}

bool isCertifiedVersion(float v) { return v == 1.2f || v == 2.0f || v == 3.0f; }

// Restores the window's commands when a run ends, on every path.
class RunGuard {
public:
  explicit RunGuard(std::function<void()> onExit) : onExit_(std::move(onExit)) {}
  ~RunGuard() { onExit_(); }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

private:
  std::function<void()> onExit_;
};

QLabel* statusPanel(const QString& name, const QString& caption, const QString& tip) {
  auto* panel = new QLabel(caption);
  panel->setObjectName(name);
  panel->setToolTip(tip);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(Qt::AlignCenter);
  panel->setMinimumWidth(60);
  return panel;
}

}  // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      fileDialog_(showFileDialog),
      openDocument_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      printerAvailable_(defaultPrinterExists) {
  setObjectName(QStringLiteral("certify"));
  setAcceptDrops(true);
  buildStatusBar();
  hooks_ = new QtRunHooks(this, progLab_);
  hooks_->setParent(this);
  buildMenus();
  buildToolbar();

  auto* el0 = new QWidget;
  el0->setObjectName(QStringLiteral("el0"));
  errAt_ = new QLabel(QStringLiteral("Korrivan"));
  errAt_->setObjectName(QStringLiteral("errAt"));
  errAt_->setAlignment(Qt::AlignCenter);
  errAt_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  errAt_->setAutoFillBackground(true);
  errAt_->setMinimumHeight(30);
  errAt_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  errAt_->installEventFilter(this);
  tabs_ = new QTabWidget;
  tabs_->setObjectName(QStringLiteral("tabb"));
  tabs_->addTab(buildStructureTab(), QStringLiteral("Structure"));
  tabs_->addTab(buildContentTab(), QStringLiteral("Content (not available)"));
  tabs_->addTab(buildConversionTab(), QStringLiteral("Conversions"));
  auto* layout = new QVBoxLayout(el0);
  layout->setContentsMargins(6, 4, 6, 2);
  layout->addWidget(errAt_);
  layout->addWidget(tabs_, 1);
  layout->addStretch(0);  // keeps the status label at the top while the tabs are hidden
  setCentralWidget(el0);

  loadWindow();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------- building

void MainWindow::buildMenus() {
  auto add = [this](QMenu* menu, const QString& name, const QString& caption, auto slot) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };

  fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
  fileMenu_->setObjectName(QStringLiteral("fileM"));
  fileM_[0] = add(fileMenu_, QStringLiteral("file_M0"), QStringLiteral("&Open LAS for Certification"),
                  [this] { fileCommand(0); });
  fileM_[1] =
      add(fileMenu_, QStringLiteral("file_M1"), QStringLiteral("&Repeat Certification"), [this] { fileCommand(1); });
  fileMenu_->addSeparator();
  fileM_[3] = add(fileMenu_, QStringLiteral("file_M3"), QStringLiteral("&Edit LAS"), [this] { fileCommand(3); });
  fileMenu_->addSeparator();
  fileM_[5] = add(fileMenu_, QStringLiteral("file_M5"), QStringLiteral("&Print Certification Result"),
                  [this] { fileCommand(5); });
  fileMenu_->addSeparator();
  QMenu* documents = fileMenu_->addMenu(QStringLiteral("&View LAS Standards Document"));
  documents->setObjectName(QStringLiteral("file_m1"));
  fileM_[7] = documents->menuAction();
  fileM_[7]->setObjectName(QStringLiteral("file_M7"));
  const std::array<QString, 4> documentCaptions{QStringLiteral("For Just Certified LAS Version"),
                                                QStringLiteral("Ver &3.0 (pdf)"), QStringLiteral("Ver &2.0"),
                                                QStringLiteral("Ver &1.2")};
  for (int i = 0; i < 4; ++i)
    fileM1_[static_cast<std::size_t>(i)] =
        add(documents, QStringLiteral("file_m1_%1").arg(i), documentCaptions[static_cast<std::size_t>(i)],
            [this, i] { openStandardsDocument(i); });
  fileM1_[0]->setVisible(false);
  fileMenu_->addSeparator();
  fileM_[9] = add(fileMenu_, QStringLiteral("file_M9"), QStringLiteral("E&xit"), [this] { fileCommand(9); });
  connect(fileMenu_, &QMenu::aboutToShow, this, &MainWindow::updateJustCertifiedEntry);

  editMenu_ = menuBar()->addMenu(QStringLiteral("&Edit"));
  editMenu_->setObjectName(QStringLiteral("editM"));
  add(editMenu_, QStringLiteral("edit_M0"), QStringLiteral("&Copy"), [this] { copyGrid(); });
  editMenu_->menuAction()->setVisible(false);

  optMenu_ = menuBar()->addMenu(QStringLiteral("&Options"));
  optMenu_->setObjectName(QStringLiteral("OptM"));
  const std::array<QString, 4> optionCaptions{QStringLiteral("Do &WRAP Checks (Ver 1.2/2 only)"),
                                              QStringLiteral("Show D&etails"), QStringLiteral("&Write Log File"),
                                              QStringLiteral("LAS &Error Repair...")};
  for (int i = 0; i < 3; ++i) {
    QAction* a = optMenu_->addAction(optionCaptions[static_cast<std::size_t>(i)]);
    a->setObjectName(QStringLiteral("opt_M%1").arg(i));
    a->setCheckable(true);
    optM_[static_cast<std::size_t>(i)] = a;
  }
  connect(optM_[0], &QAction::triggered, this, &MainWindow::readOptionMenus);
  connect(optM_[2], &QAction::triggered, this, &MainWindow::readOptionMenus);
  optM_[1]->setVisible(false);
  QMenu* repair = optMenu_->addMenu(optionCaptions[3]);
  repair->setObjectName(QStringLiteral("opt_M2"));
  optM_[3] = repair->menuAction();
  optM_[3]->setObjectName(QStringLiteral("opt_M3"));
  optM_[3]->setVisible(false);
  auto* repairGroup = new QActionGroup(this);
  const std::array<QString, 3> repairCaptions{QStringLiteral("No Repair"), QStringLiteral("Attempt w/Confirmation"),
                                              QStringLiteral("Repairs don't overwrite")};
  for (int i = 0; i < 3; ++i) {
    QAction* a = repair->addAction(repairCaptions[static_cast<std::size_t>(i)]);
    a->setObjectName(QStringLiteral("opt_M2_%1").arg(i));
    a->setCheckable(true);
    repairGroup->addAction(a);
    connect(a, &QAction::triggered, this, &MainWindow::readOptionMenus);
    optM2_[static_cast<std::size_t>(i)] = a;
  }
  // The content-specification grid, also reached by the hidden toolbar button 2.
  optMenu_->addSeparator();
  add(optMenu_, QStringLiteral("opt_M4"), QStringLiteral("&Content Specification..."),
      [this] { showContentSpecification(); });

  helpMenu_ = menuBar()->addMenu(QStringLiteral("&Help"));
  helpMenu_->setObjectName(QStringLiteral("helpM"));
  QAction* contents =
      add(helpMenu_, QStringLiteral("help_M0"), QStringLiteral("&Contents"), [this] { helpCommand(0); });
  contents->setShortcut(QKeySequence::HelpContents);
  helpMenu_->addSeparator();
  add(helpMenu_, QStringLiteral("help_M2"), QStringLiteral("&Technical Support"), [this] { helpCommand(2); });
  add(helpMenu_, QStringLiteral("help_M3"), QStringLiteral("LAS on the &WWW"), [this] { helpCommand(3); });
  helpMenu_->addSeparator();
  add(helpMenu_, QStringLiteral("help_M5"), QStringLiteral("&About Korrivan"), [this] { helpCommand(5); });

  // pop1 is never in the menu bar: the grid and the status label show it.
  pop1_ = new QMenu(this);
  pop1_->setObjectName(QStringLiteral("pop1"));
  add(pop1_, QStringLiteral("pop_1_0"), QString(), [this] { fileCommand(1); });
  add(pop1_, QStringLiteral("pop_1_1"), QString(), [this] { fileCommand(3); });
  pop1_->addSeparator();
  add(pop1_, QStringLiteral("pop_1_3"), QStringLiteral("Expand All"), [this] { results_->expandGroups(true); });
  add(pop1_, QStringLiteral("pop_1_4"), QStringLiteral("Colllapse All"), [this] { results_->expandGroups(false); });
}

void MainWindow::buildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Commands"));
  toolbar_->setObjectName(QStringLiteral("tButPanel"));
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(28, 28));
  struct Button {
    int index;
    const char* icon;
    const char* tip;
    std::function<void()> action;
  };
  const std::array<Button, 6> buttons{{
      {0, "open", "Open LAS for Certification", [this] { fileCommand(0); }},
      {1, "redo", "Redo Certification", [this] { fileCommand(1); }},
      {2, "content_grid", "Edit LAS", [this] { showContentSpecification(); }},
      {3, "edit", "Edit LAS", [this] { fileCommand(3); }},
      {5, "print", "Print result", [this] { fileCommand(5); }},
      {6, "help", "Help Contents", [this] { helpCommand(0); }},
  }};
  for (const Button& b : buttons) {
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("tBut%1").arg(b.index));
    button->setIcon(svgIcon(QString::fromUtf8(b.icon)));
    button->setToolTip(QString::fromUtf8(b.tip));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QToolButton::clicked, this, b.action);
    QAction* placed = toolbar_->addWidget(button);
    tBut_[static_cast<std::size_t>(b.index)] = button;
    if (b.index == 2) placed->setVisible(false);
    if (b.index == 3 || b.index == 5) toolbar_->addSeparator();
  }
  tBut_[3]->installEventFilter(this);
}

QWidget* MainWindow::buildStructureTab() {
  results_ = new ResultsView;
  connect(results_, &ResultsView::popupRequested, this, [this](const QPoint& at) { pop1_->exec(at); });
  connect(results_, &ResultsView::copyRequested, this, &MainWindow::copyGrid);
  connect(results_, &ResultsView::helpRequested, this, &MainWindow::showHelp);
  return results_;
}

QWidget* MainWindow::buildContentTab() {
  auto* page = new QWidget;
  auto* defFile = new QListWidget;
  defFile->setObjectName(QStringLiteral("defFile"));
  defFile->setToolTip(QStringLiteral("*.def"));
  auto* orgLst = new QComboBox;
  orgLst->setObjectName(QStringLiteral("orgLst"));
  orgLst->addItem(QStringLiteral("*Select the Organization to test compliance"));
  auto* crd = new QTableWidget(0, 2);
  crd->setObjectName(QStringLiteral("crd"));
  auto* test = new QPushButton(QStringLiteral("Test Now"));
  test->setObjectName(QStringLiteral("compTestBut"));
  connect(test, &QPushButton::clicked, this, &MainWindow::testNow);
  auto* layout = new QGridLayout(page);
  layout->addWidget(defFile, 0, 0, 3, 1);
  layout->addWidget(orgLst, 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Compliance Result")), 1, 1);
  layout->addWidget(crd, 2, 1);
  layout->addWidget(test, 3, 1, Qt::AlignRight);
  return page;
}

QWidget* MainWindow::buildConversionTab() {
  auto* page = new QWidget;
  auto* titles = new QGroupBox(QStringLiteral("Log Data Section Titles"));
  auto* titlesLayout = new QVBoxLayout(titles);
  const std::array<QString, 2> titleOptions{QStringLiteral("~Parameter ~Curve ~ASCII"),
                                            QStringLiteral("~Log_Parameter ~Log_Definition ~Log_Data")};
  for (int i = 0; i < 2; ++i) {
    auto* option = new QRadioButton(titleOptions[static_cast<std::size_t>(i)]);
    option->setObjectName(QStringLiteral("logOpt%1").arg(i));
    option->setChecked(i == 0);
    titlesLayout->addWidget(option);
  }
  auto* delimiters = new QGroupBox(QStringLiteral("Delimiter for Version 3.0"));
  auto* delimiterLayout = new QVBoxLayout(delimiters);
  const std::array<QString, 3> delimiterOptions{QStringLiteral("Space"), QStringLiteral("Tab"),
                                                QStringLiteral("Comma")};
  for (int i = 0; i < 3; ++i) {
    auto* option = new QRadioButton(delimiterOptions[static_cast<std::size_t>(i)]);
    option->setObjectName(QStringLiteral("dlmOpt%1").arg(i));
    option->setChecked(i == 0);
    delimiterLayout->addWidget(option);
  }
  auto* note =
      new QLabel(QStringLiteral("Set the options for Version 2 to Version 3.0 conversion, then click Convert!"));
  note->setWordWrap(true);
  auto* convertButton = new QPushButton(QStringLiteral("Convert!"));
  convertButton->setObjectName(QStringLiteral("cnvBut"));
  connect(convertButton, &QPushButton::clicked, this, &MainWindow::convert);
  auto* layout = new QGridLayout(page);
  layout->addWidget(titles, 0, 0);
  layout->addWidget(delimiters, 0, 1);
  layout->addWidget(note, 1, 0, 1, 2);
  layout->addWidget(convertButton, 2, 1, Qt::AlignRight);
  layout->setRowStretch(3, 1);
  layout->setColumnStretch(2, 1);
  return page;
}

void MainWindow::buildStatusBar() {
  progLab_ = new QProgressBar;
  progLab_->setObjectName(QStringLiteral("progLab"));
  progLab_->setRange(0, 100);
  progLab_->setValue(0);
  progLab_->setTextVisible(true);
  progLab_->setFormat(QStringLiteral("Ready"));
  progLab_->setAlignment(Qt::AlignCenter);
  stat_[0] =
      statusPanel(QStringLiteral("stat0"), QStringLiteral("Do WRAP"), QStringLiteral("Show Details of each check"));
  stat_[1] = statusPanel(QStringLiteral("stat1"), QStringLiteral("Log"), QStringLiteral("Write Log File"));
  stat_[2] = statusPanel(QStringLiteral("stat2"), QStringLiteral("Repair"), QStringLiteral("Attempt Repair or not"));
  statusBar()->addWidget(progLab_, 1);
  for (QLabel* panel : stat_) statusBar()->addPermanentWidget(panel);
  statusBar()->setSizeGripEnabled(true);
}

// Loading: fonts, tabs, position, captions, check marks and option status;
// a leftover work copy of the current file is removed.
void MainWindow::loadWindow() {
  applyFormFonts(this, screenWidth());
  for (QLabel* panel : stat_) {
    QFont f = panel->font();
    f.setPointSize(7);
    panel->setFont(f);
  }
  QFont panelFont = centralWidget()->font();
  panelFont.setPointSize(10);
  centralWidget()->setFont(panelFont);
  QFont detailFont = results_->detailBox()->font();
  detailFont.setFamily(QStringLiteral("Courier New"));
  results_->detailBox()->setFont(detailFont);
  QFont progressFont = progLab_->font();
  progressFont.setPointSize(9);
  progLab_->setFont(progressFont);
  QFont statusFont = errAt_->font();
  statusFont.setBold(true);
  errAt_->setFont(statusFont);

  tabs_->setTabEnabled(kContentTab, false);
  tabs_->setTabEnabled(kConversionTab, false);
  tabs_->setCurrentIndex(kStructureTab);

  QSettings store(QStringLiteral("Korrivan"), QStringLiteral("Korrivan"));
  const QSize size = store.value(QStringLiteral("Window/size")).toSize();
  resize(size.isValid() ? size.expandedTo(minimumSizeHint()) : QSize(920, 720));
  centerForm(this);
  setWindowTitle(QStringLiteral("Korrivan"));
  setWindowIcon(QIcon::fromTheme(QStringLiteral("korrivan")));

  pop1_->actions().at(0)->setText(fileM_[1]->text());
  pop1_->actions().at(1)->setText(fileM_[3]->text());

  optM_[0]->setChecked(session_.doWrap);
  optM_[1]->setChecked(true);
  optM_[2]->setChecked(session_.writeLog);
  optM2_[0]->setChecked(true);
  showOptionStatus(stat_[0], stat_[1], session_.doWrap, session_.writeLog);

  // A remembered file whose folder is gone is forgotten (path not found).
  if (!session_.lasFileName.empty() && !QFileInfo(QFileInfo(qs(session_.lasFileName)).path()).isDir())
    session_.lasFileName.clear();
  removeWorkCopy(session_.lasFileName);
  fileM_[1]->setEnabled(false);
  fileM_[3]->setEnabled(false);
  fileM_[5]->setEnabled(false);
  tBut_[1]->setEnabled(false);
  tBut_[3]->setEnabled(false);
  tBut_[5]->setEnabled(false);
}

// ---------------------------------------------------------------- commands

void MainWindow::fileCommand(int item) {
  if (running_) return;
  switch (item) {
    case 0: openLas(); break;
    case 1: repeatCertification(); break;
    case 3: openWithShell(QUrl::fromLocalFile(qs(session_.lasFileName)), qs(session_.lasFileName)); break;
    case 5: printCertification(); break;
    case 9: close(); break;
    default: break;
  }
}

void MainWindow::openLas() {
  removeWorkCopy(session_.lasFileName);
  const QString chosen = fileDialog_(this, false, qs(session_.lasFileName));
  if (chosen.isEmpty()) return;
  certifyChosenFile(chosen);
}

void MainWindow::certifyChosenFile(const QString& path) {
  if (running_ || path.isEmpty()) return;
  session_.lasFileName = ss(path);
  session_.logFileName = withExtension(session_.lasFileName, "log");
  // The old report goes only when this run is to write a new one: a .log
  // file beside the LAS file may be the user's own.
  if (session_.writeLog && lasFileExists(session_.logFileName)) QFile::remove(qs(session_.logFileName));
  if (!session_.batch) saveLasFileSetting(session_.lasFileName);
  certifyInteractive();
}

// A file deleted since it was opened is certified too: its group 1 shows
// that it is gone, and Repeat and Edit end up disabled.
void MainWindow::repeatCertification() {
  if (session_.lasFileName.empty()) return;
  certifyInteractive();
}

void MainWindow::helpCommand(int item) {
  switch (item) {
    case 0: showHelp(0); break;
    case 2: showHelp(1039); break;
    case 3: openWithShell(QUrl(QString::fromUtf8(kLasWebPage)), QString::fromUtf8(kLasWebPage)); break;
    case 5: showAboutBox(this); break;
    default: break;
  }
}

QStringList MainWindow::documentFolderList() const { return documentFolders(qs(session_.programFolder)); }

void MainWindow::showHelp(int context) {
  const QString path = documentPath(QString::fromUtf8(kHelpFileName), documentFolderList());
  if (!QFileInfo(path).isFile()) {
    hooks_->inform(MessageIcon::Information, QStringLiteral("File Not Found"),
                   QStringLiteral("The help file, \n\n") + path +
                       QStringLiteral("\n\n, could not be found. Re-install Korrivan to restore."));
    return;
  }
  if (!help_) help_ = new HelpWindow(this);
  help_->showTopic(path, context);
}

void MainWindow::openStandardsDocument(int item) {
  const QString path = documentPath(standardsDocumentName(item, session_.detectedVersion), documentFolderList());
  if (QFileInfo(path).isFile()) {
    openWithShell(QUrl::fromLocalFile(path), path);
    return;
  }
  if (session_.batch) return;
  hooks_->inform(MessageIcon::Information, QStringLiteral("File Not Found"),
                 QStringLiteral("The LAS standards document you requested, \n\n") + path +
                     QStringLiteral("\n\n, could not be found. Re-install Korrivan to restore."));
}

void MainWindow::openWithShell(const QUrl& url, const QString& shown) {
  if (shown.isEmpty()) return;
  if (!openDocument_(url))
    hooks_->inform(MessageIcon::Exclamation, QStringLiteral("Korrivan"),
                   QStringLiteral("No program could be found to open\n\n") + shown);
}

void MainWindow::updateJustCertifiedEntry() {
  const float v = session_.detectedVersion;
  fileM1_[0]->setVisible(isCertifiedVersion(v));
  if (isCertifiedVersion(v))
    fileM1_[0]->setText(QStringLiteral("Just Certified Version: ") + QStringLiteral(" (Ver ") +
                        QString::number(static_cast<double>(v), 'f', 1) + QStringLiteral(")"));
}

void MainWindow::readOptionMenus() {
  session_.writeLog = optM_[2]->isChecked();
  session_.doWrap = optM_[0]->isChecked();
  showOptionStatus(stat_[0], stat_[1], session_.doWrap, session_.writeLog);
  saveSettings(session_);
}

void MainWindow::copyGrid() { hooks_->setClipboardText(ss(results_->text())); }

void MainWindow::convert() {
  if (running_) return;
  const QString output = fileDialog_(this, true, proposedConversionName(qs(session_.lasFileName)));
  if (output.isEmpty()) return;
  // The choices of the Conversions tab.
  auto checked = [this](const QString& name) {
    auto* option = findChild<QRadioButton*>(name);
    return option && option->isChecked();
  };
  ConversionChoice choice;
  choice.titles = checked(QStringLiteral("logOpt1")) ? run::TitleStyle::Log : run::TitleStyle::Short;
  choice.delimiter = checked(QStringLiteral("dlmOpt1"))   ? run::DataDelimiter::Tab
                     : checked(QStringLiteral("dlmOpt2")) ? run::DataDelimiter::Comma
                                                          : run::DataDelimiter::Space;
  choice.programFolder = session_.programFolder;
  running_ = true;
  RunGuard restore([this] {
    progLab_->setFormat(QStringLiteral("Ready"));
    progLab_->setValue(0);
    running_ = false;
  });
  runConversion(this, *hooks_, qs(session_.lasFileName), output, choice);
  if (std::exchange(closeRequested_, false)) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::showContentSpecification() {
  if (running_) return;
  content::ContentSpecWindow window(qs(session_.lasFileName), this);
  window.exec();
}

void MainWindow::testNow() {
  if (session_.batch) return;
  hooks_->inform(MessageIcon::Exclamation, QStringLiteral("Sorry..."),
                 QStringLiteral("Test is not available at this time"));
}

void MainWindow::printCertification() {
  if (!last_ || !printerAvailable_()) return;
  BusyPointer busy(*hooks_);
  try {
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printReport(printer, qs(reportText(*last_)), results_->grid()->font());
  } catch (const std::exception&) {
  }
}

// ---------------------------------------------------------------- the run

void MainWindow::setStatusLabel(const QString& caption, const QColor& back) {
  errAt_->setText(caption);
  QPalette palette = errAt_->palette();
  palette.setColor(QPalette::Window, back);
  errAt_->setPalette(palette);
  session_.statusText = ss(caption);
}

void MainWindow::setCommandsEnabled(bool enabled) {
  toolbar_->setEnabled(enabled);
  fileMenu_->menuAction()->setEnabled(enabled);
  optMenu_->menuAction()->setEnabled(enabled);
  helpMenu_->menuAction()->setEnabled(enabled);
}

void MainWindow::certifyInteractive() {
  if (running_) return;
  running_ = true;
  emit certificationStarted();
  RunGuard restore([this] {
    progLab_->setFormat(QStringLiteral("Ready"));
    progLab_->setValue(0);
    updateFileCommands();
    setCommandsEnabled(true);
    if (tBut_[1]->isVisible() && tBut_[1]->isEnabled()) tBut_[1]->setFocus();
    running_ = false;
  });

  hooks_->clearCancel();
  setWindowTitle(QStringLiteral("Korrivan 123 (") + qs(session_.lasFileName) + QStringLiteral(")"));
  tabs_->hide();
  tabs_->setTabEnabled(kContentTab, false);
  tabs_->setTabEnabled(kConversionTab, false);
  setStatusLabel(kCheckingCaption, toolbar_->palette().color(QPalette::Window));
  results_->clearResults();
  setCommandsEnabled(false);
  centralWidget()->repaint();
  hooks_->letEventsRun();

  std::optional<Certification> done;
  try {
    done = certifyForWindow(session_, ss(kCheckingCaption), *hooks_);
  } catch (const std::exception&) {
    done.reset();
  }
  if (done) session_.detectedVersion = done->detectedVersion;
  const CertifyEnd end = done ? done->end : CertifyEnd::Stopped;
  switch (end) {
    case CertifyEnd::Completed:
    case CertifyEnd::PreCheckFailed:
      showResultsGrid(*done);
      if (session_.writeLog) {
        session_.logFileName = withExtension(session_.lasFileName, "log");
        writeReportFile(session_.logFileName, reportText(*done), *hooks_);
      } else {
        session_.logFileName.clear();
      }
      break;
    case CertifyEnd::Cancelled:
      tabs_->hide();
      setStatusLabel(QStringLiteral("Korrivan"), toolbar_->palette().color(QPalette::Window));
      break;
    default: showRunError(); break;
  }
  if (done) last_ = std::move(done);
  if (std::exchange(closeRequested_, false) && end == CertifyEnd::Cancelled)
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  emit certificationFinished();
}

void MainWindow::showRunError() {
  setStatusLabel(QStringLiteral("Korrivan"), toolbar_->palette().color(QPalette::Window));
  hooks_->inform(MessageIcon::Critical, QStringLiteral("Error!"),
                 QStringLiteral("Error occured while processing the LAS file. No certification possible"));
}

// The Structure page shows the results of every version; Conversions (to
// version 3.0) opens for the other versions.
void MainWindow::showResultsGrid(const Certification& certification) {
  if (certification.end == CertifyEnd::Completed)
    tabs_->setTabEnabled(kConversionTab, certification.version != LasVersion::V3_0);
  tabs_->setTabEnabled(kStructureTab, true);
  tabs_->setCurrentIndex(kStructureTab);
  tabs_->show();
  const Verdict verdict = verdictOf(certification);
  if (!verdict.passed && !session_.batch) {
    QApplication::beep();
    QApplication::beep();
  }
  setStatusLabel(verdict.caption, verdict.back);
  results_->showResults(certification, verdict);
}

void MainWindow::updateFileCommands() {
  const bool exists = lasFileExists(session_.lasFileName);
  for (std::size_t i : {1u, 3u}) {
    fileM_[i]->setEnabled(exists);
    tBut_[i]->setEnabled(exists);
  }
  bool printer = false;
  try {
    printer = printerAvailable_();
  } catch (...) {
    printer = false;
  }
  fileM_[5]->setEnabled(printer);
  tBut_[5]->setEnabled(printer);
  tBut_[6]->setEnabled(true);
}

// ---------------------------------------------------------------- events

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    if (watched == errAt_) {
      pop1_->exec(at);
      return true;
    }
    if (watched == tBut_[3] && session_.writeLog && !running_) {
      openWithShell(QUrl::fromLocalFile(qs(session_.logFileName)), qs(session_.logFileName));
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run is asked to stop first (the cancel question follows); the
    // window closes when the run has been cancelled.
    closeRequested_ = true;
    hooks_->requestCancel();
    event->ignore();
    return;
  }
  try {
    removeWorkCopy(session_.lasFileName);
  } catch (...) {
  }
  saveSettings(session_);
  if (!session_.batch) {
    QSettings store(QStringLiteral("Korrivan"), QStringLiteral("Korrivan"));
    store.setValue(QStringLiteral("Window/size"), size());
  }
  if (help_) help_->close();
  event->accept();
}

namespace {
QString droppedLocalFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return {};
  const QUrl url = mime->urls().constFirst();
  if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile()) return {};
  return url.toLocalFile();
}
}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && !droppedLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedLocalFile(event->mimeData());
  if (running_ || path.isEmpty()) return;
  event->acceptProposedAction();
  certifyChosenFile(path);
}

// ---------------------------------------------------------------- entry

namespace {
// Without a platform chosen and without a display, Qt would abort.
bool displayAvailable() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
}  // namespace

int runWindow(Session& session, int& argc, char** argv, const std::string& fileToCertify) {
  if (!displayAvailable()) {
    std::fputs("korrivan: no display to open the main window on; usage: korrivan FILE.las REPORT.log [/W]\n", stderr);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Korrivan"));
  QApplication::setApplicationName(QStringLiteral("Korrivan"));
  std::unique_ptr<MainWindow> window;
  try {
    window = std::make_unique<MainWindow>(session);
  } catch (const std::exception& e) {
    const ErrorInfo error = errorInfoOf(e);
    if (!session.batch)
      QMessageBox::critical(nullptr, QStringLiteral("Error Initializing Certify"),
                            QStringLiteral("Last Resort Error Trap. The error was ") + qs(error.text) +
                                QStringLiteral(" , number ") + QString::number(error.number));
    return 1;
  }
  window->show();
  // Opened with a file (from a file manager): certified as File > Open would.
  if (!fileToCertify.empty())
    QTimer::singleShot(0, window.get(), [&window, &fileToCertify] { window->certifyChosenFile(qs(fileToCertify)); });
  return app.exec();
}

}  // namespace korrivan::ui
