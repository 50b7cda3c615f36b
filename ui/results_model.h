#pragma once
// What the results grid shows for a finished certification: the outline
// rows with their texts, marks, colours and keys, the verdict of the status
// label, the detail text of a check and the help topic of a row. No widgets.
#include <QColor>
#include <QString>
#include <vector>

#include "ui/core_calls.h"

namespace korrivan::ui {

enum class RowLevel { Title = 1, Group = 2, Check = 3 };
enum class Mark { None, Passed, NotPerformed, Failed };

struct GridRow {
  RowLevel level = RowLevel::Title;
  QString text;
  QString key;  // check rows: group "^" row, e.g. "3^7"
  Mark mark = Mark::None;
  int group = 0;
  int row = 0;
};

inline const QColor kDarkGreen{0, 128, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kPassedBack{0, 255, 0};
inline const QColor kFailedBack{255, 128, 128};
inline const QColor kGreyText{128, 128, 128};

// The rows top to bottom: the title, then each group with its checks, until
// the group holding the first failure (the 1.2/2.0 country-specific check
// does not end the listing).
std::vector<GridRow> resultRows(const Certification& certification);

// The status label after a run.
struct Verdict {
  bool passed = false;
  QString caption;
  QColor back;
};
Verdict verdictOf(const Certification& certification);

// The detail box text of a check: "2e: " and the errors, ":  Check OK" or
// ":  Check Not Performed", followed by the lines the findings point at.
// Errors are separated by line feeds.
QString detailText(const Certification& certification, int group, int row);
// The plain reason why the file is no LAS well log ("" for other files).
QString notLasText(const Certification& certification);

// The help topic of a grid row (title row 0), or `current` for a row
// outside every range.
int helpContextForRow(int gridRow, bool version3, int current);

// The grid as text: one line per row, its cells separated by tabs.
QString gridText(const std::vector<GridRow>& rows);

}  // namespace korrivan::ui
