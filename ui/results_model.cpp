#include "ui/results_model.h"

#include <array>

#include "ui/qt_text.h"

namespace korrivan::ui {

namespace {

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }
QChar rowLetter(int row) { return QChar(96 + row); }

Mark markOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::Passed: return Mark::Passed;
    case Outcome::NotPerformed: return Mark::NotPerformed;
    case Outcome::Failed: break;
  }
  return Mark::Failed;
}

bool isVersion3(const Certification& c) { return c.version == LasVersion::V3_0; }

// A check that ends the listing. The report stops at a not-performed check
// too, so the grid never shows later groups as passed when they never ran.
bool endsListing(const Certification& c, const CheckResult& check) {
  if (check.outcome == Outcome::Passed) return false;
  return isVersion3(c) || check.group != 5 || check.row != 2;
}

QString nameOfFile(const std::string& path) {
  const QString p = qs(path);
  const qsizetype cut = std::max(p.lastIndexOf(QLatin1Char('/')), p.lastIndexOf(QLatin1Char('\\')));
  return p.mid(cut + 1);
}

}  // namespace

std::vector<GridRow> resultRows(const Certification& certification) {
  std::vector<GridRow> rows;
  rows.push_back({RowLevel::Title,
                  QStringLiteral("Certification Result for ") + nameOfFile(certification.lasFileName),
                  {},
                  Mark::None,
                  0,
                  0});
  for (const GroupResult& group : certification.groups) {
    if (group.title.empty()) continue;
    rows.push_back({RowLevel::Group,
                    twoDigits(group.number) + QStringLiteral(": ") + qs(group.title),
                    {},
                    Mark::None,
                    group.number,
                    0});
    bool listedFailure = false;
    for (const CheckResult& check : group.checks) {
      if (check.name.empty()) continue;
      rows.push_back({RowLevel::Check, QString(rowLetter(check.row)) + QStringLiteral(". ") + qs(check.name),
                      QStringLiteral("%1^%2").arg(check.group).arg(check.row), markOf(check.outcome), check.group,
                      check.row});
      listedFailure = listedFailure || endsListing(certification, check);
    }
    if (listedFailure) break;
  }
  return rows;
}

Verdict verdictOf(const Certification& certification) {
  Verdict v;
  v.passed = !certification.anyCheckFailed();
  const float version = certification.detectedVersion;
  // Before any version is known (a pre-check failure on the first run) the
  // caption is the report's "LAS file FAILS Certification".
  if (version <= 0)
    v.caption = qs(certification.resultText());
  else
    v.caption = QStringLiteral("LAS file ") + (v.passed ? QStringLiteral("PASSED") : QStringLiteral("FAILS")) +
                QStringLiteral(" Ver ") + qs(versionText(version)) + QStringLiteral(" Certification");
  v.back = v.passed ? kPassedBack : kFailedBack;
  return v;
}

QString detailText(const Certification& certification, int group, int row) {
  const CheckResult* check = certification.check(group, row);
  const QString id = QString::number(group) + rowLetter(row);
  if (!check) return id + QStringLiteral(":  Check OK");
  switch (check->outcome) {
    case Outcome::Passed: return id + QStringLiteral(":  Check OK");
    case Outcome::NotPerformed: return id + QStringLiteral(":  Check Not Performed");
    case Outcome::Failed: break;
  }
  QString text =
      id + QStringLiteral(": ") + qs(check->cellText).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QString lines;
  for (const Finding& f : check->findings) {
    if (f.line <= 0) continue;
    lines += QStringLiteral("\nLine %1: ").arg(f.line) + qs(f.message);
    if (!f.lineText.empty()) lines += QStringLiteral("\n    ") + qs(f.lineText);
  }
  if (!lines.isEmpty()) text += QStringLiteral("\n") + lines;
  if (!certification.notLasReason.empty()) text += QStringLiteral("\n\n") + notLasText(certification);
  return text;
}

QString notLasText(const Certification& certification) {
  if (certification.notLasReason.empty()) return {};
  return QStringLiteral("Why this file cannot be certified: ") + qs(certification.notLasReason);
}

int helpContextForRow(int gridRow, bool version3, int current) {
  struct Range {
    int first, last, context;
  };
  static constexpr std::array<Range, 9> v3{{{1, 8, 1024},
                                            {9, 18, 1026},
                                            {19, 33, 1028},
                                            {34, 45, 1030},
                                            {46, 52, 1032},
                                            {53, 60, 1034},
                                            {61, 64, 1036},
                                            {65, 67, 1037},
                                            {68, 73, 1048}}};
  static constexpr std::array<Range, 7> v2{
      {{1, 7, 1024}, {8, 14, 1025}, {15, 18, 1027}, {19, 26, 1029}, {27, 29, 1031}, {30, 37, 1033}, {38, 42, 1035}}};
  auto find = [&](const auto& ranges) {
    for (const Range& r : ranges)
      if (gridRow >= r.first && gridRow <= r.last) return r.context;
    return current;
  };
  return version3 ? find(v3) : find(v2);
}

QString gridText(const std::vector<GridRow>& rows) {
  QString text;
  for (const GridRow& r : rows) text += r.text + QLatin1Char('\t') + r.key + QLatin1Char('\n');
  return text;
}

}  // namespace korrivan::ui
