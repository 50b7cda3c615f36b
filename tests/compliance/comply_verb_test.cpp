// The comply verb as the pipeline tool runs it: its command line, the three
// output formats, the exit status, and parallel runs giving the output of
// one job.
#include "cli/comply_verb.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/las_fixture.h"

using korrivan::cli::ComplyOptions;

namespace {

std::string example(const std::string& name) { return std::string(KORRIVAN_EXAMPLES) + "/content/" + name; }

struct VerbRun {
  int status = -1;
  std::string out, err;
};

VerbRun comply(std::vector<std::string> args) {
  CLI::App app("korrivan-cli");
  ComplyOptions options;
  korrivan::cli::addComplyVerb(app, options);
  args.insert(args.begin(), "comply");
  std::reverse(args.begin(), args.end());
  app.parse(args);
  std::ostringstream out, err;
  VerbRun run;
  run.status = korrivan::cli::runComply(options, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(ComplyVerb, TextReportAndExitStatus) {
  const std::string contentSpec = example("well_header_essentials.def");
  const VerbRun good = comply({contentSpec, example("well_header_complies.las"), example("log_data_v30_complies.las")});
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.out, example("well_header_complies.las") + ": complies\n" + example("log_data_v30_complies.las") +
                          ": complies\n2 files: 2 comply, 0 do not comply, 0 not tested\n");

  const VerbRun bad = comply({contentSpec, example("well_header_fails.las"), example("none.las")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, example("well_header_fails.las") +
                         ": does not comply (5 findings)\n"
                         "  ~Well line 9: STEP: unit must be filled\n"
                         "  ~Well line 10: NULL: value -999.25 M doesn't look like this format: {F}\n"
                         "  ~Well line 12: WELL: value must be filled\n"
                         "  ~Well line 18: DATE: value 2026-12-08 doesn't look like this format: {DD-MMM-YYYY}\n"
                         "  ~Well line 4: UWI not found in ~WELL\n" +
                         example("none.las") +
                         ": not tested: File not found\n"
                         "2 files: 0 comply, 1 do not comply, 1 not tested\n");
  EXPECT_EQ(bad.err, "");
}

TEST(ComplyVerb, JsonLinesAndCsv) {
  const std::string contentSpec = example("log_data_v30.def");
  const VerbRun json = comply({contentSpec, example("log_data_v30_fails.las"), example("log_data_v30_complies.las"),
                               "--format", "jsonl", "--jobs", "2"});
  EXPECT_EQ(json.status, 1);
  std::istringstream lines(json.out);
  std::string line;
  std::vector<nlohmann::json> objects;
  while (std::getline(lines, line)) objects.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0]["result"], "does not comply");
  EXPECT_EQ(objects[0]["version"], "3");
  EXPECT_EQ(objects[0]["content_spec"], contentSpec);
  ASSERT_EQ(objects[0]["findings"].size(), 6u);
  const nlohmann::json& unit = objects[0]["findings"][2];
  EXPECT_EQ(unit["section"], "Log_Parameter");
  EXPECT_EQ(unit["mnemonic"], "BS");
  EXPECT_EQ(unit["part"], "UNIT");
  EXPECT_EQ(unit["line"], 28);
  EXPECT_EQ(unit["contentSpecLine"], 12);
  EXPECT_EQ(unit["message"], "BS: unit is \"IN\", must be \"MM\"");
  EXPECT_EQ(unit["lineText"], " BS       .IN         8.75                : Bit Size {F} | RUN[1]");
  EXPECT_EQ(objects[1]["result"], "complies");
  EXPECT_TRUE(objects[1]["findings"].empty());

  korrivan::test::ScratchDir dir;
  const std::string odd = (dir.path() / "a, \"b\".las").string();
  std::filesystem::copy_file(example("log_data_v30_fails.las"), odd);
  const VerbRun csv = comply({contentSpec, odd, "--format", "CSV"});
  std::string quoted = "\"";
  for (char c : odd) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  EXPECT_EQ(csv.out, "path,version,result,findings,first_line,first_finding\n" + quoted +
                         "\",3,does not comply,6,26,~Log_Parameter RUN[2]: value must be filled\n");
}

TEST(ComplyVerb, ParallelRunsWriteTheOutputOfOneJob) {
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i)
    for (const char* name : {"log_data_v30_fails.las", "well_header_complies.las", "missing.las"})
      files.push_back(example(name));
  auto run = [&files](const char* jobs) {
    std::vector<std::string> args{example("log_data_v30.def")};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), {"--format", "jsonl", "--jobs", jobs});
    return comply(args).out;
  };
  const std::string one = run("1");
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 36);
  EXPECT_EQ(run("2"), one);
  EXPECT_EQ(run("7"), one);
}

TEST(ComplyVerb, UnreadableSpecificationAndBadOptions) {
  korrivan::test::ScratchDir dir;
  const std::string contentSpec =
      dir.write("bad.def", "Korrivan content specification 1\n~Well | STRT\n~Wel | X | | | | | | | | | | |\n");
  const VerbRun run = comply({contentSpec, example("well_header_complies.las")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "korrivan-cli comply: " + contentSpec +
                         ": line 2: a row holds 13 fields separated by \"|\" (the section and twelve cells); this "
                         "line holds 2\n"
                         "korrivan-cli comply: " +
                         contentSpec +
                         ": line 3: \"~Wel\" is not a section of a content specification (~Version, ~Well, "
                         "~Parameter, or ~GROUP_Parameter, ~GROUP_Definition, ~GROUP_Data)\n");
  EXPECT_EQ(comply({(dir.path() / "none.def").string(), "x.las"}).err,
            "korrivan-cli comply: " + (dir.path() / "none.def").string() + ": File not found\n");
  EXPECT_THROW(comply({contentSpec, "x.las", "--format", "xml"}), CLI::ParseError);
  EXPECT_THROW(comply({contentSpec, "x.las", "--jobs", "0"}), CLI::ParseError);
  EXPECT_THROW(comply({contentSpec}), CLI::ParseError);
}

}  // namespace
