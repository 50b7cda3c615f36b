#pragma once
// Run-time errors in the classic numbered model: every message that quotes
// an error number ("Error #53", "File Accessibility Error : ... 75") takes
// its number and text from here.
#include <stdexcept>
#include <string>

namespace korrivan::base {

// The classic error numbers the program quotes.
namespace err {
inline constexpr int None = 0;
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileMode = 54;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIoError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
}  // namespace err

// The text that goes with a classic error number ("" for 0 or an unknown number).
std::string errorText(int number);

// What the program was doing when an operating-system call failed: the same
// errno means different classic errors for reading, creating and writing.
enum class FileOp { Read, Create, Write };

// Maps an errno value to its classic error number.
int errorNumberFromErrno(int errnoValue, FileOp op);

// A run-time error: a classic number with its text.
class RunError : public std::runtime_error {
public:
  explicit RunError(int number);
  RunError(int number, std::string text);
  int number() const noexcept { return number_; }
  const std::string& text() const noexcept { return text_; }

  // The error for the current errno of a failed file operation.
  static RunError fromErrno(int errnoValue, FileOp op);

private:
  int number_;
  std::string text_;
};

// Thrown through a run when the user confirmed the cancel question; not a
// run-time error, so that no handler of errors takes it for one.
struct RunCancelled {};

// The error pending in a catch block, in classic terms: a RunError keeps its
// number; any other exception becomes the "Invalid procedure call" error.
struct PendingError {
  int number = 0;
  std::string text;
};
PendingError pendingError(const std::exception& e);

}  // namespace korrivan::base
