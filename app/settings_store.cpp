#include "app/settings_store.h"

#include <QSettings>

#include "base/program_folders.h"
#include "base/text_utils.h"

namespace korrivan::app {

namespace {

QString qtext(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

std::string optionText(bool on) { return on ? "-1" : " 0"; }

void saveSettings(const certify::Settings& settings) {
  QSettings store(QStringLiteral("Korrivan"), QStringLiteral("Korrivan"));
  store.beginGroup(QStringLiteral("Startup"));
  store.setValue(QStringLiteral("lasFile"), qtext(settings.lasFile));
  store.setValue(QStringLiteral("writeLog"), qtext(optionText(settings.writeLog)));
  store.setValue(QStringLiteral("doWrap"), qtext(optionText(settings.doWrap)));
}

void saveLasFileSetting(const std::string& lasFile) {
  QSettings store(QStringLiteral("Korrivan"), QStringLiteral("Korrivan"));
  store.beginGroup(QStringLiteral("Startup"));
  store.setValue(QStringLiteral("lasFile"), qtext(lasFile));
}

std::optional<bool> optionFromText(const std::string& text) {
  std::string_view t = base::trimSpaces(text);
  if (t.empty()) return false;  // an absent value reads as 0
  auto value = base::parseNumber(t);
  if (!value) return std::nullopt;
  double rounded = *value;
  if (rounded < -32768.5 || rounded > 32767.5) return std::nullopt;
  return static_cast<long>(rounded < 0 ? rounded - 0.5 : rounded + 0.5) == -1;
}

certify::Settings loadSettings() {
  certify::Settings s;
  QSettings store(QStringLiteral("Korrivan"), QStringLiteral("Korrivan"));
  store.beginGroup(QStringLiteral("Startup"));
  s.lasFile = store.value(QStringLiteral("lasFile"), QString()).toString().toStdString();
  auto writeLog = optionFromText(store.value(QStringLiteral("writeLog"), QStringLiteral("0")).toString().toStdString());
  auto doWrap = optionFromText(store.value(QStringLiteral("doWrap"), QStringLiteral("0")).toString().toStdString());
  if (!writeLog || !doWrap) {
    s.writeLog = s.doWrap = false;
  } else {
    s.writeLog = *writeLog;
    s.doWrap = *doWrap;
  }
  return s;
}

certify::Session startingSession() {
  certify::Session session;
  session.programFolder = base::runningProgramFolder();
  try {
    certify::Settings settings = loadSettings();
    session.lasFileName = settings.lasFile;
    session.writeLog = settings.writeLog;
    session.doWrap = settings.doWrap;
  } catch (const std::exception&) {
    session.writeLog = session.doWrap = false;
  }
  return session;
}

}  // namespace korrivan::app
