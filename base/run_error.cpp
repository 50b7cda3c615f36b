#include "base/run_error.h"

#include <cerrno>
#include <new>

namespace korrivan::base {

std::string errorText(int number) {
  switch (number) {
    case err::InvalidCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::OutOfMemory: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::BadFileName: return "Bad file name or number";
    case err::FileNotFound: return "File not found";
    case err::BadFileMode: return "Bad file mode";
    case err::FileAlreadyOpen: return "File already open";
    case err::DeviceIoError: return "Device I/O error";
    case err::FileAlreadyExists: return "File already exists";
    case err::DiskFull: return "Disk full";
    case err::InputPastEnd: return "Input past end of file";
    case err::TooManyFiles: return "Too many files";
    case err::DeviceUnavailable: return "Device unavailable";
    case err::PermissionDenied: return "Permission denied";
    case err::DiskNotReady: return "Disk not ready";
    case err::PathFileAccess: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    default: return "";
  }
}

int errorNumberFromErrno(int e, FileOp op) {
  switch (e) {
    case ENOENT: return op == FileOp::Read ? err::FileNotFound : err::PathNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EIO: return err::DeviceIoError;
    case EEXIST: return err::FileAlreadyExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return err::DiskFull;
    case EMFILE:
    case ENFILE: return err::TooManyFiles;
    case ENXIO:
    case ENODEV: return err::DeviceUnavailable;
    case EROFS: return op == FileOp::Read ? err::PermissionDenied : err::DiskNotReady;
    case EACCES: return op == FileOp::Read ? err::PermissionDenied : err::PathFileAccess;
    case EPERM:
    case EWOULDBLOCK: return err::PermissionDenied;
    case EISDIR: return err::PathFileAccess;
    case ENAMETOOLONG:
    case EINVAL: return err::BadFileName;
    case EBADF: return err::BadFileMode;
    default: return err::DeviceIoError;
  }
}

RunError::RunError(int number) : RunError(number, errorText(number)) {}

RunError::RunError(int number, std::string text) : std::runtime_error(text), number_(number), text_(std::move(text)) {}

RunError RunError::fromErrno(int errnoValue, FileOp op) { return RunError(errorNumberFromErrno(errnoValue, op)); }

PendingError pendingError(const std::exception& e) {
  if (auto* run = dynamic_cast<const RunError*>(&e)) return {run->number(), run->text()};
  if (dynamic_cast<const std::bad_alloc*>(&e)) return {err::OutOfMemory, errorText(err::OutOfMemory)};
  if (dynamic_cast<const std::out_of_range*>(&e))
    return {err::SubscriptOutOfRange, errorText(err::SubscriptOutOfRange)};
  return {err::InvalidCall, errorText(err::InvalidCall)};
}

}  // namespace korrivan::base
