#pragma once
// `contGrid`, the content-specification window: the grid of rows per
// section, the tab strips that choose the section (fixed sections, the
// user's section groups, and the tabs of a group's data set), the options
// of a group's data set, and the commands that open, import, test and save
// a content specification.
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <array>
#include <vector>

#include "content/compliance_view.h"
#include "content/content_calls.h"
#include "content/prompts.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTabBar;
class QToolButton;

namespace korrivan::content {

class SectionImportWindow;
class SpecGrid;
class TabStrip;
struct ImportSelection;

class ContentSpecWindow : public QDialog {
  Q_OBJECT
public:
  // `currentLasFile` (the main window's) is where the LAS file dialogs start.
  explicit ContentSpecWindow(const QString& currentLasFile, QWidget* parent = nullptr,
                             Prompts prompts = Prompts::standard());
  ~ContentSpecWindow() override;

  // The section whose rows the grid shows ("Well", "Log_Parameter"); empty
  // when no tab is selected.
  QString currentSection() const;
  // The content specification as the window holds it (every section).
  ContentSpec currentContentSpec() const;
  // Replaces everything shown with a content specification.
  void showSpecification(const ContentSpec& contentSpec);

  // "&Open Content Spec": asks for a file and shows it.
  void openContentSpec();
  // Shows a content specification file; false (with a message) when it is malformed.
  bool loadContentSpec(const QString& fileName);
  // "&Import From LAS...": the import window, modally.
  void importFromLas();
  // Takes the lines and columns chosen in the import window over into the
  // current section, after its last row.
  void importLines(const ImportSelection& selection);
  // "Test a LAS File...": tests a file against the content specification shown.
  void testLasFile();
  void testLasFile(const QString& lasFileName);
  // "&Ok": saves to a file the user picks and closes the window.
  void okCommand();
  // "&Add" and "&Del" of section groups.
  void addSectionGroup();
  void deleteSectionGroup();
  // Option buttons: the tabs of the current group's data set.
  void chooseLayout(compliance::GroupLayout layout);

  bool isModified() const { return modified_; }
  const QString& specFileName() const { return specFile_; }
  SpecGrid* grid() const { return crd_; }
  TabStrip* fixedTabs() const { return tab2_; }
  TabStrip* groupTabs() const { return tab3_; }
  QTabBar* dataSetTabs() const { return tab1_; }
  ComplianceView* complianceView() const { return view_; }

  // Tests replace the import window's modal run: it gets the window and
  // returns whether "&Import" closed it.
  void setImportRunner(std::function<bool(SectionImportWindow&)> run) { runImport_ = std::move(run); }

  // Closing, by Cancel, Exit or the close box: changes not saved are given
  // up only after a question.
  void reject() override;

private:
  void buildMenus();
  QWidget* buildToolbar();
  void buildLayout(QWidget* toolbar);
  void loadWindow();

  void storeGrid();
  void showSection();
  void fixedTabChosen(int index);
  void groupTabChosen(int index);
  void dataSetTabChosen(int index);
  void updateGroupControls();
  void markModified();
  bool discardChangesAsked();
  QStringList rowsLeftOut() const;
  void selectFirstSection();
  int groupIndex(const QString& name) const;
  compliance::SectionGroup* currentGroup();

  Prompts prompts_;
  QString startLas_;
  QString specFile_;
  bool modified_ = false;
  QString lastTested_;

  std::vector<compliance::SectionGroup> groups_;
  // Rows of every section but the one shown, by upper-case section name.
  QHash<QString, std::vector<GridCells>> stored_;
  QString shown_;

  SpecGrid* crd_ = nullptr;
  TabStrip* tab2_ = nullptr;
  TabStrip* tab3_ = nullptr;
  QTabBar* tab1_ = nullptr;
  std::array<QRadioButton*, 3> opt_{};
  QCheckBox* hideOpt_ = nullptr;
  std::array<QPushButton*, 4> but_{};
  std::array<QAction*, 5> fileM_{};
  std::array<QToolButton*, 3> tBut_{};
  QLabel* fileLabel_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QPointer<ComplianceView> view_;
  std::function<bool(SectionImportWindow&)> runImport_;
};

}  // namespace korrivan::content
