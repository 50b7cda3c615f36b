#pragma once
// `import`, the window that lists the section groups of another LAS file
// and the parameter lines of a group's sections, with a tick box per line
// and per column, as the source of an import into the content-specification
// grid.
#include <QDialog>
#include <array>
#include <vector>

#include "content/content_calls.h"
#include "content/prompts.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTabBar;
class QTableWidget;

namespace korrivan::content {

// What "&Import" takes over: the ticked lines of the grid shown, and which
// of its columns (MNEM, UNIT, VALUE, DESC, FORMAT, ASSOC) are ticked.
struct ImportSelection {
  QString section;  // the section the lines come from
  std::array<bool, 6> columns{};
  std::vector<las::LasLineParts> lines;
};

class SectionImportWindow : public QDialog {
  Q_OBJECT
public:
  // `currentLasFile` is where the open dialog starts.
  SectionImportWindow(Prompts prompts, const QString& currentLasFile, QWidget* parent = nullptr);

  // "&Open LAS": asks for a file and opens it.
  void openLas();
  // Builds the section directory of the file and lists its section groups;
  // `status` is set to 0.
  void openLAS4Import(const QString& fileName, int& status);
  // Shows the sections of a group: its "_Parameter" section in the first
  // grid, its "_Data" section in the second.
  void displayPDL(const QString& group);
  // Fills a grid with the parameter lines of a section of the file.
  void fillGridPDL(QTableWidget* grid, const las::SectionRow& section);
  // An empty grid: headers, and the row of column tick boxes.
  void setupGrd(QTableWidget* grid);
  // Line numbers and a ticked box for every line of the grid.
  void setupGrdChecks(QTableWidget* grid);
  // "&Import": closes the window with the ticked lines and columns.
  void importSection();

  ImportSelection selection() const;
  const QString& importFileName() const { return file_.fileName; }
  QListWidget* groupList() const { return sLst_; }
  QTabBar* tabs() const { return tabb_; }
  QTableWidget* parameterGrid() const { return grdP_; }
  QTableWidget* dataGrid() const { return grdD_; }
  QPushButton* importButton() const { return importBut_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void groupSelected();
  void showTab(int index);
  QTableWidget* makeGrid(const QString& name);
  QTableWidget* shownGrid() const;
  void refit();

  Prompts prompts_;
  QString startLas_;
  ImportFile file_;
  QListWidget* sLst_ = nullptr;
  QTabBar* tabb_ = nullptr;
  QTableWidget* grdP_ = nullptr;
  QTableWidget* grdD_ = nullptr;
  QLabel* tag_ = nullptr;
  QPushButton* importBut_ = nullptr;
  bool refitting_ = false;
};

}  // namespace korrivan::content
