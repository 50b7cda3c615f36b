#include "content/compliance_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/settings_dialogs.h"

namespace korrivan::content {

using ui::qs;

namespace {

QTableWidgetItem* cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

QString verdictCaption(const ComplianceResult& result) {
  switch (result.verdict) {
    case ComplianceVerdict::Complies: return QStringLiteral("The LAS file complies with the content specification");
    case ComplianceVerdict::DoesNotComply: {
      const auto n = static_cast<qulonglong>(result.findingCount());
      return QStringLiteral("The LAS file does not comply: %1 %2")
          .arg(n)
          .arg(n == 1 ? QStringLiteral("finding") : QStringLiteral("findings"));
    }
    default: return QStringLiteral("The LAS file could not be tested: ") + qs(result.error);
  }
}

ComplianceView::ComplianceView(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("compliance"));
  setWindowTitle(QStringLiteral("Compliance Result"));
  verdict_ = new QLabel;
  verdict_->setObjectName(QStringLiteral("verdict"));
  verdict_->setAlignment(Qt::AlignCenter);
  verdict_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  verdict_->setAutoFillBackground(true);
  verdict_->setMinimumHeight(30);
  QFont bold = verdict_->font();
  bold.setBold(true);
  verdict_->setFont(bold);
  file_ = new QLabel;
  file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  crd_ = new QTableWidget(0, 6);
  crd_->setObjectName(QStringLiteral("crd"));
  crd_->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Section"), QStringLiteral("MNEM"),
                                   QStringLiteral("Part"), QStringLiteral("Finding"), QStringLiteral("LAS line")});
  crd_->verticalHeader()->hide();
  crd_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  crd_->setSelectionBehavior(QAbstractItemView::SelectRows);
  crd_->horizontalHeader()->setStretchLastSection(true);
  crd_->setWordWrap(false);
  auto* close = new QPushButton(QStringLiteral("Close"));
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(verdict_);
  layout->addWidget(file_);
  layout->addWidget(crd_, 1);
  layout->addLayout(buttons);
  ui::applyFormFonts(this, ui::screenWidth());
  resize(1100, 420);
}

void ComplianceView::showResult(const ComplianceResult& result) {
  verdict_->setText(verdictCaption(result));
  QPalette palette = verdict_->palette();
  const QColor back = result.verdict == ComplianceVerdict::Complies        ? QColor(0xc8, 0xf0, 0xc8)
                      : result.verdict == ComplianceVerdict::DoesNotComply ? QColor(0xf6, 0xc4, 0xc4)
                                                                           : QColor(0xf6, 0xe7, 0xb0);
  palette.setColor(QPalette::Window, back);
  verdict_->setPalette(palette);
  file_->setText(qs(result.lasFileName) +
                 (result.version > 0 ? QStringLiteral("  (Ver ") + QString::number(double(result.version), 'f', 1) +
                                           QStringLiteral(")")
                                     : QString()));
  crd_->setRowCount(0);
  crd_->setRowCount(static_cast<int>(result.findings.size()) + (result.unlistedFindings > 0 ? 1 : 0));
  int row = 0;
  for (const ComplianceFinding& f : result.findings) {
    crd_->setItem(row, 0, cell(f.finding.line > 0 ? QString::number(f.finding.line) : QString()));
    crd_->setItem(row, 1, cell(QStringLiteral("~") + qs(f.section)));
    crd_->setItem(row, 2, cell(qs(f.mnemonic)));
    crd_->setItem(row, 3, cell(qs(std::string(compliance::partName(f.part)))));
    crd_->setItem(row, 4, cell(qs(f.finding.message)));
    QTableWidgetItem* line = cell(qs(f.finding.lineText));
    line->setFont(QFont(QStringLiteral("Courier New")));
    crd_->setItem(row, 5, line);
    ++row;
  }
  if (result.unlistedFindings > 0)
    crd_->setItem(row, 4,
                  cell(QString::number(static_cast<qulonglong>(result.unlistedFindings)) +
                       QStringLiteral(" further findings not listed")));
  crd_->resizeColumnsToContents();
  crd_->setColumnWidth(4, std::min(crd_->columnWidth(4), 460));
}

}  // namespace korrivan::content
