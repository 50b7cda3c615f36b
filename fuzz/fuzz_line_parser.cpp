// Fuzz target: the grammar of one header line and the rules applied to it.
// The input is one line (line ends inside it are part of the text, as a
// lone LF is); the first byte chooses the delimiter and the version.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "checks/format_checks.h"
#include "checks/line_rules.h"
#include "las/line_parser.h"
#include "las/pattern_format.h"

using namespace korrivan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char delimiters[] = {' ', ',', '\t', '\0'};
  const char delimiter = delimiters[data[0] & 3];
  const float version = (data[0] & 4) ? 3.0f : 2.0f;
  const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);

  las::classifyLine(line);
  const std::string mnemonic = las::getMnemonic(line);
  const std::string unit = las::getUnit(line);
  const std::string value = las::getValue(line);
  const std::string description = las::getDescription(line);
  const std::string format = las::getFormat(line);
  std::vector<std::string> items;
  las::getAssociation(line, delimiter, &items);
  las::getFormatAsWritten(line);
  std::int64_t brace = 0;
  las::findDescriptionColon(line, &brace);
  las::isValidMnemonic(mnemonic, version);
  las::isUnsignedInteger(value, unit);
  las::countFields(line, " ");
  las::splitFields(line, std::string_view(&delimiter, 1));

  checks::isValidUnit(unit, version);
  checks::isValidValue(value, version);
  checks::isValidDescription(description, version);
  checks::isValidAssociation(line, delimiter);
  checks::checkHeaderLine3(line, "Log_Parameter", version, delimiter);
  checks::checkHeaderLine3(line, "Other", version, delimiter);
  checks::isLegalFormat(format);
  checks::valueMatchesFormat(value, format, delimiter);
  las::isRecognisedDateTime(value);
  las::parseMoment(value, format);
  las::formatMoment(las::kSampleMoment, format);
  return 0;
}
