#include "ui/documents.h"

#include <QFileInfo>

#include "base/program_folders.h"

namespace korrivan::ui {

QStringList documentFolders(const QString& programFolder) {
  QStringList folders{programFolder};
  const std::string installed = base::installedDataFolder(programFolder.toStdString());
  if (!installed.empty()) folders << QString::fromStdString(installed);
  folders << QString::fromUtf8(kInstalledDataFolder);
  folders.removeDuplicates();
  return folders;
}

QString documentPath(const QString& name, const QStringList& folders) {
  for (const QString& folder : folders) {
    const QString path = folder + QLatin1Char('/') + name;
    if (QFileInfo(path).isFile()) return path;
  }
  return (folders.isEmpty() ? QString() : folders.constFirst()) + QLatin1Char('/') + name;
}

QString standardsDocumentName(int item, float detectedVersion) {
  const QString v30 = QStringLiteral("LAS 3 File Structure.pdf");
  const QString v20 = QStringLiteral("las20_standards.txt");
  const QString v12 = QStringLiteral("las12_standards.txt");
  switch (item) {
    case 1: return v30;
    case 2: return v20;
    case 3: return v12;
    default: break;
  }
  if (detectedVersion == 1.2f) return v12;
  if (detectedVersion == 3.0f) return v30;
  return v20;
}

}  // namespace korrivan::ui
