#include "cli/input_files.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "base/text_utils.h"

namespace korrivan::cli {

namespace fs = std::filesystem;

namespace {

std::string joined(const std::string& folder, const std::string& key) {
  if (folder.empty() || folder.back() == '/') return folder + key;
  return folder + "/" + key;
}

bool isHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

// A folder entry that stands for a file to certify: named *.las and not a
// folder, nor a link to one.
bool isLasFileEntry(const fs::directory_entry& entry, const std::string& name) {
  if (!hasLasExtension(name)) return false;
  std::error_code ec;
  return !entry.is_directory(ec);
}

std::string errorText(const std::string& path, const std::error_code& ec) { return path + ": " + ec.message(); }

// Collects the keys of the LAS files below `root` that belong to the shard.
void walkFolder(const std::string& root, bool recursive, const Shard& shard, std::vector<std::string>& keys,
                std::vector<std::string>& errors) {
  std::vector<std::string> pending{""};  // folders to read, as keys relative to root
  while (!pending.empty()) {
    const std::string folderKey = std::move(pending.back());
    pending.pop_back();
    const std::string folder = folderKey.empty() ? root : joined(root, folderKey);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
      errors.push_back(errorText(folder, ec));
      continue;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (isHidden(name)) continue;
      const std::string key = folderKey.empty() ? name : folderKey + "/" + name;
      std::error_code typeError;
      const bool realFolder = it->is_directory(typeError) && !it->is_symlink(typeError);
      if (realFolder) {
        if (recursive) pending.push_back(key);
      } else if (isLasFileEntry(*it, name) && shardHash(key) % shard.count == shard.index) {
        keys.push_back(key);
      }
    }
    if (ec) errors.push_back(errorText(folder, ec));
  }
}

}  // namespace

bool parseShard(std::string_view text, Shard& shard) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  auto number = [](std::string_view digits, std::uint64_t& value) {
    if (digits.empty()) return false;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && end == digits.data() + digits.size();
  };
  Shard parsed;
  if (!number(text.substr(0, slash), parsed.index) || !number(text.substr(slash + 1), parsed.count)) return false;
  if (parsed.count == 0 || parsed.index >= parsed.count) return false;
  shard = parsed;
  return true;
}

std::uint64_t shardHash(std::string_view key) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (unsigned char c : key) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return hash;
}

bool hasLasExtension(std::string_view name) { return base::iendsWith(name, ".las"); }

InputListing listInputFiles(const std::vector<std::string>& arguments, bool recursive, const Shard& shard) {
  InputListing listing;
  std::unordered_set<std::string> seen;
  for (const std::string& argument : arguments) {
    if (!seen.insert(argument).second) continue;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(argument, ec))) {
      listing.errors.push_back(
          errorText(argument, ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory)));
      continue;
    }
    std::vector<std::string> keys;
    std::string folder;
    if (fs::is_directory(fs::status(argument, ec))) {
      folder = argument;
      std::vector<std::string> errors;
      walkFolder(argument, recursive, shard, keys, errors);
      std::sort(keys.begin(), keys.end());
      std::sort(errors.begin(), errors.end());
      listing.errors.insert(listing.errors.end(), errors.begin(), errors.end());
    } else {
      // A named file, or a link that leads nowhere: its certification says what it is.
      std::string key = argument.substr(argument.find_last_of('/') + 1);
      if (key.empty()) key = argument;
      if (shardHash(key) % shard.count == shard.index) keys.push_back(key);
      folder = argument.substr(0, argument.size() - key.size());
    }
    for (const std::string& key : keys) {
      std::string path = joined(folder, key);
      const std::size_t keyStart = path.size() - key.size();
      listing.files.push_back({std::move(path), keyStart});
    }
  }
  return listing;
}

}  // namespace korrivan::cli
