#pragma once
// Small services around the main window: the settings, the option status
// panels, the open and save dialog, path splitting, centring and fonts.
#include <QString>
#include <functional>

#include "ui/core_calls.h"

class QLabel;
class QWidget;

namespace korrivan::ui {

// Writes lasFile, writeLog and doWrap; nothing in batch mode. Errors are passed over.
void saveSettings(const Session& session);

// stat 0 "Do Wrap" / "No Wrap" and stat 1 "Log File" / "No Log": black when on, grey when off.
void showOptionStatus(QLabel* wrapPanel, QLabel* logPanel, bool doWrap, bool writeLog);

// The folder part of a path, trimmed of blanks in place. Both "/" and "\"
// separate folders; a name without any gives the current folder.
QString folderOfPath(QString& path);
// The file-name part (at most 200 characters), trimmed of blanks in place.
QString nameOfPath(QString& path);

// The answer of a file dialog: the chosen full path, or empty when cancelled.
using FileDialogFn = std::function<QString(QWidget* owner, bool save, const QString& startPath)>;
// "Open LAS File" / "Save LAS File", filter "LAS Files (*.las)", starting at
// the folder and name of startPath.
QString showFileDialog(QWidget* owner, bool save, const QString& startPath);

void centerForm(QWidget* window);

// Arial 11 on screens wider than 1024 pixels, else Arial 9, for the form and
// every widget in it.
void applyFormFonts(QWidget* form, int screenWidth);
int screenWidth();

}  // namespace korrivan::ui
