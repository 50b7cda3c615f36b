#pragma once
// Rewrites one field of one parameter line of a LAS file, keeping the line's
// column layout. A new line that fits is written over the old one in place;
// a longer one rewrites the whole file through a temporary file beside it,
// flushed and synced before it atomically replaces the original. Every byte
// outside the changed field stays as it was, and the rewritten file keeps
// the identity of the original (links followed; owner, group, mode,
// extended attributes and ACLs kept) or is refused.
#include <sys/types.h>

#include <string>
#include <string_view>

#include "certify/safe_file.h"

namespace korrivan::las {
class SectionDirectory;
}
namespace korrivan::certify {
class RunHooks;
}

namespace korrivan::tools {

// The writes of a rewrite go through this layer, so that tests can make
// them fail at any step.
using WriteLayer = certify::FileWriteOps;

inline WriteLayer& systemWriteLayer() { return certify::systemFileWriteOps(); }

enum class EditResult { Rewritten = -1, NotEdited = 1, Refused = 0 };

struct EditRequest {
  std::string fileName;
  std::string mnemonic;
  char field = 'V';  // M, U, V or D
  std::string newText;
  std::string sectionName;  // "" searches the whole header
};

// Finds the first parameter line of the mnemonic in the section and rewrites
// the field. Throws RunError when writing fails or the file's identity
// cannot be kept; the file is then unchanged.
EditResult editHeaderLine(const EditRequest& request, las::SectionDirectory& directory, certify::RunHooks& hooks,
                          WriteLayer& io = systemWriteLayer());

// The line with only its value replaced: the value keeps its start column,
// and the colon stays in its column while at least one blank remains before
// it; a longer value moves the colon and the rest of the line right, two
// blanks after the value. Unit, description, format and association keep
// every byte. `emptyValueColumn` (1-based) places a value where there was
// none. Empty when the line has no colon after its dot.
std::string replaceValueField(std::string_view line, std::string_view newValue, int emptyValueColumn);

// The line built from its four parts with the dot at column dot, the value
// at column value and the colon at column colon (1-based), moved right where
// a part does not fit; at most 254 characters, trailing spaces removed.
std::string formatHeaderLine(std::string_view mnemonic, std::string_view unit, std::string_view value,
                             std::string_view description, int dot, int colon, int valueColumn);

}  // namespace korrivan::tools
