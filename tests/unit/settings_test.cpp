// Start-up options read from the settings store: the texts "-1" and " 0" and
// what every other text becomes.
#include <gtest/gtest.h>

#include "app/settings_store.h"

using korrivan::app::optionFromText;

TEST(Settings, OptionTextsNormalised) {
  EXPECT_EQ(optionFromText("-1"), true);
  EXPECT_EQ(optionFromText(" 0"), false);
  EXPECT_EQ(optionFromText(""), false);
  EXPECT_EQ(optionFromText("5"), false);  // any other number is false
  EXPECT_EQ(optionFromText("1"), false);
  EXPECT_EQ(optionFromText("abc"), std::nullopt);    // unreadable: both options false
  EXPECT_EQ(optionFromText("70000"), std::nullopt);  // beyond a 16-bit number
}
