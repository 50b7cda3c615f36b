// The main window driven as a person would: files opened through a scripted
// file dialog, message boxes answered from a script, ESC during a run, the
// grid compared with the check table of the same file certified in batch.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <map>

#include "bench/las_generator.h"
#include "support/las_fixture.h"
#include "ui/qt_print.h"
#include "ui/qt_run_hooks.h"
#include "ui/results_view.h"

namespace fs = std::filesystem;
using namespace korrivan;
using ui::MessageAnswer;

namespace {

struct Box {
  QString title, text;
};

struct Row {
  QString text, key;
  QColor colour;
  int level = 0;
};

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    QSettings(QStringLiteral("Korrivan"), QStringLiteral("Korrivan")).clear();
    session.programFolder = scratch.path().string();
    window = std::make_unique<ui::MainWindow>(session);
    window->hooks().setMessageBoxFn([this](auto, const QString& title, const QString& text, auto, MessageAnswer def) {
      boxes.push_back({title, text});
      auto scripted = answers.find(title);
      return scripted == answers.end() ? def : scripted->second;
    });
    window->setFileDialog([this](QWidget*, bool save, const QString& start) {
      dialogs.push_back({save ? QStringLiteral("save") : QStringLiteral("open"), start});
      return dialogAnswer;
    });
    window->setDocumentOpener([this](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
    window->setPrinterCheck([this] { return printerSetUp; });
    window->show();
  }

  // A golden case copied into the scratch folder (a run may write beside it).
  QString copyCase(const std::string& relative, const std::string& as = {}) {
    const fs::path from = fs::path(KORRIVAN_CASES) / relative;
    const fs::path to = scratch.path() / (as.empty() ? from.filename() : fs::path(as));
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return QString::fromStdString(to.string());
  }

  void openThroughDialog(const QString& path) {
    dialogAnswer = path;
    window->fileCommand(0);
  }

  std::vector<Row> gridRows() const {
    std::vector<Row> rows;
    for (QTreeWidgetItemIterator it(window->results()->grid()); *it; ++it) {
      int level = 1;
      for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) ++level;
      rows.push_back({(*it)->text(0), (*it)->text(1), (*it)->foreground(0).color(), level});
    }
    return rows;
  }

  QTreeWidgetItem* itemWithKey(const QString& key) const {
    for (QTreeWidgetItemIterator it(window->results()->grid()); *it; ++it)
      if ((*it)->text(1) == key) return *it;
    return nullptr;
  }

  QString statusCaption() const { return window->findChild<QLabel*>(QStringLiteral("errAt"))->text(); }
  QColor statusBack() const {
    return window->findChild<QLabel*>(QStringLiteral("errAt"))->palette().color(QPalette::Window);
  }
  bool enabled(const char* name) const {
    if (auto* a = window->findChild<QAction*>(QString::fromUtf8(name))) return a->isEnabled();
    return window->findChild<QWidget*>(QString::fromUtf8(name))->isEnabled();
  }
  QTabWidget* tabs() const { return window->findChild<QTabWidget*>(QStringLiteral("tabb")); }
  QProgressBar* progress() const { return window->findChild<QProgressBar*>(QStringLiteral("progLab")); }
  std::vector<QString> boxTitles() const {
    std::vector<QString> titles;
    for (const Box& b : boxes) titles.push_back(b.title);
    return titles;
  }

  test::ScratchDir scratch;
  certify::Session session;
  std::unique_ptr<ui::MainWindow> window;
  std::vector<Box> boxes;
  std::map<QString, MessageAnswer> answers;
  std::vector<std::pair<QString, QString>> dialogs;
  QString dialogAnswer;
  std::vector<QUrl> opened;
  bool printerSetUp = false;
};

// The grid a certification must show, from the check table of the same file
// certified in batch: the title, then groups and their named checks until
// the group of the first failure (the 1.2/2.0 country check excepted).
std::vector<Row> expectedRows(const QString& lasFile) {
  certify::SilentHooks silent;
  run::CertifyOptions options;
  options.mode = run::CertifyMode::Interactive;
  const run::Certification c = run::certifyFile(lasFile.toStdString(), options, silent);
  const certify::CheckTable table = c.table();
  const bool v3 = c.detectedVersion == 3.0f;
  std::vector<Row> rows{
      {QStringLiteral("Certification Result for ") + QFileInfo(lasFile).fileName(), {}, Qt::black, 1}};
  for (int g = 1; g <= table.lastGroup(); ++g) {
    rows.push_back({QStringLiteral("%1: ").arg(g, 2, 10, QLatin1Char('0')) + QString::fromStdString(table.title(g)),
                    {},
                    Qt::black,
                    2});
    bool stop = false;
    for (int r = 1; r <= 15; ++r) {
      if (table.checkName(g, r).empty()) continue;
      const std::string& cell = table.outcome(g, r);
      const QColor colour = cell.empty() ? QColor(0, 128, 0) : cell == " " ? QColor(Qt::black) : QColor(255, 0, 0);
      rows.push_back({QString(QChar(96 + r)) + QStringLiteral(". ") + QString::fromStdString(table.checkName(g, r)),
                      QStringLiteral("%1^%2").arg(g).arg(r), colour, 3});
      stop = stop || (!cell.empty() && (v3 || g != 5 || r != 2));
    }
    if (stop) break;
  }
  return rows;
}

void expectSameRows(const std::vector<Row>& shown, const std::vector<Row>& expected) {
  ASSERT_EQ(shown.size(), expected.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(expected[i].text.toStdString());
    EXPECT_EQ(shown[i].text, expected[i].text);
    EXPECT_EQ(shown[i].key, expected[i].key);
    EXPECT_EQ(shown[i].level, expected[i].level);
    if (expected[i].level == 3) {
      EXPECT_EQ(shown[i].colour, expected[i].colour);
    }
  }
}

}  // namespace

TEST_F(WindowTest, PassingVersion3RunShowsEveryGroupAndWritesTheLog) {
  window->findChild<QAction*>(QStringLiteral("opt_M2"))->trigger();  // Write Log File on
  const QString las = copyCase("v30/pass_standard.las");
  openThroughDialog(las);

  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].first, QStringLiteral("open"));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Korrivan 123 (") + las + QStringLiteral(")"));
  const std::vector<Row> rows = gridRows();
  expectSameRows(rows, expectedRows(las));
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const Row& r) { return r.level == 2; }), 9);
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file PASSED Ver 3 Certification"));
  EXPECT_EQ(statusBack(), QColor(0, 255, 0));
  EXPECT_TRUE(tabs()->isVisible());
  EXPECT_EQ(tabs()->currentIndex(), 0);
  EXPECT_FALSE(tabs()->isTabEnabled(2));  // nothing to convert in a 3.0 file

  // The report lies beside the LAS file and on the clipboard.
  const std::string log = (scratch.path() / "pass_standard.log").string();
  const std::string report = test::readFile(log);
  EXPECT_TRUE(report.starts_with("LAS Certification Result for: " + las.toStdString() + "\r\n"));
  EXPECT_NE(report.find("Result: LAS file PASSED Ver 3 Certification"), std::string::npos);
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("LAS Certification Result for: ")));

  // After a passing run the detail box stays hidden, though it holds the check.
  window->results()->grid()->setCurrentItem(itemWithKey(QStringLiteral("1^2")));
  EXPECT_FALSE(window->results()->detailBox()->isVisible());
  EXPECT_EQ(window->results()->detailBox()->toPlainText(), QStringLiteral("1b:  Check OK"));
}

TEST_F(WindowTest, Version2FailingInGroup3ShowsGroupsUpTo3AndTheDetail) {
  const QString las = copyCase("v20/fail_03a_curve_missing.las");
  // With Write Log File off, a .log file of the same name is left alone.
  scratch.write("fail_03a_curve_missing.log", "notes of my own");
  openThroughDialog(las);

  expectSameRows(gridRows(), expectedRows(las));
  EXPECT_EQ(gridRows().back().key, QStringLiteral("3^3"));
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file FAILS Ver 2 Certification"));
  EXPECT_EQ(statusBack(), QColor(255, 128, 128));
  EXPECT_EQ(test::readFile((scratch.path() / "fail_03a_curve_missing.log").string()), "notes of my own");
  EXPECT_TRUE(tabs()->isTabEnabled(2));

  QTreeWidget* grid = window->results()->grid();
  QPlainTextEdit* detail = window->results()->detailBox();
  grid->setCurrentItem(grid->topLevelItem(0)->child(2));  // the group row of group 3
  EXPECT_FALSE(detail->isVisible());
  grid->setCurrentItem(itemWithKey(QStringLiteral("3^1")));
  EXPECT_TRUE(detail->isVisible());
  EXPECT_EQ(detail->toPlainText(), QStringLiteral("3a:  sections missing are : ~Curve "));
  EXPECT_EQ(window->results()->helpContext(), 1027);
  QTest::keyClick(detail, Qt::Key_X);
  EXPECT_EQ(detail->toPlainText(), QStringLiteral("3a:  sections missing are : ~Curve "));

  // A click on a group row closes it, a second click opens it; Collapse All closes them all.
  QTreeWidgetItem* group3 = grid->topLevelItem(0)->child(2);
  const QPoint at = grid->visualItemRect(group3).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
  EXPECT_FALSE(group3->isExpanded());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
  EXPECT_TRUE(group3->isExpanded());
  window->findChild<QAction*>(QStringLiteral("pop_1_4"))->trigger();
  for (int i = 0; i < grid->topLevelItem(0)->childCount(); ++i)
    EXPECT_FALSE(grid->topLevelItem(0)->child(i)->isExpanded());
}

// A file that is no LAS well log says why in the detail box; the grid and
// the report are those of any failing file.
TEST_F(WindowTest, FileWithAByteOrderMarkSaysWhyItCannotBeCertified) {
  const std::string text = test::readFile((std::filesystem::path(KORRIVAN_CASES) / "v20/pass_standard.las").string());
  const QString las = QString::fromStdString(scratch.write("bom.las", "\xEF\xBB\xBF" + text));
  openThroughDialog(las);
  expectSameRows(gridRows(), expectedRows(las));
  QPlainTextEdit* detail = window->results()->detailBox();
  const QString why =
      QStringLiteral("Why this file cannot be certified: UTF-8 byte-order mark before the first section");
  EXPECT_TRUE(detail->isVisible());
  EXPECT_EQ(detail->toPlainText(), why);
  const std::vector<Row> rows = gridRows();
  const auto failed =
      std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.colour == QColor(255, 0, 0); });
  ASSERT_NE(failed, rows.end());
  window->results()->grid()->setCurrentItem(itemWithKey(failed->key));
  EXPECT_TRUE(detail->toPlainText().endsWith(QStringLiteral("\n\n") + why));
}

TEST_F(WindowTest, Version2FailingOnlyTheCountryCheckIsListedToTheEnd) {
  const QString las = copyCase("v20/fail_05b_no_country_set_certified_to_end.las");
  openThroughDialog(las);

  const std::vector<Row> rows = gridRows();
  expectSameRows(rows, expectedRows(las));
  EXPECT_EQ(rows.back().key.section(QLatin1Char('^'), 0, 0), QStringLiteral("7"));
  const auto failed =
      std::count_if(rows.begin(), rows.end(), [](const Row& r) { return r.colour == QColor(255, 0, 0); });
  EXPECT_EQ(failed, 1);
  EXPECT_EQ(itemWithKey(QStringLiteral("5^2"))->foreground(0).color(), QColor(255, 0, 0));
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file FAILS Ver 2 Certification"));

  // Ctrl+C in the grid copies every row, its cells separated by a tab.
  window->results()->grid()->setFocus();
  QTest::keyClick(window->results()->grid(), Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(rows.size()));
  EXPECT_EQ(lines[0], QStringLiteral("Certification Result for fail_05b_no_country_set_certified_to_end.las\t"));
  EXPECT_EQ(lines[2], QStringLiteral("a. File exists\t1^1"));
}

namespace {
// A generated version 2.0 file of about 3 MB that passes every check.
QString generatedFile(const test::ScratchDir& dir) {
  const std::string path = (dir.path() / "generated.las").string();
  bench::generateLas(path, bench::LasKind::V20Unwrapped, 3 << 20);
  return QString::fromStdString(path);
}
}  // namespace

TEST_F(WindowTest, EscAnsweredYesCancelsTheRun) {
  const QString las = generatedFile(scratch);
  answers[QStringLiteral("Please Confirm!")] = MessageAnswer::Yes;
  QObject::connect(&window->hooks(), &ui::QtRunHooks::progressShown, window.get(), [this] {
    QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  });
  openThroughDialog(las);

  ASSERT_EQ(boxTitles(), std::vector<QString>{QStringLiteral("Please Confirm!")});
  EXPECT_EQ(boxes[0].text, QStringLiteral("Do you want to cancel the certification in progress?"));
  EXPECT_EQ(window->lastCertification()->end, run::CertifyEnd::Cancelled);
  EXPECT_FALSE(tabs()->isVisible());
  EXPECT_EQ(statusCaption(), QStringLiteral("Korrivan"));
  EXPECT_EQ(progress()->format(), QStringLiteral("Ready"));
  EXPECT_EQ(progress()->value(), 0);
  EXPECT_TRUE(enabled("file_M1"));
}

TEST_F(WindowTest, EscAnsweredNoGoesOnToTheEnd) {
  const QString las = generatedFile(scratch);
  answers[QStringLiteral("Please Confirm!")] = MessageAnswer::No;
  bool pressed = false;
  QObject::connect(&window->hooks(), &ui::QtRunHooks::progressShown, window.get(), [&] {
    if (pressed) return;
    pressed = true;
    QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  });
  openThroughDialog(las);

  EXPECT_EQ(boxTitles(), std::vector<QString>{QStringLiteral("Please Confirm!")});
  EXPECT_EQ(window->lastCertification()->end, run::CertifyEnd::Completed);
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file PASSED Ver 2 Certification"));
  EXPECT_EQ(gridRows().back().key.section(QLatin1Char('^'), 0, 0), QStringLiteral("7"));
}

TEST_F(WindowTest, ConvertReadsTheTabsChoicesAndEscEndsItWithNothingWritten) {
  openThroughDialog(copyCase("v20/pass_wrapped_three_lines_per_depth_W.las"));
  ASSERT_TRUE(tabs()->isTabEnabled(2));
  window->findChild<QRadioButton*>(QStringLiteral("logOpt1"))->setChecked(true);
  window->findChild<QRadioButton*>(QStringLiteral("dlmOpt2"))->setChecked(true);
  const std::string out = (scratch.path() / "converted.las").string();
  dialogAnswer = QString::fromStdString(out);
  window->findChild<QPushButton*>(QStringLiteral("cnvBut"))->click();
  ASSERT_EQ(boxTitles(), std::vector<QString>{QStringLiteral("Convert")});
  const std::string written = test::readFile(out);
  EXPECT_NE(written.find("\r\n DLM .       COMMA "), std::string::npos);
  EXPECT_NE(written.find("\r\n~Log_Data | Log_Definition\r\n1500.0000,1.0000,2.0000,3.0000,"), std::string::npos);
  // The unwrapped copy is kept in the program's folder.
  EXPECT_NE(test::readFile((scratch.path() / "un_wrapped_temp~.las").string()).find(" WRAP.   NO  :"),
            std::string::npos);
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("The unwrapped copy is kept as ")));
  EXPECT_EQ(progress()->format(), QStringLiteral("Ready"));

  // ESC during the conversion: the "Un-expected Error" box, no output.
  boxes.clear();
  const std::string cancelled = (scratch.path() / "cancelled.las").string();
  dialogAnswer = QString::fromStdString(cancelled);
  QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  window->findChild<QPushButton*>(QStringLiteral("cnvBut"))->click();
  ASSERT_EQ(boxTitles(), std::vector<QString>{QStringLiteral("Un-expected Error")});
  EXPECT_FALSE(fs::exists(cancelled));
  EXPECT_FALSE(window->isRunning());
}

TEST_F(WindowTest, NoSecondRunStartsWhileOneIsGoing) {
  const QString las = copyCase("v20/pass_standard.las");
  const QString other = copyCase("v30/pass_standard.las", "other.las");
  int started = 0;
  QObject::connect(window.get(), &ui::MainWindow::certificationStarted, window.get(), [&] { ++started; });
  bool tried = false;
  QObject::connect(&window->hooks(), &ui::QtRunHooks::progressShown, window.get(), [&] {
    if (tried) return;
    tried = true;
    EXPECT_FALSE(enabled("tButPanel"));
    window->fileCommand(1);
    window->certifyChosenFile(other);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(other)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    window->close();
  });
  openThroughDialog(las);

  EXPECT_EQ(started, 1);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file PASSED Ver 2 Certification"));
}

TEST_F(WindowTest, DroppedFileIsCertified) {
  const QString las = copyCase("v20/pass_standard.las");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(las)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(session.lasFileName, las.toStdString());
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file PASSED Ver 2 Certification"));
}

TEST_F(WindowTest, UnreadableVersionAnsweredCancelEndsInTheErrorBox) {
  // Before any version is known, a file failing its pre-checks reads as the report's result line.
  openThroughDialog(copyCase("precheck/fail_01b_empty.las"));
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file FAILS Certification"));

  answers[QStringLiteral("LAS Version Not Found!")] = MessageAnswer::Cancel;
  openThroughDialog(copyCase("precheck/unreadable_version.las"));

  ASSERT_EQ(boxTitles(), (std::vector<QString>{QStringLiteral("LAS Version Not Found!"), QStringLiteral("Error!")}));
  EXPECT_EQ(boxes[0].text, QStringLiteral("LAS Version was not determined. Proceeding as if Ver 2.0. "));
  EXPECT_EQ(boxes[1].text, QStringLiteral("Error occured while processing the LAS file. No certification possible"));
  EXPECT_FALSE(tabs()->isVisible());
}

TEST_F(WindowTest, CommandStatesBeforeAndAfterARunAndAfterTheFileIsDeleted) {
  for (const char* name : {"file_M1", "file_M3", "file_M5", "tBut1", "tBut3", "tBut5"})
    EXPECT_FALSE(enabled(name)) << name;
  for (const char* name : {"file_M0", "tBut0", "tBut6"}) EXPECT_TRUE(enabled(name)) << name;
  EXPECT_FALSE(window->findChild<QToolButton*>(QStringLiteral("tBut2"))->isVisible());
  QMenu* fileMenu = window->findChild<QMenu*>(QStringLiteral("fileM"));
  QAction* justCertified = window->findChild<QAction*>(QStringLiteral("file_m1_0"));
  emit fileMenu->aboutToShow();
  EXPECT_FALSE(justCertified->isVisible());

  printerSetUp = true;
  const QString las = copyCase("v20/pass_standard.las");
  openThroughDialog(las);
  for (const char* name : {"file_M1", "file_M3", "file_M5", "tBut1", "tBut3", "tBut5"})
    EXPECT_TRUE(enabled(name)) << name;
  emit fileMenu->aboutToShow();
  EXPECT_TRUE(justCertified->isVisible());
  EXPECT_EQ(justCertified->text(), QStringLiteral("Just Certified Version:  (Ver 2.0)"));

  printerSetUp = false;
  QFile::remove(las);
  window->fileCommand(1);
  const std::vector<Row> rows = gridRows();
  ASSERT_EQ(rows.size(), 8u);  // title, group 1 and its six checks
  EXPECT_EQ(rows[2].colour, QColor(255, 0, 0));
  for (const char* name : {"file_M1", "file_M3", "file_M5", "tBut1", "tBut3", "tBut5"})
    EXPECT_FALSE(enabled(name)) << name;
  EXPECT_EQ(statusCaption(), QStringLiteral("LAS file FAILS Ver 2 Certification"));  // the version is kept
}

TEST_F(WindowTest, OptionsAreShownAndSaved) {
  QSettings store(QStringLiteral("Korrivan"), QStringLiteral("Korrivan"));
  QLabel* wrapPanel = window->findChild<QLabel*>(QStringLiteral("stat0"));
  QLabel* logPanel = window->findChild<QLabel*>(QStringLiteral("stat1"));
  EXPECT_EQ(wrapPanel->text(), QStringLiteral("No Wrap"));
  EXPECT_EQ(wrapPanel->palette().color(QPalette::WindowText), QColor(128, 128, 128));

  window->findChild<QAction*>(QStringLiteral("opt_M2"))->trigger();
  store.sync();
  EXPECT_EQ(store.value(QStringLiteral("Startup/writeLog")).toString(), QStringLiteral("-1"));
  EXPECT_EQ(store.value(QStringLiteral("Startup/doWrap")).toString(), QStringLiteral(" 0"));
  EXPECT_EQ(logPanel->text(), QStringLiteral("Log File"));
  EXPECT_EQ(logPanel->palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_TRUE(session.writeLog);

  window->findChild<QAction*>(QStringLiteral("opt_M2"))->trigger();
  store.sync();
  EXPECT_EQ(store.value(QStringLiteral("Startup/writeLog")).toString(), QStringLiteral(" 0"));
  EXPECT_EQ(logPanel->text(), QStringLiteral("No Log"));

  // A batch run never writes the store.
  store.clear();
  store.sync();
  certify::Session batch;
  batch.batch = true;
  batch.writeLog = true;
  ui::saveSettings(batch);
  store.sync();
  EXPECT_FALSE(store.contains(QStringLiteral("Startup/writeLog")));
}

TEST_F(WindowTest, DocumentsHelpAndBoxes) {
  // Standards documents: a missing one names its full path; a present one is opened.
  window->openStandardsDocument(1);
  ASSERT_EQ(boxTitles(), std::vector<QString>{QStringLiteral("File Not Found")});
  const QString pdf = QString::fromStdString((scratch.path() / "LAS 3 File Structure.pdf").string());
  EXPECT_EQ(boxes[0].text, QStringLiteral("The LAS standards document you requested, \n\n") + pdf +
                               QStringLiteral("\n\n, could not be found. Re-install Korrivan to restore."));
  scratch.write("las20_standards.txt", "LAS 2.0\r\n");
  openThroughDialog(copyCase("v20/fail_03a_curve_missing.las"));
  window->openStandardsDocument(0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toLocalFile().toStdString(), (scratch.path() / "las20_standards.txt").string());

  // Help opens at the topic of the selected row.
  std::string html = "<html><body><h1>Contents</h1>";
  for (int topic : {1024, 1025, 1026, 1027, 1039}) {
    html += "<h2><a name=\"" + std::to_string(topic) + "\">Topic</a></h2>";
    for (int i = 0; i < 40; ++i) html += "<p>text</p>";
  }
  scratch.write("korrivan.html", html + "</body></html>");
  QTreeWidget* grid = window->results()->grid();
  grid->setCurrentItem(itemWithKey(QStringLiteral("3^1")));
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_F1);
  ASSERT_NE(window->helpWindow(), nullptr);
  EXPECT_EQ(window->helpWindow()->browser()->source().fragment(), QStringLiteral("1027"));
  EXPECT_GT(window->helpWindow()->browser()->verticalScrollBar()->value(), 0);
  window->helpCommand(0);
  EXPECT_EQ(window->helpWindow()->browser()->verticalScrollBar()->value(), 0);

  // Convert! proposes the _ver3.las name and says what it wrote; Test Now says sorry.
  boxes.clear();
  dialogAnswer = QString::fromStdString((scratch.path() / "out_ver3.las").string());
  window->findChild<QPushButton*>(QStringLiteral("cnvBut"))->click();
  EXPECT_EQ(dialogs.back().first, QStringLiteral("save"));
  EXPECT_EQ(dialogs.back().second.toStdString(), (scratch.path() / "fail_03a_curve_missing_ver3.las").string());
  EXPECT_TRUE(fs::exists(scratch.path() / "out_ver3.las"));
  ASSERT_FALSE(boxes.empty());
  EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Wrote ") + dialogAnswer)) << boxes[0].text.toStdString();
  tabs()->setTabEnabled(1, true);  // the Content page is never available to the user
  window->findChild<QPushButton*>(QStringLiteral("compTestBut"))->click();
  ASSERT_EQ(boxTitles(), (std::vector<QString>{QStringLiteral("Convert"), QStringLiteral("Sorry...")}));
  EXPECT_EQ(boxes[1].text, QStringLiteral("Test is not available at this time"));
}
