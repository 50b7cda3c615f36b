#pragma once
// File-name helpers used across the program: whether a normal file exists,
// replacing an extension, proving that a file can be created, and whether
// two names are one file.
#include <string>
#include <string_view>

namespace korrivan::certify {

// True when the name is not empty and names a regular, non-hidden file (a file
// whose own name begins with "." counts as hidden). The name is taken
// literally: "*" and "?" are characters like any other. Any error gives false.
bool fileExists(const std::string& name);

// The name with its extension replaced ("log" turns well.las into well.log;
// an empty extension drops the old one with its dot). Both "/" and "\" end
// a folder part.
std::string changeExtension(const std::string& name, const std::string& extension);

// Proves, without opening or changing any file that is there, that a report
// can be written under the name: a file already there must be a writable
// regular file (links followed), and its folder must take a new file, which
// is proved with a temporary file of our own that is written, closed and
// removed again.
bool testFileSpec(const std::string& name);

// True when both names refer to one file: the same device and inode when
// both exist, else the same resolved path.
bool namesSameFile(const std::string& a, const std::string& b);

// A name as the report and the command log show it: control characters
// written as \r, \n, \t or \xNN, so that no name can start a line of its own.
std::string printableName(std::string_view name);

// Position after the last "/" or "\" (0 when there is none).
std::size_t fileNameStart(std::string_view path);
std::string folderOfPath(std::string_view path);
std::string nameOfPath(std::string_view path);

}  // namespace korrivan::certify
