#include "base/file_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/safe_file.h"
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

bool fileExists(const std::string& name) { return !name.empty() && isNormalFile(name); }

std::string changeExtension(const std::string& name, const std::string& extension) {
  if (base::trimSpaces(name).empty()) return name;
  std::string separator = base::trimSpaces(extension).empty() ? "" : ".";
  std::size_t start = fileNameStart(name);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= start) return name.substr(0, dot) + separator + extension;
  return name + separator + extension;
}

bool testFileSpec(const std::string& name) {
  const std::string target = resolvedPath(name);
  if (target.empty()) return false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  return canCreateIn(posixFolderOf(target), "Test for good file contentSpec\r\n");
}

std::string printableName(std::string_view name) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

bool namesSameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  const std::string ra = resolvedPath(a);
  return !ra.empty() && ra == resolvedPath(b);
}

}  // namespace korrivan::base
