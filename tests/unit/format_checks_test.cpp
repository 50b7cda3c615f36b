// Format codes and values against them; the date/time and numeric pattern
// formatter they rest on.
#include "checks/format_checks.h"

#include <gtest/gtest.h>

#include "las/pattern_format.h"

using namespace korrivan::checks;
using namespace korrivan::las;

namespace {

TEST(PatternFormat, SampleMomentAndRecognition) {
  EXPECT_EQ(formatMoment(kSampleMoment, "DD/MM/YYYY"), "23/05/1957");
  EXPECT_EQ(formatMoment(kSampleMoment, "mmm d, yyyy"), "May 23, 1957");
  EXPECT_EQ(formatMoment(kSampleMoment, "hh:mm:ss"), "10:30:15");
  EXPECT_EQ(formatMoment(kSampleMoment, "h:nn AM/PM"), "10:30 AM");
  EXPECT_EQ(formatMoment(kSampleMoment, "dddd"), "Thursday");
  EXPECT_TRUE(isRecognisedDateTime("23/05/1957"));
  EXPECT_TRUE(isRecognisedDateTime("May 23, 1957"));
  EXPECT_TRUE(isRecognisedDateTime("10:30:15"));
  EXPECT_FALSE(isRecognisedDateTime("1957"));
  EXPECT_FALSE(isRecognisedDateTime("23"));
  EXPECT_FALSE(isRecognisedDateTime("X12"));
  EXPECT_FALSE(isRecognisedDateTime("25:30"));
}

TEST(PatternFormat, ParsingFollowsThePattern) {
  auto m = parseMoment("08/12/2026", "DD/MM/YYYY");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->day, 8);
  EXPECT_EQ(m->month, 12);
  EXPECT_FALSE(parseMoment("31/02/2026", "DD/MM/YYYY"));
  EXPECT_FALSE(parseMoment("08-12-2026", "DD/MM/YYYY"));
  auto t = parseMoment("12:30", "hh:mm");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->minute, 30);  // "mm" after an hour means minutes
}

TEST(PatternFormat, NumericPatterns) {
  EXPECT_EQ(formatNumberPattern(12, "0.00E+00"), "1.20E+01");
  EXPECT_EQ(formatNumberPattern(0.0126, "0.0E-00"), "1.3E-02");
  EXPECT_EQ(formatNumberPattern(12, "0.00"), "12.00");
  EXPECT_FALSE(formatNumberPattern(12, "0.0E"));
  EXPECT_FALSE(formatNumberPattern(12, "x"));
}

TEST(FormatCodes, Legality) {
  const std::pair<const char*, bool> cases[] = {
      {"", true},           {"F", true},          {"F10.4", true},    {"F4.4", false},      {"F10", false},
      {"F.5", false},       {"F10.", false},      {"F1x.2", false},   {"I5", true},         {"I", true},
      {"I0", false},        {"I5.0", false},      {"Ix", false},      {"S20", true},        {"S", true},
      {"E0.00E+00", true},  {"E0.00E-00", false}, {"E", false},       {"DD/MM/YYYY", true}, {"hh:mm:ss", true},
      {"DD MM YYYY", true}, {"F 10.2", false},    {"\xB0'\"", true},  {"\xB0", false},      {"\xC2\xB0'\"", true},
      {"AF10.4;0.5", true}, {"A;0.5", true},      {"AF10.4;", false}, {"A", true},          {"AF4.4", false},
      {"X12", false},       {"YYYY", false},
  };
  for (const auto& [format, legal] : cases) EXPECT_EQ(isLegalFormat(format), legal) << format;
}

TEST(FormatValues, ItemByItem) {
  struct Case {
    const char* value;
    const char* format;
    char delimiter;
    FormatMatch expected;
  };
  const Case cases[] = {
      {"1670.0", "F", ' ', FormatMatch::Matches},
      {"-999.25", "F", ' ', FormatMatch::Matches},
      {"12", "F", ' ', FormatMatch::Matches},
      {"1.2E3", "F", ' ', FormatMatch::Mismatch},
      {"ABC", "F", ' ', FormatMatch::Mismatch},
      {"   1670.25", "F10.2", ' ', FormatMatch::Matches},
      {"1670.25", "F10.2", ' ', FormatMatch::Mismatch},
      {"12345", "I5", ' ', FormatMatch::Matches},
      {"1234", "I5", ' ', FormatMatch::Mismatch},
      {"-1234", "I5", ' ', FormatMatch::Mismatch},
      {"any text at all", "S", ' ', FormatMatch::Matches},
      {"ABC", "S3", ' ', FormatMatch::Matches},
      {"ABCD", "S3", ' ', FormatMatch::Mismatch},
      {"1.5E+03", "E0.00E+00", ' ', FormatMatch::Matches},
      {"1500", "E0.00E+00", ' ', FormatMatch::Mismatch},
      {"23/05/1957", "DD/MM/YYYY", ' ', FormatMatch::Matches},
      {"3/5/1957", "DD/MM/YYYY", ' ', FormatMatch::Mismatch},
      {"", "Q", ' ', FormatMatch::Matches},
      {"1.0,2.0", "F", ',', FormatMatch::Matches},
      {"1.0,x", "F", ',', FormatMatch::Mismatch},
      {"45\xB0 30' 12\"", "\xB0'\"", ',', FormatMatch::Matches},
      {"12", "Q", ' ', FormatMatch::Mismatch},
  };
  for (const Case& c : cases)
    EXPECT_EQ(valueMatchesFormat(c.value, c.format, c.delimiter), c.expected) << c.value << " {" << c.format << "}";
}

TEST(FormatValues, PaddedFieldsKeepTheirLeadingSpaces) {
  EXPECT_EQ(splitPaddedFields("  1.5   22.25"), (std::vector<std::string>{"  1.5", "   22.25"}));
  EXPECT_EQ(splitPaddedFields("1.5 "), (std::vector<std::string>{"1.5"}));
  EXPECT_EQ(splitPaddedFields("1.5   "), (std::vector<std::string>{"1.5", "   "}));
  EXPECT_EQ(splitPaddedFields(""), (std::vector<std::string>{""}));
}

}  // namespace
