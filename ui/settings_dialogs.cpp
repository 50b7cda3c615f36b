#include "ui/settings_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace korrivan::ui {

namespace {

bool isSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

QString trimBlanks(const QString& text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text[first] == QLatin1Char(' ')) ++first;
  while (last > first && text[last - 1] == QLatin1Char(' ')) --last;
  return text.mid(first, last - first);
}

qsizetype lastSeparator(const QString& p) {
  return std::max(p.lastIndexOf(QLatin1Char('/')), p.lastIndexOf(QLatin1Char('\\')));
}

void setPanel(QLabel* panel, const QString& caption, bool on) {
  if (!panel) return;
  panel->setText(caption);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::WindowText, on ? QColor(Qt::black) : QColor(128, 128, 128));
  panel->setPalette(palette);
}

}  // namespace

void saveSettings(const Session& session) {
  if (session.batch) return;
  try {
    saveStartupSettings(session);
  } catch (const std::exception&) {
  }
}

void showOptionStatus(QLabel* wrapPanel, QLabel* logPanel, bool doWrap, bool writeLog) {
  setPanel(wrapPanel, doWrap ? QStringLiteral("Do Wrap") : QStringLiteral("No Wrap"), doWrap);
  setPanel(logPanel, writeLog ? QStringLiteral("Log File") : QStringLiteral("No Log"), writeLog);
}

QString folderOfPath(QString& path) {
  path = trimBlanks(path);
  const QString& p = path;
  if (p.isEmpty()) return QDir::currentPath();
  if (isSeparator(p.back())) return p;
  if (p.endsWith(QLatin1Char(':'))) return p + QLatin1Char('\\');
  const qsizetype k = lastSeparator(p);
  if (k < 0) return p.contains(QLatin1Char(':')) ? QString() : QDir::currentPath();
  QString folder = p.left(k);
  if (folder.endsWith(QLatin1Char(':'))) folder += p[k];
  // The root folder of a name such as /well.las is the separator itself.
  if (folder.isEmpty()) folder = p[k];
  return folder;
}

QString nameOfPath(QString& path) {
  path = trimBlanks(path);
  const QString& p = path;
  if (p.isEmpty() || isSeparator(p.back()) || p.endsWith(QLatin1Char(':'))) return {};
  if (lastSeparator(p) < 0 && !p.contains(QLatin1Char(':'))) return p;
  return p.mid(lastSeparator(p) + 1).left(200);
}

QString showFileDialog(QWidget* owner, bool save, const QString& startPath) {
  QString start = startPath;
  const QString name = nameOfPath(start);
  const QString folder = folderOfPath(start);
  QFileDialog dialog(owner, save ? QStringLiteral("Save LAS File") : QStringLiteral("Open LAS File"), folder,
                     QStringLiteral("LAS Files (*.las)"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setDefaultSuffix(QStringLiteral("las"));
  if (!name.isEmpty()) dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void centerForm(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.x() + area.width() / 2 - size.width() / 2, area.y() + area.height() / 2 - size.height() / 2);
}

int screenWidth() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 1024;
}

void applyFormFonts(QWidget* form, int screenWidthPixels) {
  const QFont font(QStringLiteral("Arial"), screenWidthPixels > 1024 ? 11 : 9);
  form->setFont(font);
  for (QWidget* w : form->findChildren<QWidget*>()) w->setFont(font);
}

}  // namespace korrivan::ui
