// Version 3.0 header-line rules: each example line and the rule texts it gives.
#include "checks/line_rules.h"

#include <gtest/gtest.h>

using korrivan::checks::checkHeaderLine3;
using korrivan::checks::isValidAssociation;

namespace {

struct Case {
  const char* line;
  const char* section;
  char delimiter;
  std::vector<std::pair<int, std::string>> rules;  // the non-empty rule texts
};

TEST(HeaderLine3, ExampleLines) {
  const Case cases[] = {
      {"STRT.M 1670.0 : START DEPTH", "Well", ' ', {}},
      {"DEPT.M;X 100 : Depth", "Well", ' ', {{2, "M;X"}}},
      {"ABC.M 10 DEF", "Parameter", ' ', {{10, "Unknown line type"}}},
      {"A:B.C", "Parameter", ' ', {{10, "Unrecognizable line"}}},
      {"ABC.M 10 DEF", "Other", ' ', {{10, "Line in un-defined tilde (~) section. "}}},
      {"A:B.C", "Cores", ' ', {{10, "Line in un-defined tilde (~) section. "}}},
      {"TIME.S 12:30 : Time {hh:mm}", "Log_Parameter[1]", ' ', {}},
      {"GR.GAPI 0 : Gamma | {F}",
       "Log_Parameter",
       ' ',
       {{4, "Gamma |"},
        {5, "| (bar) must occur AFTER format {} characters"},
        {6, "{ or } found after | delimiter"},
        {8, "GR.GAPI 0 : Gamma | {F}"}}},
      {"GR.GAPI : Gamma {F}{F}", "Curve", ' ', {{4, "Gamma {F}"}, {6, "More than one of either { } format delimiter"}}},
      {"CALI.IN 8 : Caliper | GR DT", "Parameter", ',', {{8, "CALI.IN 8 : Caliper | GR DT"}}},
      {"CALI.IN 8 : Caliper | GR,DT", "Parameter", ',', {}},
      {"BHT.DEGC 35.5 : Temperature {F10.2}",
       "Parameter",
       ' ',
       {{6, "Bad Format: 35.5 doesn't look like this format: {F10.2}"}}},
      {"BHT.DEGC 35.5 : Temperature {F10.2}", "Log_Definition", ' ', {}},
      {"BHT.DEGC 35.5 : Temperature {}", "Parameter", ' ', {{7, "Format delimiters empty"}}},
      {"BHT.DEGC 35.5 : Temperature {X1}",
       "Parameter",
       ' ',
       {{6, "Bad Format: 35.5 doesn't look like this format: {X1}"}, {7, "Illegal Format"}}},
      {"BHT.DEGC 35.5 : Temperature }F{", "Parameter", ' ', {{4, "Temperature }F"}, {6, "Wrong order of { and }"}}},
      {"BHT.DEGC 35.5 : Temperature {F", "Parameter", ' ', {{6, "Missing either { or }"}}},
      {"BH,T.DE GC 3{5 : Tem;p", "Parameter", ' ', {{1, "BH,T"}, {3, "GC 3{5"}, {4, "Tem;p"}}},
      {"X.M 1 : a | B", "Parameter", ' ', {}},
      {"X.M 1 | B : a", "Parameter", ' ', {{3, "1 | B"}, {5, "| (bar) must occur AFTER last colon"}}},
      {"  # comment", "Other", ' ', {}},
  };
  for (const Case& c : cases) {
    auto rules = checkHeaderLine3(c.line, c.section, 3.0f, c.delimiter);
    std::vector<std::pair<int, std::string>> got;
    for (int k = 1; k <= 10; ++k)
      if (!rules[static_cast<std::size_t>(k)].empty()) got.emplace_back(k, rules[static_cast<std::size_t>(k)]);
    EXPECT_EQ(got, c.rules) << c.line << " in ~" << c.section;
  }
}

TEST(HeaderLine3, AssociationListsByDelimiter) {
  EXPECT_TRUE(isValidAssociation("X.M 1 : d", ' '));
  EXPECT_TRUE(isValidAssociation("X.M 1 : d | A B", ' '));
  EXPECT_FALSE(isValidAssociation("X.M 1 : d | A,B", ' '));
  EXPECT_FALSE(isValidAssociation("X.M 1 : d | A\tB", ','));
  EXPECT_TRUE(isValidAssociation("X.M 1 : d | A\tB", '\t'));
  EXPECT_FALSE(isValidAssociation("X.M 1 : d | A;B", '\t'));
}

}  // namespace
