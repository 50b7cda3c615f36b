// The window's small services: path splitting, the about box, the printed
// report, document lookup, help topics of grid rows, the conversion name
// and the fonts by screen width.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "support/las_fixture.h"
#include "ui/conversion.h"
#include "ui/documents.h"
#include "ui/print_report.h"
#include "ui/qt_print.h"
#include "ui/results_model.h"
#include "ui/settings_dialogs.h"
#include "ui/splash.h"

using namespace korrivan;

TEST(PathParts, FolderAndNameOfWindowsAndPosixNames) {
  struct Case {
    QString path, folder, name;
  };
  const QString here = QDir::currentPath();
  const std::vector<Case> cases = {
      {QStringLiteral("C:\\data\\well.las"), QStringLiteral("C:\\data"), QStringLiteral("well.las")},
      {QStringLiteral("C:\\well.las"), QStringLiteral("C:\\"), QStringLiteral("well.las")},
      {QStringLiteral("C:"), QStringLiteral("C:\\"), QString()},
      {QStringLiteral("C:\\data\\"), QStringLiteral("C:\\data\\"), QString()},
      {QStringLiteral("well.las"), here, QStringLiteral("well.las")},
      {QStringLiteral("  /home/ann/logs/well.las "), QStringLiteral("/home/ann/logs"), QStringLiteral("well.las")},
      {QStringLiteral("/well.las"), QStringLiteral("/"), QStringLiteral("well.las")},
      {QStringLiteral("C:well.las"), QString(), QStringLiteral("C:well.las")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    QString forFolder = c.path, forName = c.path;
    EXPECT_EQ(ui::folderOfPath(forFolder), c.folder);
    EXPECT_EQ(ui::nameOfPath(forName), c.name);
    EXPECT_EQ(forFolder, c.path.trimmed());  // the caller's text is trimmed in place
  }
  QString longName = QStringLiteral("/d/") + QString(250, QLatin1Char('n'));
  EXPECT_EQ(ui::nameOfPath(longName).size(), 200);
}

TEST(AboutBox, ClosesByItselfAndOnAClick) {
  ui::SplashWindow timed;
  EXPECT_EQ(timed.findChild<QLabel*>(QStringLiteral("verLab"))->text(), QStringLiteral(" Ver 2.0.0 "));
  QSignalSpy closedByTimer(&timed, &QDialog::finished);
  timed.show();
  ASSERT_TRUE(closedByTimer.wait(5000));
  EXPECT_FALSE(timed.isVisible());

  ui::SplashWindow clicked;
  QSignalSpy closedByClick(&clicked, &QDialog::finished);
  clicked.show();
  QTest::mouseClick(clicked.findChild<QLabel*>(QStringLiteral("Label2")), Qt::LeftButton);
  EXPECT_EQ(closedByClick.count(), 1);
  EXPECT_FALSE(clicked.closingTimer()->isActive());

  EXPECT_EQ(ui::versionLine(1, 0, 1), QStringLiteral(" Ver 1.0.1 "));
}

TEST(PrintedReport, TwoEmptyLinesThenTheReportWrappedToThePage) {
  test::ScratchDir dir;
  const std::string pdf = (dir.path() / "report.pdf").string();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  QStringList report{QStringLiteral("LAS Certification Result for: /data/well.las"),
                     QStringLiteral("Result: LAS file FAILS Ver 2 Certification")};
  for (int i = 0; i < 120; ++i) report << QStringLiteral("        a. check %1").arg(i);
  report << QStringLiteral("Errors: ") + QStringLiteral("word ").repeated(80);
  const QString text = report.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
  const QFont font(QStringLiteral("Arial"), 11);

  const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  const QList<QStringList> pages = ui::reportPages(text, font, &printer, page);
  ASSERT_GE(pages.size(), 2);
  EXPECT_EQ(pages[0].mid(0, 3), (QStringList{QString(), QString(), report[0]}));
  QStringList printed;
  for (const QStringList& p : pages) printed << p;
  EXPECT_EQ(printed.mid(2, 122), report.mid(0, 122));
  EXPECT_GT(printed.size(), report.size() + 2);  // the long error line is wrapped, not cut
  EXPECT_EQ(printed.mid(124).join(QString()), report.last());

  ASSERT_TRUE(ui::printReport(printer, text, font));
  const std::string content = test::readFile(pdf);
  EXPECT_TRUE(content.starts_with("%PDF"));
  std::size_t pageObjects = 0;
  for (std::size_t at = content.find("/Type /Page\n"); at != std::string::npos;
       at = content.find("/Type /Page\n", at + 1))
    ++pageObjects;
  EXPECT_EQ(pageObjects, static_cast<std::size_t>(pages.size()));
}

TEST(Documents, BesideTheProgramFirstThenTheDataFolder) {
  test::ScratchDir program, data;
  const QStringList folders{QString::fromStdString(program.path().string()),
                            QString::fromStdString(data.path().string())};
  data.write("las12_standards.txt", "1.2");
  EXPECT_EQ(ui::documentPath(QStringLiteral("las12_standards.txt"), folders),
            folders[1] + QStringLiteral("/las12_standards.txt"));
  program.write("las12_standards.txt", "1.2");
  EXPECT_EQ(ui::documentPath(QStringLiteral("las12_standards.txt"), folders),
            folders[0] + QStringLiteral("/las12_standards.txt"));
  EXPECT_EQ(ui::documentPath(QStringLiteral("missing.txt"), folders), folders[0] + QStringLiteral("/missing.txt"));

  EXPECT_EQ(ui::standardsDocumentName(0, 1.2f), QStringLiteral("las12_standards.txt"));
  EXPECT_EQ(ui::standardsDocumentName(0, 3.0f), QStringLiteral("LAS 3 File Structure.pdf"));
  EXPECT_EQ(ui::standardsDocumentName(0, 4.0f), QStringLiteral("las20_standards.txt"));
}

TEST(GridRows, HelpTopicsByRowRange) {
  struct Case {
    int row;
    bool v3;
    int context;
  };
  for (const Case& c : std::vector<Case>{{1, true, 1024},
                                         {8, true, 1024},
                                         {9, true, 1026},
                                         {45, true, 1030},
                                         {73, true, 1048},
                                         {74, true, 7},
                                         {0, true, 7},
                                         {7, false, 1024},
                                         {8, false, 1025},
                                         {18, false, 1027},
                                         {42, false, 1035},
                                         {43, false, 7}}) {
    EXPECT_EQ(ui::helpContextForRow(c.row, c.v3, 7), c.context) << c.row << (c.v3 ? " v3" : " v2");
  }
}

namespace {
// A version 2.0 certification whose group 4 holds the given checks.
// A check with its cell text made of its findings' messages, one per line.
run::CheckResult check(int group, int row, const std::string& name, run::Outcome outcome,
                       std::vector<run::Finding> findings = {}) {
  std::string cell = outcome == run::Outcome::NotPerformed ? " " : "";
  for (const run::Finding& f : findings) cell += (cell.empty() ? "" : "\r\n") + f.message;
  return {group, row, name, outcome, cell, std::move(findings)};
}

run::Certification certificationWithGroup4(std::vector<run::CheckResult> checks) {
  run::Certification c;
  c.lasFileName = "/data/well.las";
  c.detectedVersion = 2.0f;
  c.version = run::LasVersion::V2_0;
  c.end = run::CertifyEnd::Completed;
  for (int g = 1; g <= 7; ++g) {
    run::GroupResult group{g, "Group " + std::to_string(g), {}};
    if (g == 4)
      group.checks = checks;
    else
      group.checks.push_back(check(g, 1, "Check", run::Outcome::Passed));
    c.groups.push_back(group);
  }
  return c;
}
}  // namespace

TEST(GridRows, ListingEndsAtTheFirstFailedOrNotPerformedCheck) {
  for (run::Outcome outcome : {run::Outcome::Failed, run::Outcome::NotPerformed}) {
    const auto rows = ui::resultRows(certificationWithGroup4({check(4, 1, "First", outcome, {{"bad", 0, {}}})}));
    ASSERT_EQ(rows.size(), 1u + 4 * 2);  // title, groups 1-4 with one check each
    EXPECT_EQ(rows.back().text, QStringLiteral("a. First"));
    EXPECT_EQ(rows.back().mark, outcome == run::Outcome::Failed ? ui::Mark::Failed : ui::Mark::NotPerformed);
  }
  const auto c = certificationWithGroup4({check(4, 1, "Passed", run::Outcome::Passed)});
  EXPECT_EQ(ui::resultRows(c).size(), 1u + 7 * 2);
  EXPECT_EQ(ui::resultRows(c).front().text, QStringLiteral("Certification Result for well.las"));
}

TEST(GridRows, DetailShowsEveryErrorAndTheLinesFindingsPointAt) {
  const auto c = certificationWithGroup4(
      {check(4, 1, "Passed", run::Outcome::Passed), check(4, 2, "Skipped", run::Outcome::NotPerformed),
       check(4, 3, "Value", run::Outcome::Failed,
             {{"Bad value in WELL", 0, {}}, {"Bad value in STRT", 12, " STRT.M  x :"}})});
  EXPECT_EQ(ui::detailText(c, 4, 1), QStringLiteral("4a:  Check OK"));
  EXPECT_EQ(ui::detailText(c, 4, 2), QStringLiteral("4b:  Check Not Performed"));
  EXPECT_EQ(ui::detailText(c, 4, 3), QStringLiteral("4c: Bad value in WELL\nBad value in STRT\n\n"
                                                    "Line 12: Bad value in STRT\n     STRT.M  x :"));
}

TEST(Conversion, ProposedOutputName) {
  EXPECT_EQ(ui::proposedConversionName(QStringLiteral("/data/well.v2.las")), QStringLiteral("/data/well.v2_ver3.las"));
  EXPECT_EQ(ui::proposedConversionName(QStringLiteral("/data.old/well")), QStringLiteral("/data.old/well_ver3.las"));
}

TEST(FormFonts, ArialBySizeOfTheScreen) {
  QWidget form;
  auto* button = new QPushButton(QStringLiteral("x"), &form);
  ui::applyFormFonts(&form, 1280);
  EXPECT_EQ(button->font().family(), QStringLiteral("Arial"));
  EXPECT_EQ(button->font().pointSize(), 11);
  ui::applyFormFonts(&form, 1024);
  EXPECT_EQ(button->font().pointSize(), 9);
}
