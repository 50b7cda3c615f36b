// korrivan-cli convert: the command line parsed as the tool parses it, the
// exit status, the one line on stderr, and OUT written only when allowed.
#include "cli/convert_verb.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <sstream>

#include "support/las_fixture.h"

namespace fs = std::filesystem;
using korrivan::test::readFile;
using korrivan::test::ScratchDir;

namespace {

struct VerbRun {
  int status = -1;
  std::string out, err;
};

VerbRun convert(std::vector<std::string> args) {
  CLI::App app{"korrivan-cli"};
  app.require_subcommand(1);
  korrivan::cli::ConvertVerb verb(app);
  args.insert(args.begin(), "convert");
  std::vector<const char*> argv{"korrivan-cli"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  VerbRun r;
  try {
    app.parse(static_cast<int>(argv.size()), const_cast<char**>(argv.data()));
  } catch (const CLI::ParseError& e) {
    r.status = 2;
    r.err = e.what();
    return r;
  }
  EXPECT_TRUE(verb.chosen());
  std::ostringstream out, err;
  r.status = verb.run(out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

std::string copyCase(const ScratchDir& dir, const std::string& relative) {
  const fs::path to = dir.path() / fs::path(relative).filename();
  fs::copy_file(fs::path(KORRIVAN_CASES) / relative, to);
  return to.string();
}

TEST(ConvertVerb, WritesOutOnlyWhenAllowedAndSaysWhyNotInOneLine) {
  ScratchDir dir;
  const std::string in = copyCase(dir, "v20/pass_wrapped_three_lines_per_depth_W.las");
  const std::string out = (dir.path() / "out.las").string();

  VerbRun r = convert({in, out, "--dlm", "comma", "--titles", "log"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Wrote " + out + " as a LAS version 3.0 file (DLM COMMA"), std::string::npos) << r.out;
  const std::string written = readFile(out);
  EXPECT_NE(written.find("\r\n~Log_Data | Log_Definition\r\n1500.0000,1.0000,2.0000,"), std::string::npos);

  // OUT exists: refused without --force, replaced with it.
  r = convert({in, out});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "korrivan-cli convert: " + out + " exists; give --force to replace it\n");
  EXPECT_EQ(readFile(out), written);
  r = convert({in, out, "--force"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(out).find("\r\n~ASCII\r\n1500.0000       1.0000"), std::string::npos);

  // A file converted onto itself.
  const std::string self = (dir.path() / "self.las").string();
  fs::copy_file(in, self);
  r = convert({self, self, "--force", "--dlm", "tab"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(self).find("\r\n1500.0000\t1.0000\t2.0000\t"), std::string::npos);

  // Only unwrapped: still version 2.0, WRAP NO.
  const std::string unwrapped = (dir.path() / "unwrapped.las").string();
  r = convert({in, unwrapped, "--unwrap-only"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(unwrapped).find(" VERS.   2.0 : CWLS"), std::string::npos);
  EXPECT_NE(readFile(unwrapped).find(" WRAP.   NO  : MULTIPLE"), std::string::npos);

  // Nothing to unwrap, a missing input, a 3.0 input, a bad option: status 2, one line, no OUT.
  const std::string none = (dir.path() / "none.las").string();
  r = convert({unwrapped, none, "--unwrap-only"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "korrivan-cli convert: " + unwrapped + ": the data section is not wrapped; nothing was written\n");
  r = convert({(dir.path() / "missing.las").string(), none});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "korrivan-cli convert: " + (dir.path() / "missing.las").string() + ": no such LAS file\n");
  r = convert({copyCase(dir, "v30/pass_standard.las"), none});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Only version 1.2 and 2.0 files are converted"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_EQ(convert({in, none, "--dlm", "semicolon"}).status, 2);
  EXPECT_FALSE(fs::exists(none));
}

}  // namespace
