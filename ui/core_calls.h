#pragma once
// Every call the window makes into the certification core, in one place: the
// certification itself, the report and its file, file names, settings and
// the program's version.
#include <exception>
#include <string>
#include <vector>

#include "certify/run_hooks.h"
#include "certify/session.h"
#include "run/certification.h"
#include "run/conversion.h"

namespace korrivan::ui {

using certify::BusyPointer;
using certify::MessageAnswer;
using certify::MessageButtons;
using certify::MessageIcon;
using certify::RunHooks;
using certify::Session;
using run::Certification;
using run::CertifyEnd;
using run::CheckResult;
using run::Finding;
using run::GroupResult;
using run::LasVersion;
using run::Outcome;

inline constexpr float kVersionUnknown = certify::kVersionUnknown;

// Certifies the session's LAS file as the window does: interactive questions,
// the previous version kept when a pre-check fails.
Certification certifyForWindow(const Session& session, const std::string& statusText, RunHooks& hooks);

// The report of a certification, dated now.
std::string reportText(const Certification& certification);
// Replaces the file with the report and puts the report on the clipboard.
bool writeReportFile(const std::string& fileName, const std::string& report, RunHooks& hooks);

// Writes the LAS file as a version 3.0 file (Convert!); a wrapped file's
// unwrapped copy is kept in the program's folder or the state folder.
run::ConversionReport convertForWindow(const std::string& lasFileName, const std::string& outputFileName,
                                       const run::ConversionOptions& options, RunHooks& hooks);
std::string keptUnwrapCopyPath(const std::string& programFolder);
// What a conversion wrote and which checks the output will not pass, one line each.
std::vector<std::string> conversionSummaryLines(const run::ConversionReport& report, const std::string& outputFileName,
                                                const run::ConversionOptions& options);

bool lasFileExists(const std::string& name);
std::string withExtension(const std::string& name, const std::string& extension);
// Deletes the work copy ("~#~") of a LAS file when there is one.
void removeWorkCopy(const std::string& lasFileName);
// A version in its shortest plain form: "1.2", "2", "3".
std::string versionText(float version);

void saveStartupSettings(const Session& session);
void saveLasFileSetting(const std::string& lasFileName);

// A run-time error in the program's classic terms: number and text.
struct ErrorInfo {
  int number = 0;
  std::string text;
};
ErrorInfo errorInfoOf(const std::exception& e);

struct AppVersion {
  int major, minor, revision;
};
AppVersion appVersion();

}  // namespace korrivan::ui
