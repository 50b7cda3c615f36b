// Fuzz target: the data section readers: wrap detection (with and without a
// channel hint), the curve definitions, the first data line and the
// column-count walk of every data section, for each delimiter.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "las/data_reader.h"
#include "las/parsed_section.h"
#include "las/section_directory.h"

using namespace korrivan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::InputFile input;
  if (size == 0 || !input.write(data + 1, size - 1)) return 0;
  const float version = (data[0] & 1) ? 3.0f : 2.0f;
  const char delimiters[] = {' ', ',', '\t', '\0'};
  const char delimiter = delimiters[(data[0] >> 1) & 3];
  const int hint = data[0] >> 3;

  las::SectionDirectory directory;
  directory.locateMainSections(input.path(), version);
  const las::DataReadContext ctx{directory, delimiter, nullptr};
  las::CurveTable curves;
  las::detectWrapStructure(ctx, hint, curves);
  las::detectWrapStructure(ctx, 0, curves);
  if (curves.size() > las::kMaxSectionRows) __builtin_trap();
  for (const las::SectionRow& row : directory.rows()) {
    if (row.kind != las::SectionKind::Data) continue;
    las::readFirstDataLine(ctx, row.name);
    las::checkColumnCountConsistency(ctx, row.name);
  }
  return 0;
}
