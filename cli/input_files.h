#pragma once
// The LAS files a pipeline run certifies: the files named on the command
// line and those found in the folders named there, in a fixed order, and
// the share of them that one shard of a split run takes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrivan::cli {

struct InputFile {
  std::string path;          // as shown and opened: the argument joined with the key
  std::size_t keyStart = 0;  // where the key begins in `path`

  // The path relative to the argument (a named file: its own name).
  std::string_view key() const { return std::string_view(path).substr(keyStart); }
};

struct InputListing {
  std::vector<InputFile> files;
  std::vector<std::string> errors;  // arguments or folders that could not be read, one message each
};

// One share of a split run: files whose shard number is `index`, of `count`.
struct Shard {
  std::uint64_t index = 0;
  std::uint64_t count = 1;
};

// Parses "I/N" (0 <= I < N); false when the text is not such a share.
bool parseShard(std::string_view text, Shard& shard);

// The stable hash that decides a file's shard: 64-bit FNV-1a of the bytes of
// its key. The shard number is hash % count.
std::uint64_t shardHash(std::string_view key);

// A name counts as a LAS file's when it ends in ".las" in any case.
bool hasLasExtension(std::string_view name);

// Lists the inputs: a named file is taken as it is (whatever its name);
// a named folder gives the LAS files directly in it, or with `recursive`
// in all its subfolders. Hidden entries (names beginning with ".") and links
// to folders found inside are passed over. The files of each argument come
// in byte order of their keys; arguments in their order; an argument
// given twice is taken once. Only the files of `shard` are kept.
InputListing listInputFiles(const std::vector<std::string>& arguments, bool recursive, const Shard& shard);

}  // namespace korrivan::cli
