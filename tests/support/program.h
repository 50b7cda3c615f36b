#pragma once
// The korrivan executable as a black box: a copy in the scratch folder's
// bin/, so that its command.log is the test's own, run in the scratch folder.
#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/las_fixture.h"

namespace korrivan::test {

struct RunOptions {
  // Run as this user and group (the test must run as root).
  std::optional<uid_t> user;
  std::optional<gid_t> group;
  // No HOME and no XDG_STATE_HOME (cron, services); then `environment` is added.
  bool bareEnvironment = false;
  std::vector<std::string> environment;  // NAME=value
  // Limit on the size of any file the run writes (a full disk).
  rlim_t fileSizeLimit = RLIM_INFINITY;
  // Where stderr goes ("" leaves it alone).
  std::string stderrPath;
};

class Program {
public:
  explicit Program(const ScratchDir& dir);

  // Starts a run and returns at once; `finish` waits for it.
  pid_t start(const std::vector<std::string>& args, const RunOptions& options = {}) const;
  // The raw wait status of the run.
  static int finish(pid_t pid);
  // Runs to the end: the exit status, or -1 when the run did not exit.
  int run(const std::vector<std::string>& args, const RunOptions& options = {}) const;

  std::filesystem::path folder() const { return dir_.path() / "bin"; }
  // The message lines of command.log (every second line; the first of each
  // pair is the context line).
  std::vector<std::string> messages() const;
  std::vector<std::string> contextLines() const;

private:
  const ScratchDir& dir_;
  std::filesystem::path exe_;
};

// Every entry below a folder with its type, mode, owner and content (a link's
// target), for byte-for-byte comparisons before and after a run. Entries
// below `skip` (a child folder's name) are left out.
struct FolderEntry {
  std::string kind;  // "file", "dir", "link"
  unsigned mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  std::string content;
  bool operator==(const FolderEntry&) const = default;
};
std::vector<std::pair<std::string, FolderEntry>> folderSnapshot(const std::filesystem::path& folder,
                                                                const std::string& skip = "bin");

}  // namespace korrivan::test
