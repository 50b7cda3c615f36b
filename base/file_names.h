#pragma once
// File-name helpers used across the program: whether a normal file exists,
// replacing an extension, and proving that a file can be created.
#include <string>
#include <string_view>

namespace korrivan::base {

// True when the name is not empty and names a regular, non-hidden file (a file
// whose own name begins with "." counts as hidden). A name with wildcard
// characters is looked up as a pattern. Any error gives false.
bool fileExists(const std::string& name);

// The name with its extension replaced ("log" turns well.las into well.log;
// an empty extension drops the old one with its dot). Both "/" and "\" end
// a folder part.
std::string changeExtension(const std::string& name, const std::string& extension);

// Creates (or truncates) the file, writes one test line, closes it and
// deletes it again: true when all of that worked.
bool testFileSpec(const std::string& name);

// Position after the last "/" or "\" (0 when there is none).
std::size_t fileNameStart(std::string_view path);
std::string folderOfPath(std::string_view path);
std::string nameOfPath(std::string_view path);

}  // namespace korrivan::base
