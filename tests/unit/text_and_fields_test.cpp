// Numbers as text, numeric reading and the field splitter.
#include <gtest/gtest.h>

#include <charconv>

#include "las/line_parser.h"
#include "base/text_utils.h"

using namespace korrivan::las;
using namespace korrivan::base;

TEST(NumberText, ShortestPlainForm) {
  EXPECT_EQ(numberText(1.2f), "1.2");
  EXPECT_EQ(numberText(2.0f), "2");
  EXPECT_EQ(numberText(3.0f), "3");
  EXPECT_EQ(numberText(0.0f), "0");
  EXPECT_EQ(numberText(-999.25f), "-999.25");
  EXPECT_EQ(numberText(1670.0), "1670");
  EXPECT_EQ(numberText(0.125), "0.125");
}

TEST(NumericReading, LeadingNumberTakesTheLongestNumberAtTheStart) {
  EXPECT_DOUBLE_EQ(leadingNumber("2.0"), 2.0);
  EXPECT_DOUBLE_EQ(leadingNumber("  3.0 ABC"), 3.0);
  EXPECT_DOUBLE_EQ(leadingNumber("1.2E1x"), 12.0);
  EXPECT_DOUBLE_EQ(leadingNumber("abc"), 0.0);
  EXPECT_DOUBLE_EQ(leadingNumber(""), 0.0);
  EXPECT_DOUBLE_EQ(leadingNumber("-0.125"), -0.125);
}

TEST(NumericReading, WholeTextMustBeANumber) {
  EXPECT_TRUE(isNumeric(" 12.5 "));
  EXPECT_TRUE(isNumeric("-3E2"));
  EXPECT_FALSE(isNumeric("12a"));
  EXPECT_FALSE(isNumeric(""));
  EXPECT_FALSE(isNumeric("."));
}

TEST(FieldSplitter, RunsOfSpacesAreOneSeparator) {
  EXPECT_EQ(countFields("1000.0    2.5   3.1", " "), 3u);
  EXPECT_EQ(countFields("   word   ", " "), 1u);
  EXPECT_EQ(countFields("", " "), 0u);
  auto f = splitFields("  a  b c  ", " ");
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0], "a");
  EXPECT_EQ(f[2], "c");
  EXPECT_EQ(splitFields("", " "), std::vector<std::string>{""});
}

TEST(FieldSplitter, OtherSeparatorsSplitAtEveryOccurrenceOutsideQuotes) {
  EXPECT_EQ(countFields("1,,3", ","), 3u);
  auto f = splitFields("1, \"a,b\" ,3", ",");
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[1], "\"a,b\"");
  EXPECT_EQ(countFields("1\t2\t3", "\t"), 3u);
}

TEST(UnsignedInteger, DigitsPassSignsPointsAndExponentsFail) {
  EXPECT_TRUE(isUnsignedInteger("12", ""));
  EXPECT_TRUE(isUnsignedInteger("0", ""));
  EXPECT_FALSE(isUnsignedInteger("-1", ""));
  EXPECT_FALSE(isUnsignedInteger("1.5", ""));
  EXPECT_FALSE(isUnsignedInteger("1E3", ""));
  EXPECT_FALSE(isUnsignedInteger("", ""));
  EXPECT_TRUE(isUnsignedInteger("123", "3"));
  EXPECT_FALSE(isUnsignedInteger("123", "2"));
  EXPECT_FALSE(isUnsignedInteger("123", "0"));
}

// The quick reading of plain decimals must give the very double a full
// parse gives.
TEST(NumericReading, PlainDecimalsReadExactly) {
  for (const char* text : {"1000.125", "0.1", "-999.25", "123456789012345", "1.23456789012345", "0.000000000000001",
                           "99999.99999", "1670.0000", "-0.30000000000000004", "1E5"}) {
    double full = 0;
    std::string_view t(text);
    std::from_chars(t.data(), t.data() + t.size(), full);
    EXPECT_EQ(leadingNumber(text), full) << text;
  }
}
