#pragma once
// `certify`, the main window: menus, toolbar, the results tabs, the status
// label and panels. It opens a LAS file, certifies it with progress that ESC
// can cancel, shows the results, and offers printing, help, the standards
// documents, the options and the conversion.
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <optional>

#include "ui/core_calls.h"
#include "ui/help_window.h"
#include "ui/settings_dialogs.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace korrivan::ui {

class QtRunHooks;
class ResultsView;

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  // Works on the program state for the whole life of the window.
  explicit MainWindow(Session& session, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The File menu by item: 0 open, 1 repeat, 3 edit, 5 print, 9 exit.
  void fileCommand(int item);
  // The Help menu by item: 0 contents, 2 technical support, 3 the web page, 5 about.
  void helpCommand(int item);
  // "View LAS Standards Document": 0 the version just certified, 1 3.0, 2 2.0, 3 1.2.
  void openStandardsDocument(int item);
  // Certifies the current LAS file; nothing happens while a run is going.
  void certifyInteractive();
  void updateFileCommands();
  void readOptionMenus();
  void copyGrid();
  void convert();
  // The content-specification grid, as a modal window.
  void showContentSpecification();
  void showHelp(int context);
  // Certifies a file chosen outside the open dialog (dropped on the window).
  void certifyChosenFile(const QString& path);

  bool isRunning() const { return running_; }
  const std::optional<Certification>& lastCertification() const { return last_; }
  QtRunHooks& hooks() const { return *hooks_; }
  ResultsView* results() const { return results_; }
  HelpWindow* helpWindow() const { return help_; }

  // What tests replace: the file dialog, the shell that opens documents, and
  // whether a default printer is set up.
  void setFileDialog(FileDialogFn fn) { fileDialog_ = std::move(fn); }
  void setDocumentOpener(std::function<bool(const QUrl&)> fn) { openDocument_ = std::move(fn); }
  void setPrinterCheck(std::function<bool()> fn) { printerAvailable_ = std::move(fn); }

signals:
  void certificationStarted();
  void certificationFinished();

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildMenus();
  void buildToolbar();
  QWidget* buildStructureTab();
  QWidget* buildContentTab();
  QWidget* buildConversionTab();
  void buildStatusBar();
  void loadWindow();

  void openLas();
  void repeatCertification();
  void printCertification();
  void openWithShell(const QUrl& url, const QString& shown);
  void updateJustCertifiedEntry();
  void setCommandsEnabled(bool enabled);
  void setStatusLabel(const QString& caption, const QColor& back);
  void showResultsGrid(const Certification& certification);
  void showRunError();
  void testNow();
  QStringList documentFolderList() const;

  Session& session_;
  bool running_ = false;
  bool closeRequested_ = false;
  std::optional<Certification> last_;

  QtRunHooks* hooks_ = nullptr;
  ResultsView* results_ = nullptr;
  QPointer<HelpWindow> help_;
  QTabWidget* tabs_ = nullptr;
  QLabel* errAt_ = nullptr;
  QProgressBar* progLab_ = nullptr;
  std::array<QLabel*, 3> stat_{};
  QToolBar* toolbar_ = nullptr;
  std::array<QToolButton*, 7> tBut_{};

  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* optMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QMenu* pop1_ = nullptr;
  std::array<QAction*, 10> fileM_{};
  std::array<QAction*, 4> fileM1_{};
  std::array<QAction*, 4> optM_{};
  std::array<QAction*, 3> optM2_{};

  FileDialogFn fileDialog_;
  std::function<bool(const QUrl&)> openDocument_;
  std::function<bool()> printerAvailable_;
};

// Makes the application and the window and runs the event loop; a failure
// while the window loads ends the program after the "Error Initializing
// Certify" box.
// Shows the main window and runs it until it closes; a file name given is
// certified as soon as the window is up.
int runWindow(Session& session, int& argc, char** argv, const std::string& fileToCertify = {});

}  // namespace korrivan::ui
