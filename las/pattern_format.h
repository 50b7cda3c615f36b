#pragma once
// Date/time and numeric pattern formatting, independent of the machine's
// locale (English month and day names). Date/time patterns are made of the
// letters d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss (an "m"
// run right after an hour means minutes), AM/PM or A/P, and literal
// separators; letters are matched without regard to case. Numeric patterns
// use 0, #, ".", and an exponent part E+ or E-.
#include <optional>
#include <string>
#include <string_view>

namespace korrivan::las {

struct Moment {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// The sample moment used to judge date patterns: May 23, 1957 10:30:15.
inline constexpr Moment kSampleMoment{1957, 5, 23, 10, 30, 15};

// The moment written with a date/time pattern.
std::string formatMoment(const Moment& m, std::string_view pattern);

// Reads a text written with a date/time pattern; nullopt when the text does
// not follow the pattern or names no valid date.
std::optional<Moment> parseMoment(std::string_view text, std::string_view pattern);

// True when the text reads as a date, a time, or both (day/month/year in any
// order with month names allowed, h:mm[:ss] with an optional AM/PM).
bool isRecognisedDateTime(std::string_view text);

// A number written with a numeric pattern ("0.00E+00" writes 12 as
// "1.20E+01"); nullopt for a pattern it cannot apply.
std::optional<std::string> formatNumberPattern(double value, std::string_view pattern);

}  // namespace korrivan::las
