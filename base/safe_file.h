#pragma once
// Replacing a file without ever losing it: the new content goes to a
// temporary file in the target's own folder, which is written completely,
// synced and then renamed over the target, and the folder is synced. The
// target therefore holds either its old or its complete new content, never a
// part. The temporary file is removed on every failure, and on SIGINT,
// SIGTERM and SIGHUP; one left by a killed process is removed by a later run.
//
// The report writer and the header-line editor both replace files through
// here, and so will the conversions.
#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace korrivan::base {

// The system calls that write, so that tests can make a write fail at any step.
class FileWriteOps {
public:
  virtual ~FileWriteOps() = default;
  // Creates a new file of that name (never an existing one, never through a link).
  virtual int createExclusive(const std::string& name);
  virtual ssize_t writeAt(int fd, const char* data, std::size_t size, off_t offset);
  virtual int sync(int fd);
  virtual int replace(const std::string& from, const std::string& to);
};

FileWriteOps& systemFileWriteOps();

// What the new file keeps of the one it replaces.
enum class IdentityPolicy {
  // Owner, group, mode, extended attributes and ACLs are carried over where
  // the system allows it; otherwise the new file is the running user's
  // (reports, which were always written anew).
  BestEffort,
  // All of them are carried over, or the replacement is refused with the
  // reason (LAS files). A file with more than one hard link is refused as
  // well, since a rename would separate it from its other names.
  Required,
};

// The folder part of a name as the system sees it ("/" only; "." for none).
std::string posixFolderOf(const std::string& name);

// The file a name refers to in the end: symbolic links followed, "." and
// ".." resolved. For a name that does not exist yet, its resolved folder and
// its own name. Empty when the name cannot be resolved (a dangling link, a
// missing folder).
std::string resolvedPath(const std::string& name);

// True for the names of this program's temporary files.
bool isOwnTemporaryName(std::string_view name);

// Removes this program's temporary files from the folder that no run can
// still be writing: those last changed more than an hour ago (left behind
// by a process that was killed outright).
void removeStaleTemporaries(const std::string& folder);

// Creates a temporary file in the folder, writes `probe` to it and removes
// it again: proves that a replacement could be made there. Nothing else in
// the folder is opened or changed.
bool canCreateIn(const std::string& folder, std::string_view probe);

class FileReplacement {
public:
  // Prepares the replacement of the file `name` refers to (following
  // symbolic links). Throws RunError when it cannot be made; nothing has
  // then been changed.
  FileReplacement(const std::string& name, IdentityPolicy policy, FileWriteOps& ops = systemFileWriteOps());
  // Removes the temporary file unless the replacement was committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // The file that is replaced, links followed.
  const std::string& target() const { return target_; }
  // The target as it was when the replacement began; empty when it did not exist.
  const std::optional<struct stat>& original() const { return original_; }

  // Appends to the new content. Throws RunError.
  void write(std::string_view data);

  // Syncs and closes the new file and renames it over the target. With
  // `requireUnchanged`, refuses (RunError) when the target is no longer the
  // file it was when the replacement began.
  void commit(bool requireUnchanged);

private:
  void createTemporary();
  void carryIdentityOver(IdentityPolicy policy);
  void discard() noexcept;

  FileWriteOps& ops_;
  std::string target_;
  std::string temporary_;
  std::optional<struct stat> original_;
  int fd_ = -1;
  int signalSlot_ = -1;
  off_t written_ = 0;
  bool committed_ = false;
};

// Replaces the file with `content` in one go.
void replaceFileContent(const std::string& name, std::string_view content, IdentityPolicy policy,
                        FileWriteOps& ops = systemFileWriteOps());

}  // namespace korrivan::base
