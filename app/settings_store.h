#pragma once
// The three start-up settings in the per-user store (organisation and
// application "Korrivan", group "Startup").
#include <optional>
#include <string>

#include "certify/session.h"

namespace korrivan::app {

// Reads lasFile, writeLog and doWrap. Option values other than 0 and -1
// become false; a value that cannot be read as a 16-bit number makes both
// options false.
certify::Settings loadSettings();

// Writes the three keys in the order lasFile, writeLog, doWrap; the options
// as the texts "-1" (on) and " 0" (off). Failures are passed over.
void saveSettings(const certify::Settings& settings);
// Writes lasFile alone (after the user picks a file to certify).
void saveLasFileSetting(const std::string& lasFile);

// The session a program starts with: the running program's folder and the
// stored settings (both options off when they cannot be read).
certify::Session startingSession();

// The stored text of an option: "-1" on, " 0" off.
std::string optionText(bool on);

// The option value of a stored text: -1 true, 0 false, nullopt when the text
// is not a 16-bit number.
std::optional<bool> optionFromText(const std::string& text);

}  // namespace korrivan::app
