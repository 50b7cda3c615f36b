#pragma once
// The fuzz targets' input as a file: LineSource reads files by name, so an
// input is written to a file in memory (a tmpfs under /dev/shm when there is
// one) whose name ends in ".las", and read from there.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace korrivan::fuzz {

class InputFile {
public:
  InputFile() {
    const char* shm = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    folder_ = std::string(shm) + "/korrivan-fuzz-" + std::to_string(::getpid());
    ::mkdir(folder_.c_str(), 0700);
    path_ = folder_ + "/input.las";
  }
  ~InputFile() {
    ::unlink(path_.c_str());
    ::unlink((folder_ + "/command.log").c_str());
    ::rmdir(folder_.c_str());
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Replaces the file's content with the input; false when it cannot be written.
  bool write(const std::uint8_t* data, std::size_t size) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
  }
  const std::string& path() const { return path_; }
  const std::string& folder() const { return folder_; }

private:
  std::string folder_, path_;
};

}  // namespace korrivan::fuzz
