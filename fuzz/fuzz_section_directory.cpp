// Fuzz target: the section directory of a file, the main sections it names,
// and every section read as text and parsed into a table.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"

using namespace korrivan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::InputFile input;
  if (!input.write(data, size)) return 0;
  for (float version : {2.0f, 3.0f}) {
    las::SectionDirectory directory;
    directory.locateMainSections(input.path(), version);
    for (const las::SectionRow& row : directory.rows()) {
      las::splitSectionIndex(row.name);
      las::ParsedSection table;
      las::parseSection(directory, table, row.name, las::LineRules{version == 3.0f ? ',' : ' ', version});
      if (table.lineCount() > las::kMaxSectionRows) __builtin_trap();
    }
    if (directory.rows().size() > las::SectionDirectory::kMaxSections) __builtin_trap();
  }
  return 0;
}
