// LAS files tested against content specifications: the shipped examples,
// one hand-made case per rule, versions 1.2/2.0, files that cannot be
// tested, and every file of the shared corpus.
#include "compliance/compliance_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "compliance/content_spec_file.h"
#include "support/las_fixture.h"

using namespace korrivan::compliance;
using korrivan::test::ScratchDir;
namespace fs = std::filesystem;

namespace {

ContentSpec specOf(const std::string& rows) {
  ContentSpecReading read = parseContentSpec("Korrivan content specification 1\n" + rows);
  EXPECT_TRUE(read.ok()) << read.errors.front().text();
  return read.contentSpec;
}

std::vector<std::string> texts(const ComplianceResult& result) {
  std::vector<std::string> out;
  for (const ComplianceFinding& f : result.findings) out.push_back(findingText(f));
  return out;
}

const std::vector<std::string> kHeader30{
    "~Version",                                    // 1
    " VERS.   3.0 : CWLS LOG ASCII STANDARD 3.0",  // 2
    " WRAP.    NO : One line per depth step",      // 3
    " DLM . COMMA : Delimiter",                    // 4
};

std::string example(const std::string& name) { return std::string(KORRIVAN_EXAMPLES) + "/content/" + name; }

TEST(Compliance, ExampleFilesComplyOrNameEveryRuleBroken) {
  const ContentSpecReading essentials = readContentSpecFile(example("well_header_essentials.def"));
  const ContentSpecReading logData = readContentSpecFile(example("log_data_v30.def"));
  ASSERT_TRUE(essentials.ok() && logData.ok());

  for (const char* good : {"well_header_complies.las", "log_data_v30_complies.las"}) {
    const ComplianceResult r = testCompliance(essentials.contentSpec, example(good));
    EXPECT_EQ(r.verdict, ComplianceVerdict::Complies) << good << ": " << ::testing::PrintToString(texts(r));
  }
  EXPECT_EQ(testCompliance(logData.contentSpec, example("log_data_v30_complies.las")).verdict,
            ComplianceVerdict::Complies);

  const ComplianceResult well = testCompliance(essentials.contentSpec, example("well_header_fails.las"));
  EXPECT_EQ(well.verdict, ComplianceVerdict::DoesNotComply);
  EXPECT_EQ(texts(well), (std::vector<std::string>{
                             "line 9: STEP: unit must be filled",
                             "line 10: NULL: value -999.25 M doesn't look like this format: {F}",
                             "line 12: WELL: value must be filled",
                             "line 18: DATE: value 2026-12-08 doesn't look like this format: {DD-MMM-YYYY}",
                             "line 4: UWI not found in ~WELL",
                         }));
  EXPECT_EQ(well.findings[0].section, "Well");
  EXPECT_EQ(well.findings[0].part, SpecColumn::Unit);
  EXPECT_EQ(well.findings[0].contentSpecLine, 9);
  EXPECT_EQ(well.findings[0].finding.lineText, " STEP    .                 0.2500              :STEP");

  const ComplianceResult log = testCompliance(logData.contentSpec, example("log_data_v30_fails.las"));
  EXPECT_EQ(texts(log), (std::vector<std::string>{
                            "line 26: RUN[2]: value must be filled",
                            "line 27: RUN_DATE: value 2026-12-07 doesn't look like this format: {DD/MM/YYYY}",
                            "line 28: BS: unit is \"IN\", must be \"MM\"",
                            "line 30: MATR: association is \"\", must be \"RUN[1]\"",
                            "line 33: GR: value must NOT be filled, is \"45 310 01 00\"",
                            "line 31: NPHI not found in ~Log_Definition",
                        }));
}

TEST(Compliance, MnemonicRules) {
  ScratchDir dir;
  std::vector<std::string> lines = kHeader30;
  lines.insert(lines.end(), {
                                "~Log_Parameter",                 // 5
                                " RUNS  .    2 : Runs",           // 6
                                " RUN[1].    1 : Run 1",          // 7
                                " run[2].      : Run 2",          // 8
                                " MATR  . SAND : Matrix",         // 9
                                " MATR  .      : Matrix, again",  // 10
                                "# RUNX .    1 : commented out",  // 11
                            });
  const std::string file = dir.writeLas("m.las", lines);
  const ContentSpec contentSpec = specOf(
      "~Log_Parameter | RUN | Filled |  | Exact |  | Must be filled/Any Format |  |  |  | Optional |  | Optional\n"
      "~Log_Parameter | MATR | Exact |  | Exact |  | Must be filled/Any Format |  |  |  | Optional |  | Optional\n"
      "~Log_Parameter | RUNX | Exact |  | Exact |  | Optionally Fill/Any Format |  |  |  | Optional |  | Optional\n"
      "~Log_Parameter | NONE | Optional |  | Exact |  | Must be filled/Any Format |  |  |  | Optional |  | Optional\n"
      "~Log_Parameter | RUNS | Optional |  | Filled |  | Must be filled/Any Format |  |  |  | Optional |  | Optional\n"
      "~Log_Parameter | RUN | Exact |  | Exact |  | Must be filled/Any Format |  |  |  | Optional |  | Optional\n"
      "~Core_Parameter | CORE | Exact |  | Exact |  | Must be filled/Any Format |  |  |  | Optional |  | Optional\n"
      "~Core_Parameter | MAYBE | Optional |  | Exact |  | Must be filled/Any Format |  |  |  | Optional |  | "
      "Optional\n");
  const ComplianceResult r = testCompliance(contentSpec, file);
  EXPECT_EQ(r.verdict, ComplianceVerdict::DoesNotComply);
  EXPECT_EQ(texts(r), (std::vector<std::string>{
                          "line 6: RUNS: unit must be filled",         // Optional, but present: tested
                          "line 8: run[2]: value must be filled",      // Filled takes every RUN[n]
                          "line 10: MATR: value must be filled",       // every line of the mnemonic
                          "line 5: RUNX not found in ~Log_Parameter",  // a comment is no line
                          "line 5: RUN not found in ~Log_Parameter",   // Exact takes no RUN[n]
                          "CORE not found: the file has no ~Core_Parameter section",
                      }));
  EXPECT_EQ(r.findings[3].part, SpecColumn::Mnemonic);
  EXPECT_EQ(r.findings[3].finding.lineText, "");
}

TEST(Compliance, UnitValueFormatDescriptionAndAssociationRules) {
  ScratchDir dir;
  std::vector<std::string> lines = kHeader30;
  lines.insert(lines.end(),
               {
                   "~Log_Parameter",                           // 5
                   " U1 .M      1 : Unit exact",               // 6
                   " U2 .FT     1 : Unit exact, wrong",        // 7
                   " U3 .       1 : Unit filled, empty",       // 8
                   " U4 .M      1 : Unit must be empty",       // 9
                   " V1 .         : Must be filled",           // 10
                   " V2 .   12.5  : Must NOT be filled",       // 11
                   " V3 .   12.5  : Use Format F13.5",         // 12
                   " V4 . 1234567.12345 : Use Format F13.5",   // 13
                   " V5 .         : Optional with format",     // 14
                   " V6 .   ABC   : Optional with format",     // 15
                   " V7 .  1.5E+03 : Exponential",             // 16
                   " V8 .  1500   : Exponential",              // 17
                   " V9 . 23/May/1957 : Date",                 // 18
                   " VA . 12345   : Integer of ten",           // 19
                   " VB . 1.5,2.5 : Floats, comma delimited",  // 20
                   " VC . 1.5,X   : Floats, comma delimited",  // 21
                   " D1 .       1 : bit size",                 // 22
                   " D2 .       1 :",                          // 23
                   " A1 .       1 : Assoc {F} | RUN[1]",       // 24
                   " A2 .       1 : Assoc {F} | RUN[2]",       // 25
                   " A3 .       1 : Assoc",                    // 26
               });
  const std::string file = dir.writeLas("u.las", lines);
  auto row = [](const std::string& m, const std::string& unit, const std::string& unitRule, const std::string& value,
                const std::string& kind, const std::string& code, const std::string& desc, const std::string& descRule,
                const std::string& assoc, const std::string& assocRule) {
    return "~Log_Parameter | " + m + " | Exact | " + unit + " | " + unitRule + " |  | " + value + " | " + kind + " | " +
           code + " | " + desc + " | " + descRule + " | " + assoc + " | " + assocRule + "\n";
  };
  const std::string any = "Optionally Fill/Any Format";
  const ContentSpec contentSpec = specOf(
      row("U1", "m", "Exact", any, "", "", "", "Optional", "", "Optional") +
      row("U2", "M", "Exact", any, "", "", "", "Optional", "", "Optional") +
      row("U3", "", "Filled", any, "", "", "", "Optional", "", "Optional") +
      row("U4", "", "Exact", any, "", "", "", "Optional", "", "Optional") +
      row("V1", "", "Optional", "Must be filled/Any Format", "", "", "", "Optional", "", "Optional") +
      row("V2", "", "Optional", "Must NOT be filled", "", "", "", "Optional", "", "Optional") +
      row("V3", "", "Optional", "Must be filled/Use Format", "Floating Point", "F13.5", "", "Optional", "",
          "Optional") +
      row("V4", "", "Optional", "Must be filled/Use Format", "Floating Point", "F13.5", "", "Optional", "",
          "Optional") +
      row("V5", "", "Optional", "Optionally Fill/Use Format", "Floating Point", "F", "", "Optional", "", "Optional") +
      row("V6", "", "Optional", "Optionally Fill/Use Format", "Floating Point", "F", "", "Optional", "", "Optional") +
      row("V7", "", "Optional", "Must be filled/Use Format", "Exponential", "0.00E+00", "", "Optional", "",
          "Optional") +
      row("V8", "", "Optional", "Must be filled/Use Format", "Exponential", "0.00E+00", "", "Optional", "",
          "Optional") +
      row("V9", "", "Optional", "Must be filled/Use Format", "Date a/o Time", "DD/MMM/YYYY", "", "Optional", "",
          "Optional") +
      row("VA", "", "Optional", "Must be filled/Use Format", "Integer", "I10", "", "Optional", "", "Optional") +
      row("VB", "", "Optional", "Must be filled/Use Format", "Floating Point", "F", "", "Optional", "", "Optional") +
      row("VC", "", "Optional", "Must be filled/Use Format", "Floating Point", "F", "", "Optional", "", "Optional") +
      row("D1", "", "Optional", any, "", "", "BIT SIZE", "Exact", "", "Optional") +
      row("D2", "", "Optional", any, "", "", "", "Filled", "", "Optional") +
      row("A1", "", "Optional", any, "", "", "", "Optional", "RUN[1]", "Must") +
      row("A2", "", "Optional", any, "", "", "", "Optional", "RUN[1]", "Must") +
      row("A3", "", "Optional", any, "", "", "", "Optional", "", "Must"));
  const ComplianceResult r = testCompliance(contentSpec, file);
  EXPECT_EQ(texts(r), (std::vector<std::string>{
                          "line 7: U2: unit is \"FT\", must be \"M\"",
                          "line 8: U3: unit must be filled",
                          "line 9: U4: unit is \"M\", must be empty",
                          "line 10: V1: value must be filled",
                          "line 11: V2: value must NOT be filled, is \"12.5\"",
                          "line 12: V3: value 12.5 doesn't look like this format: {F13.5}",
                          "line 15: V6: value ABC doesn't look like this format: {F}",
                          "line 17: V8: value 1500 doesn't look like this format: {0.00E+00}",
                          "line 19: VA: value 12345 doesn't look like this format: {I10}",
                          "line 21: VC: value 1.5,X doesn't look like this format: {F}",
                          "line 23: D2: description must be filled",
                          "line 25: A2: association is \"RUN[2]\", must be \"RUN[1]\"",
                          "line 26: A3: association must be filled",
                      }));
  EXPECT_EQ(r.findings[5].part, SpecColumn::FormatKind);
  EXPECT_EQ(r.findings[11].part, SpecColumn::Association);
}

TEST(Compliance, SectionsOfDataSetsAndOfClassicVersions) {
  ScratchDir dir;
  std::vector<std::string> lines = kHeader30;
  lines.insert(lines.end(), {
                                "~Core_Definition[1]",                 // 5
                                " CDEP .M : Core depth",               // 6
                                "~Core_Definition[2]",                 // 7
                                " CPOR .% : Core porosity",            // 8
                                "~Core_Data[1] | Core_Definition[1]",  // 9
                                "1500.0",                              // 10
                            });
  const ContentSpec contentSpec = specOf(
      "~Core_Definition | CDEP | Exact | M | Exact |  | Optionally Fill/Any Format |  |  |  | Optional |  | "
      "Optional\n"
      "~Core_Data | CDEP | Exact |  | Optional |  | Optionally Fill/Any Format |  |  |  | Optional |  | Optional\n");
  EXPECT_EQ(texts(testCompliance(contentSpec, dir.writeLas("core.las", lines))),
            (std::vector<std::string>{
                "line 7: CDEP not found in ~Core_Definition[2]",
                "line 9: CDEP not found in ~Core_Data[1] (a data section holds no parameter lines)",
            }));

  // Version 2.0: the Log group's sections are ~P, ~C and ~A; lines carry no association.
  const std::string v20 = dir.writeLas("v20.las", {
                                                      "~V",                          // 1
                                                      " VERS. 2.0 : Version",        // 2
                                                      " WRAP.  NO : Wrap",           // 3
                                                      "~W",                          // 4
                                                      " STRT.M 1500.0 : Start",      // 5
                                                      "~C",                          // 6
                                                      " DEPT.FT : Depth | RUN[1]",   // 7
                                                      "~P",                          // 8
                                                      " BHT.DEGC 35 : Bottom hole",  // 9
                                                      "~A",                          // 10
                                                      "1500.0",                      // 11
                                                  });
  const ContentSpec classic = specOf(
      "~Well | STRT | Exact | M | Exact |  | Must be filled/Use Format | Floating Point | F |  | Optional |  | "
      "Optional\n"
      "~Log_Definition | DEPT | Exact | M | Exact |  | Optionally Fill/Any Format |  |  |  | Optional |  | Must\n"
      "~Parameter | BHT | Exact | DEGC | Exact |  | Must be filled/Use Format | Integer | I |  | Optional |  | "
      "Optional\n"
      "~Log_Parameter | BHT | Exact | DEGF | Exact |  | Optionally Fill/Any Format |  |  |  | Optional |  | "
      "Optional\n"
      "~Core_Parameter | CORE | Exact |  | Exact |  | Optionally Fill/Any Format |  |  |  | Optional |  | Optional\n");
  const ComplianceResult r = testCompliance(classic, v20);
  EXPECT_EQ(r.version, 2.0f);
  EXPECT_EQ(texts(r), (std::vector<std::string>{
                          "line 9: BHT: unit is \"DEGC\", must be \"DEGF\"",
                          "line 7: DEPT: unit is \"FT\", must be \"M\"",
                          "CORE not found: the file has no ~Core_Parameter section",
                      }));
}

TEST(Compliance, FilesThatCannotBeTested) {
  ScratchDir dir;
  const ContentSpec contentSpec = specOf(
      "~Well | STRT | Exact |  | Exact |  | Must be filled/Any Format |  |  |  | "
      "Optional |  | Optional\n");
  const ComplianceResult missing = testCompliance(contentSpec, (dir.path() / "none.las").string());
  EXPECT_EQ(missing.verdict, ComplianceVerdict::NotTested);
  EXPECT_EQ(missing.error, "File not found");
  const ComplianceResult noVersion = testCompliance(contentSpec, dir.writeLas("x.las", {"~Well", " STRT.M 1 : x"}));
  EXPECT_EQ(noVersion.verdict, ComplianceVerdict::NotTested);
  EXPECT_EQ(noVersion.error, "no LAS version (VERS) could be read before the data section");
  const ComplianceResult unix =
      testCompliance(contentSpec, dir.write("lf.las", "~V\n VERS. 2.0 : v\n~W\n STRT.M 1 : x\n"));
  EXPECT_EQ(unix.error, "the lines end in LF alone; LAS lines end in CR LF");
  // An empty content specification: every LAS file complies.
  EXPECT_EQ(testCompliance(newContentSpec(), example("well_header_fails.las")).verdict, ComplianceVerdict::Complies);
}

// Every file of the shared corpus ends in a verdict or a reason, never a crash.
TEST(Compliance, EveryCorpusFileGetsAVerdictOrAReason) {
  const fs::path corpus(KORRIVAN_CORPUS);
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;
  const ContentSpecReading logData = readContentSpecFile(example("log_data_v30.def"));
  const ContentSpecReading essentials = readContentSpecFile(example("well_header_essentials.def"));
  int tested = 0, reasons = 0;
  for (const fs::path& file : korrivan::test::lasFilesBelow(corpus)) {
    for (const ContentSpec* contentSpec : {&logData.contentSpec, &essentials.contentSpec}) {
      const ComplianceResult r = testCompliance(*contentSpec, file.string());
      if (r.verdict == ComplianceVerdict::NotTested) {
        EXPECT_FALSE(r.error.empty()) << file;
        ++reasons;
      } else {
        EXPECT_EQ(r.verdict == ComplianceVerdict::Complies, r.findings.empty()) << file;
        ++tested;
      }
    }
  }
  // Most corpus files end their lines in LF alone, which no LAS reading of
  // this program takes; they are not tested, and say why.
  EXPECT_GT(tested, 30);
  EXPECT_GT(reasons, 300);
}

}  // namespace
