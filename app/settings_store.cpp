#include "app/settings_store.h"

#include <QSettings>

#include "base/text_utils.h"

namespace korrivan::app {

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

}  // namespace korrivan::app
