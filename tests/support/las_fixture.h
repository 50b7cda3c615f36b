#pragma once
// Helpers for tests: a scratch folder per test, LAS text written with CR LF
// line ends, and running the korrivan executable as a black box.
#include <filesystem>
#include <string>
#include <vector>

namespace korrivan::test {

// A fresh folder under the build tree, removed when the object dies.
class ScratchDir {
public:
  ScratchDir();
  ~ScratchDir();
  const std::filesystem::path& path() const { return path_; }
  // Writes `text` as-is and returns the full path.
  std::string write(const std::string& name, const std::string& text) const;
  // Writes the lines joined with CR LF (and a final CR LF).
  std::string writeLas(const std::string& name, const std::vector<std::string>& lines) const;

private:
  std::filesystem::path path_;
};

std::string readFile(const std::string& path);
// Every file below the folder whose extension is .las in any case, sorted.
std::vector<std::filesystem::path> lasFilesBelow(const std::filesystem::path& root);
std::vector<std::string> splitCrLf(const std::string& text);
std::string crlf(const std::vector<std::string>& lines);

}  // namespace korrivan::test
