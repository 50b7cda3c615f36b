#include "base/program_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/file_names.h"

namespace korrivan::base {

std::string runningProgramFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return folderOfPath(std::string(buf, static_cast<std::size_t>(n)));
}

std::string installedDataFolder(const std::string& programFolder) {
  std::string folder = programFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::size_t slash = folder.rfind('/');
  if (slash == std::string::npos || folder.substr(slash + 1) != "bin") return "";
  const std::string data = folder.substr(0, slash) + "/share/korrivan";
  struct stat st {};
  return ::stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? data : "";
}

}  // namespace korrivan::base
