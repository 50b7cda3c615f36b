#pragma once
// Rewrites one field of one parameter line of a LAS file, keeping the line's
// column layout. A new line that fits is written over the old one in place;
// a longer one rewrites the whole file through a temporary file beside it,
// flushed and synced before it atomically replaces the original.
#include <sys/types.h>

#include <string>
#include <string_view>

namespace korrivan::las {
class SectionDirectory;
}
namespace korrivan::certify {
class RunHooks;
}

namespace korrivan::tools {

// The writes of a rewrite go through this layer, so that tests can make
// them fail at any step.
class WriteLayer {
public:
  virtual ~WriteLayer() = default;
  virtual ssize_t writeAt(int fd, const char* data, std::size_t size, off_t offset);
  virtual int sync(int fd);
  virtual int replace(const std::string& from, const std::string& to);
};

WriteLayer& systemWriteLayer();

enum class EditResult { Rewritten = -1, NotEdited = 1, Refused = 0 };

struct EditRequest {
  std::string fileName;
  std::string mnemonic;
  char field = 'V';  // M, U, V or D
  std::string newText;
  std::string sectionName;  // "" searches the whole header
};

// Finds the first parameter line of the mnemonic in the section and rewrites
// the field. Throws RunError when writing fails; the file is then unchanged.
EditResult editHeaderLine(const EditRequest& request, las::SectionDirectory& directory, certify::RunHooks& hooks,
                          WriteLayer& io = systemWriteLayer());

// The line built from its four parts with the dot at column dot, the value
// at column value and the colon at column colon (1-based), moved right where
// a part does not fit; at most 254 characters, trailing spaces removed.
std::string formatHeaderLine(std::string_view mnemonic, std::string_view unit, std::string_view value,
                             std::string_view description, int dot, int colon, int valueColumn);

}  // namespace korrivan::tools
