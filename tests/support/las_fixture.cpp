#include "support/las_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>

namespace korrivan::test {

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "scratch";
  for (char& c : name)
    if (c == '/') c = '_';
  path_ = std::filesystem::path(KORRIVAN_TEST_TMP) /
          (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ScratchDir::write(const std::string& name, const std::string& text) const {
  std::string full = (path_ / name).string();
  std::ofstream out(full, std::ios::binary);
  out << text;
  return full;
}

std::string ScratchDir::writeLas(const std::string& name, const std::vector<std::string>& lines) const {
  return write(name, crlf(lines));
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

std::vector<std::filesystem::path> lasFilesBelow(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(root)) return files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (e.is_regular_file() && ext == ".las") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t hit = text.find("\r\n", from);
    if (hit == std::string::npos) {
      out.push_back(text.substr(from));
      break;
    }
    out.push_back(text.substr(from, hit - from));
    from = hit + 2;
  }
  return out;
}

}  // namespace korrivan::test
