#include "base/program_folders.h"

#include <sys/stat.h>

#include "base/file_names.h"

namespace korrivan::base {

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
