#include "base/file_names.h"

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/text_utils.h"

namespace korrivan::base {

std::size_t fileNameStart(std::string_view path) {
  std::size_t p = path.find_last_of("/\\");
  return p == std::string_view::npos ? 0 : p + 1;
}

std::string folderOfPath(std::string_view path) {
  std::size_t start = fileNameStart(path);
  return start == 0 ? std::string() : std::string(path.substr(0, start - 1));
}

std::string nameOfPath(std::string_view path) { return std::string(path.substr(fileNameStart(path))); }

static bool isNormalFile(const std::string& path) {
  if (nameOfPath(path).starts_with('.')) return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool fileExists(const std::string& name) {
  if (name.empty()) return false;
  if (name.find_first_of("*?[") == std::string::npos) return isNormalFile(name);
  glob_t matches{};
  bool found = false;
  if (::glob(name.c_str(), 0, nullptr, &matches) == 0) {
    for (std::size_t i = 0; i < matches.gl_pathc && !found; ++i) found = isNormalFile(matches.gl_pathv[i]);
  }
  ::globfree(&matches);
  return found;
}

std::string changeExtension(const std::string& name, const std::string& extension) {
  if (base::trimSpaces(name).empty()) return name;
  std::string separator = base::trimSpaces(extension).empty() ? "" : ".";
  std::size_t start = fileNameStart(name);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= start) return name.substr(0, dot) + separator + extension;
  return name + separator + extension;
}

bool testFileSpec(const std::string& name) {
  if (name.empty()) return false;
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  bool written = std::fputs("Test for good file spec\r\n", f) >= 0;
  bool closed = std::fclose(f) == 0;
  if (!written || !closed) return false;
  if (!fileExists(name)) return false;
  ::unlink(name.c_str());
  return true;
}

}  // namespace korrivan::base
