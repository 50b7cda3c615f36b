#pragma once
// Documents Korrivan reads but never writes (the help file and the LAS
// standards documents): looked up beside the program, then in the installed
// data folder.
#include <QString>
#include <QStringList>

namespace korrivan::ui {

inline constexpr const char* kInstalledDataFolder = "/usr/share/korrivan";
inline constexpr const char* kHelpFileName = "korrivan.html";
inline constexpr const char* kLasWebPage = "https://en.wikipedia.org/wiki/Log_ASCII_Standard";

// The program's folder, then the installed data folder.
QStringList documentFolders(const QString& programFolder);

// The first folder's copy of the document that exists; when none does, the
// path it would have beside the program (for the "File Not Found" box).
QString documentPath(const QString& name, const QStringList& folders);

// The standards document of a "View LAS Standards Document" entry: 1 the 3.0
// structure (pdf), 2 version 2.0, 3 version 1.2; 0 the document of the
// version just certified.
QString standardsDocumentName(int item, float detectedVersion);

}  // namespace korrivan::ui
