// The content-specification and import windows driven as a person would:
// keys typed into the grid's cells, choices made from its lists, tabs and
// section groups picked, a content specification saved, opened again and tested,
// lines imported from a version 3.0 corpus file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "content/compliance_view.h"
#include "content/content_grid.h"
#include "content/content_spec_window.h"
#include "content/section_import_window.h"
#include "content/tab_strip.h"
#include "support/las_fixture.h"
#include "ui/main_window.h"
#include "ui/qt_print.h"

using namespace korrivan;
using namespace korrivan::content;
namespace fs = std::filesystem;

namespace {

constexpr int kMnem = colOf(SpecColumn::Mnemonic);
constexpr int kUnit = colOf(SpecColumn::Unit);
constexpr int kValueRule = colOf(SpecColumn::ValueRule);
constexpr int kKind = colOf(SpecColumn::FormatKind);
constexpr int kCode = colOf(SpecColumn::FormatCode);

QString example(const char* name) {
  return QString::fromUtf8(KORRIVAN_EXAMPLES) + QStringLiteral("/content/") + QString::fromUtf8(name);
}

struct Box {
  QString title, text;
};

class ContentWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    prompts.fileDialog = [this](QWidget*, FileKind kind, bool save, const QString&) {
      dialogs.push_back(QString::fromUtf8(kind == FileKind::LasFile ? "las " : "contentSpec ") +
                        (save ? QStringLiteral("save") : QStringLiteral("open")));
      return fileAnswer;
    };
    prompts.messageBox = [this](QWidget*, MessageIcon, const QString& title, const QString& text, MessageButtons,
                                MessageAnswer) {
      boxes.push_back({title, text});
      return answer;
    };
    prompts.inputBox = [this](QWidget*, const QString& title, const QString& prompt,
                              const QString&) -> std::optional<QString> {
      boxes.push_back({title, prompt});
      return inputAnswer;
    };
    window = std::make_unique<ContentSpecWindow>(QString(), nullptr, prompts);
    window->show();
    grid = window->grid();
  }

  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QWidget* editor() const {
    for (auto* e : grid->viewport()->findChildren<KeyRuleEdit*>())
      if (e->isVisible()) return e;
    for (auto* e : grid->viewport()->findChildren<QComboBox*>())
      if (e->isVisible()) return e;
    return nullptr;
  }
  QWidget* openEditor(int row, int column) {
    grid->setCurrentCell(row, column);
    grid->edit(grid->model()->index(row, column));
    return editor();
  }
  // Types into a cell and presses Enter; the cell's text after it.
  QString type(int row, int column, const char* keys) {
    QWidget* e = openEditor(row, column);
    EXPECT_TRUE(qobject_cast<KeyRuleEdit*>(e)) << column;
    if (!e) return {};
    QTest::keyClicks(e, QString::fromUtf8(keys));
    QTest::keyClick(e, Qt::Key_Return);
    settle();
    return grid->cellText(row, column);
  }
  QStringList offered(int row, int column) {
    QStringList items;
    if (auto* combo = qobject_cast<QComboBox*>(openEditor(row, column))) {
      for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
      QTest::keyClick(combo, Qt::Key_Escape);
    }
    settle();
    return items;
  }
  void choose(int row, int column, const QString& entry) {
    openEditor(row, column);
    auto* combo = qobject_cast<QComboBox*>(editor());
    ASSERT_TRUE(combo) << column;
    const int index = combo->findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    settle();
  }
  QStringList rowTexts(int row) const {
    QStringList texts;
    for (int c = 1; c < compliance::kGridColumns; ++c) texts << grid->cellText(row, c);
    return texts;
  }
  QStringList captions(QTabBar* bar) const {
    QStringList list;
    for (int i = 0; i < bar->count(); ++i) list << bar->tabText(i) + (bar->isTabEnabled(i) ? "" : " (off)");
    return list;
  }

  test::ScratchDir scratch;
  Prompts prompts;
  std::unique_ptr<ContentSpecWindow> window;
  SpecGrid* grid = nullptr;
  std::vector<Box> boxes;
  std::vector<QString> dialogs;
  QString fileAnswer;
  MessageAnswer answer = MessageAnswer::Yes;
  std::optional<QString> inputAnswer;
};

TEST_F(ContentWindowTest, KeysPerColumnDefaultsAndEscape) {
  // The first key starts the editor, as typing over a cell does.
  grid->setCurrentCell(0, kMnem);
  QTest::keyClick(grid, 'd');
  auto* edit = grid->viewport()->findChild<KeyRuleEdit*>();
  ASSERT_TRUE(edit);
  QTest::keyClicks(edit, QStringLiteral("ept"));
  QTest::keyClick(edit, Qt::Key_Return);
  settle();
  EXPECT_EQ(rowTexts(0), (QStringList{"DEPT", "Exact", "", "Exact", "", "Must be filled/Use Format", "Floating Point",
                                      "F13.5", "", "Exact", "", "Optional"}));

  EXPECT_EQ(type(1, kMnem, "g.r x:[1]{|}~"), QStringLiteral("GRX1"));
  EXPECT_EQ(type(1, kUnit, "k/m3. [x]"), QStringLiteral("K/M3.X"));
  EXPECT_EQ(type(1, colOf(SpecColumn::Value), "12 ab;c"), QStringLiteral("12 ABC"));
  EXPECT_EQ(type(1, colOf(SpecColumn::Description), "Gamma: ray [api]{x}"), QStringLiteral("Gamma: ray [api]x"));
  EXPECT_EQ(type(1, colOf(SpecColumn::Association), "run.[1]"), QStringLiteral("RUN1"));

  // ESC puts the stored text back and leaves the row as it was.
  QWidget* e = openEditor(0, kMnem);
  ASSERT_TRUE(e);
  QTest::keyClicks(e, QStringLiteral("zz"));
  QTest::keyClick(e, Qt::Key_Escape);
  settle();
  EXPECT_EQ(grid->cellText(0, kMnem), QStringLiteral("DEPT"));
  EXPECT_FALSE(editor());
  EXPECT_TRUE(window->isModified());
}

TEST_F(ContentWindowTest, ListsOnlyInRowsWithAMnemonicAndWhatTheyChoose) {
  for (int column : {2, 4, 6, 7, 8, 10, 12}) EXPECT_TRUE(offered(5, column).isEmpty()) << column;
  type(5, kMnem, "gr");
  EXPECT_EQ(offered(5, 4), (QStringList{"Exact", "Optional"}));
  type(5, kUnit, "gapi");
  EXPECT_EQ(offered(5, 4), (QStringList{"Exact", "Filled", "Optional"}));
  EXPECT_EQ(offered(5, 7),
            (QStringList{"", "<None>", "Floating Point", "String", "Integer", "Exponential", "Date a/o Time"}));
  EXPECT_EQ(offered(5, 12), (QStringList{"Must", "Optional"}));
  EXPECT_TRUE(offered(5, kCode).isEmpty());

  choose(5, kKind, QStringLiteral("Integer"));
  EXPECT_EQ(grid->cellText(5, kCode), QStringLiteral("I10"));
  choose(5, kKind, QStringLiteral("<None>"));
  EXPECT_EQ(grid->cellText(5, kKind), QString());
  EXPECT_EQ(grid->cellText(5, kCode), QString());
  choose(5, kValueRule, QStringLiteral("Must be filled/Any Format"));
  EXPECT_EQ(grid->cellText(5, kKind), QStringLiteral("Floating Point"));
  EXPECT_EQ(grid->cellText(5, kCode), QStringLiteral("F13.5"));
  QTest::qWait(1);
  EXPECT_EQ(grid->currentColumn(), kKind);  // the cursor went on to FORMAT
  EXPECT_EQ(grid->currentRow(), 5);

  // A list closed without a choice changes nothing.
  openEditor(5, kKind);
  grid->setCurrentCell(0, 1);
  settle();
  EXPECT_EQ(grid->cellText(5, kCode), QStringLiteral("F13.5"));

  window->findChild<QCheckBox*>(QStringLiteral("hideOpt"))->click();
  for (int c = 1; c < compliance::kGridColumns; ++c) EXPECT_EQ(grid->isColumnHidden(c), c % 2 == 0) << c;
}

TEST_F(ContentWindowTest, TabStripsChooseTheSectionOfTheRows) {
  TabStrip* fixed = window->fixedTabs();
  TabStrip* groups = window->groupTabs();
  EXPECT_EQ(window->currentSection(), QStringLiteral("Log_Parameter"));
  type(0, kMnem, "runs");
  fixed->button(1)->click();
  EXPECT_EQ(groups->currentIndex(), -1);
  EXPECT_EQ(window->currentSection(), QStringLiteral("Well"));
  EXPECT_EQ(grid->cellText(0, kMnem), QString());
  EXPECT_FALSE(window->dataSetTabs()->isEnabled());
  type(0, kMnem, "strt");
  groups->button(0)->click();
  EXPECT_EQ(fixed->currentIndex(), -1);
  EXPECT_EQ(grid->cellText(0, kMnem), QStringLiteral("RUNS"));
  window->dataSetTabs()->setCurrentIndex(1);
  EXPECT_EQ(window->currentSection(), QStringLiteral("Log_Definition"));
  type(0, kMnem, "dept");

  // The option buttons choose the tabs of the group's data set.
  window->findChild<QRadioButton*>(QStringLiteral("opt2"))->click();
  EXPECT_EQ(captions(window->dataSetTabs()),
            (QStringList{"~Log_Parameter", "~Log_Definition (off)", "~Log_Data (off)"}));
  EXPECT_EQ(window->currentSection(), QStringLiteral("Log_Parameter"));
  window->findChild<QRadioButton*>(QStringLiteral("opt1"))->click();
  EXPECT_EQ(captions(window->dataSetTabs()), (QStringList{"~Log_Parameter (off)", "~Log_Definition", "~Log_Data"}));
  EXPECT_EQ(window->currentSection(), QStringLiteral("Log_Definition"));

  const ContentSpec contentSpec = window->currentContentSpec();
  ASSERT_EQ(contentSpec.rows.size(), 3u);
  EXPECT_EQ(contentSpec.rows[0].section + "/" + contentSpec.rows[0].mnemonic, "Well/STRT");
  EXPECT_EQ(contentSpec.rows[1].section + "/" + contentSpec.rows[1].mnemonic, "Log_Parameter/RUNS");
  EXPECT_EQ(contentSpec.rows[2].section + "/" + contentSpec.rows[2].mnemonic, "Log_Definition/DEPT");
  EXPECT_EQ(contentSpec.groups.at(0).layout, compliance::GroupLayout::DefData);
}

TEST_F(ContentWindowTest, AddAndDeleteSectionGroups) {
  TabStrip* groups = window->groupTabs();
  inputAnswer = QString();
  window->findChild<QPushButton*>(QStringLiteral("but2"))->click();
  EXPECT_EQ(groups->captions(), QStringList{"~Log"});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, QStringLiteral("Adding New Section Group"));
  EXPECT_EQ(boxes[0].text, QStringLiteral("Please enter root name of new section group"));

  window->fixedTabs()->button(0)->click();
  inputAnswer = QStringLiteral(" Core ");
  window->addSectionGroup();
  EXPECT_EQ(groups->captions(), (QStringList{"~Log", "~Core"}));
  EXPECT_EQ(groups->currentIndex(), 1);
  EXPECT_EQ(window->fixedTabs()->currentIndex(), -1);
  EXPECT_EQ(captions(window->dataSetTabs()), (QStringList{"~Core_Parameter", "~Core_Definition", "~Core_Data"}));
  type(0, kMnem, "cpor");

  inputAnswer = QStringLiteral("My Core");
  window->addSectionGroup();
  EXPECT_EQ(groups->count(), 2);
  EXPECT_TRUE(boxes.back().text.startsWith(QStringLiteral("\"My Core\" cannot name a section group")));

  boxes.clear();
  answer = MessageAnswer::No;
  window->findChild<QPushButton*>(QStringLiteral("but3"))->click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, QStringLiteral("Delete Section?"));
  EXPECT_EQ(boxes[0].text, QStringLiteral("Please confirm delete of section group, \"~Core\" ?"));
  EXPECT_EQ(groups->count(), 2);
  answer = MessageAnswer::Yes;
  window->deleteSectionGroup();
  EXPECT_EQ(groups->captions(), QStringList{"~Log"});
  EXPECT_EQ(window->currentSection(), QStringLiteral("Log_Parameter"));
  EXPECT_TRUE(window->currentContentSpec().rows.empty());
}

TEST_F(ContentWindowTest, SavedWithOkOpenedAgainAndTested) {
  type(0, kMnem, "runs");
  choose(0, kValueRule, QStringLiteral("Optionally Fill/Any Format"));
  window->groupTabs()->button(0)->click();
  window->fixedTabs()->button(1)->click();
  type(0, kMnem, "uwi");
  type(2, kUnit, "m");  // a row without a mnemonic

  // Ok asks about the row left out, then for the file; a cancelled dialog keeps the window open.
  const QString saved = QString::fromStdString((scratch.path() / "mine.def").string());
  answer = MessageAnswer::Yes;
  window->okCommand();
  EXPECT_EQ(boxes.back().text, QStringLiteral("Rows without a mnemonic are left out of the file:\n\n~Well row 3\n\n"
                                              "Save the other rows?"));
  EXPECT_TRUE(window->isVisible());
  fileAnswer = saved;
  window->okCommand();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Accepted);
  EXPECT_EQ(dialogs, (std::vector<QString>{"contentSpec save", "contentSpec save"}));

  const ContentSpecReading read = readSpecFile(saved);
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read.contentSpec.rows.size(), 2u);
  EXPECT_EQ(read.contentSpec.rows[1].valueRule, compliance::ValueRule::OptionalAnyFormat);

  // Opened in a new window through "&Open Content Spec".
  SetUp();
  fileAnswer = saved;
  window->findChild<QToolButton*>(QStringLiteral("tBut0"))->click();
  EXPECT_EQ(window->specFileName(), saved);
  EXPECT_EQ(window->currentSection(), QStringLiteral("Log_Parameter"));
  EXPECT_EQ(grid->cellText(0, kMnem), QStringLiteral("RUNS"));
  EXPECT_FALSE(window->isModified());

  // A malformed file is named line by line and changes nothing.
  fileAnswer = QString::fromStdString(
      scratch.write("bad.def", "Korrivan content specification 1\n~Well | X\n~Nowhere | Y | | | | | | | | | | |\n"));
  window->openContentSpec();
  EXPECT_TRUE(boxes.back().text.contains(QStringLiteral("\nline 2: a row holds 13 fields")));
  EXPECT_TRUE(boxes.back().text.contains(QStringLiteral("\nline 3: \"~Nowhere\" is not a section")));
  EXPECT_EQ(window->specFileName(), saved);
  EXPECT_EQ(grid->cellText(0, kMnem), QStringLiteral("RUNS"));

  // Tested against a file: the results in their grid.
  ASSERT_TRUE(window->loadContentSpec(example("log_data_v30.def")));
  fileAnswer = example("log_data_v30_fails.las");
  window->findChild<QAction*>(QStringLiteral("file_M4"))->trigger();
  ComplianceView* view = window->complianceView();
  ASSERT_TRUE(view && view->isVisible());
  EXPECT_EQ(view->verdictLabel()->text(), QStringLiteral("The LAS file does not comply: 6 findings"));
  ASSERT_EQ(view->grid()->rowCount(), 6);
  EXPECT_EQ(view->grid()->item(2, 0)->text(), QStringLiteral("28"));
  EXPECT_EQ(view->grid()->item(2, 3)->text(), QStringLiteral("UNIT"));
  window->testLasFile(example("log_data_v30_complies.las"));
  EXPECT_EQ(view->verdictLabel()->text(), QStringLiteral("The LAS file complies with the content specification"));
}

TEST_F(ContentWindowTest, ChangesAreGivenUpOnlyAfterAQuestion) {
  type(0, kMnem, "x");
  answer = MessageAnswer::No;
  window->findChild<QPushButton*>(QStringLiteral("but1"))->click();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(boxes.back().text,
            QStringLiteral("The content specification has changes that are not saved. Give them up?"));
  answer = MessageAnswer::Yes;
  window->findChild<QAction*>(QStringLiteral("file_M3"))->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
}

class ImportTest : public ContentWindowTest {
protected:
  static QString corpusFile() {
    const fs::path file = fs::path(KORRIVAN_CORPUS) / "lasio/3.0/sample_3.0.las";
    return fs::exists(file) ? QString::fromStdString(file.string()) : QString();
  }
  QStringList column(QTableWidget* t, int c) const {
    QStringList list;
    for (int r = 0; r < t->rowCount(); ++r) list << (t->item(r, c) ? t->item(r, c)->text() : QString());
    return list;
  }
};

TEST_F(ImportTest, GroupsAndParameterLinesOfAVersion30File) {
  if (corpusFile().isEmpty()) GTEST_SKIP() << "no shared corpus";
  SectionImportWindow import(prompts, QString());
  int status = 7;
  import.openLAS4Import(corpusFile(), status);
  EXPECT_EQ(status, 0);
  QStringList groups;
  for (int i = 0; i < import.groupList()->count(); ++i) groups << import.groupList()->item(i)->text();
  EXPECT_EQ(groups, (QStringList{"Log", "Drilling", "Core", "Inclinometry", "Test", "TOPS", "Perforations"}));
  EXPECT_FALSE(import.importButton()->isEnabled());

  import.groupList()->setCurrentRow(0);
  QTableWidget* p = import.parameterGrid();
  EXPECT_TRUE(import.importButton()->isEnabled());
  ASSERT_EQ(p->rowCount(), 1 + 71);  // the column tick boxes, then the 71 lines of ~Log_Parameter
  EXPECT_EQ(column(p, 1).mid(0, 4), (QStringList{"", "RUNS", "RUN[1]", "RUN[2]"}));
  EXPECT_EQ(p->item(5, 5)->text(), QStringLiteral("F"));
  EXPECT_EQ(p->item(8, 6)->text(), QStringLiteral("NMAT_Depth[1]"));
  EXPECT_EQ(p->item(3, 0)->text(), QStringLiteral("3"));
  EXPECT_EQ(p->item(3, 0)->checkState(), Qt::Checked);
  // The second tab takes the group's _Data section, which has no parameter lines.
  EXPECT_TRUE(import.tabs()->isTabEnabled(1));
  EXPECT_EQ(import.dataGrid()->rowCount(), 1);

  // Typing into the grid changes nothing.
  p->setCurrentCell(1, 1);
  QTest::keyClicks(p, QStringLiteral("xyz"));
  EXPECT_EQ(p->item(1, 1)->text(), QStringLiteral("RUNS"));

  // A group without a _Parameter section leaves the first tab off and its grid as it was.
  import.groupList()->setCurrentRow(1);
  EXPECT_FALSE(import.tabs()->isTabEnabled(0));
  EXPECT_EQ(p->rowCount(), 72);
  EXPECT_EQ(p->item(1, 1)->text(), QStringLiteral("RUNS"));

  // Ticked lines and columns go into the current section of the grid.
  import.groupList()->setCurrentRow(0);
  p->item(2, 0)->setCheckState(Qt::Unchecked);  // RUN[1]
  p->item(0, 4)->setCheckState(Qt::Unchecked);  // DESC
  for (int r = 10; r < p->rowCount(); ++r) p->item(r, 0)->setCheckState(Qt::Unchecked);
  type(0, kMnem, "first");
  window->importLines(import.selection());
  EXPECT_EQ(column(grid, kMnem).mid(0, 10), (QStringList{"FIRST", "RUNS", "RUN[2]", "NMAT_DEPTH[1]", "NMAT_DEPTH[2]",
                                                         "DMAT_DEPTH[1]", "DMAT_DEPTH[2]", "MATR", "MATR", ""}));
  EXPECT_EQ(rowTexts(3), (QStringList{"NMAT_DEPTH[1]", "Exact", "M", "Exact", "500,1500", "Must be filled/Use Format",
                                      "Floating Point", "F", "", "Optional", "", "Optional"}));
  EXPECT_EQ(rowTexts(7).mid(8), (QStringList{"", "Optional", "NMAT_DEPTH[1]", "Must"}));
}

TEST_F(ImportTest, ImportWindowThroughTheMenuAndAFileWithoutGroups) {
  int status = 0;
  window->setImportRunner([&](SectionImportWindow& import) {
    import.openLAS4Import(example("well_header_complies.las"), status);
    EXPECT_EQ(import.groupList()->count(), 0);  // no "_" in any section name
    import.openLAS4Import(example("log_data_v30_complies.las"), status);
    EXPECT_EQ(import.groupList()->count(), 1);  // a second file replaces the first
    import.groupList()->setCurrentRow(0);
    import.importButton()->click();
    return import.result() == QDialog::Accepted;
  });
  window->fixedTabs()->button(2)->click();
  window->findChild<QAction*>(QStringLiteral("file_M1"))->trigger();
  EXPECT_EQ(window->currentContentSpec().rowsOf("Parameter").size(), 7u);
  EXPECT_EQ(grid->cellText(3, kCode), QStringLiteral("DD/MM/YYYY"));
}

TEST(MainWindowContent, HiddenButtonAndOptionsEntryOpenTheGridModally) {
  certify::Session session;
  ui::MainWindow main(session);
  main.show();
  // Closes each content-specification window as soon as it runs modally.
  QStringList seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&seen] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!qobject_cast<ContentSpecWindow*>(modal)) return;
    seen << modal->windowTitle();
    modal->close();
  });
  watch.start(5);
  auto* button = main.findChild<QToolButton*>(QStringLiteral("tBut2"));
  EXPECT_FALSE(button->isVisible());
  emit button->clicked();  // a hidden button takes no click of its own
  main.findChild<QAction*>(QStringLiteral("opt_M4"))->trigger();
  EXPECT_EQ(seen, (QStringList{"Content Specification", "Content Specification"}));
}

}  // namespace
