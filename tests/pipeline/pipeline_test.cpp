// korrivan-cli as a black box: exit statuses, the JSON Lines checked against
// their schema and against the classic reports of the certification cases,
// the read-only default and --repair, shards, parallel runs, files that
// vanish or turn unreadable while a run goes on, and the command log.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "base/las_file_lock.h"
#include "json_schema_check.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using korrivan::test::readFile;
using korrivan::test::ScratchDir;
using korrivan::test::splitCrLf;
using nlohmann::json;

namespace {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<json> records() const {
    std::vector<json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    return lines;
  }
};

// korrivan-cli linked into the scratch folder's bin/, so that its command
// log is the test's own; runs with the scratch folder as working folder.
class Cli {
public:
  explicit Cli(const ScratchDir& dir) : dir_(dir) {
    fs::create_directories(dir.path() / "bin");
    fs::permissions(dir.path() / "bin", fs::perms::all);
    exe_ = dir.path() / "bin" / "korrivan-cli";
    std::error_code ec;
    fs::create_hard_link(KORRIVAN_CLI_EXE, exe_, ec);
    if (ec) fs::copy_file(KORRIVAN_CLI_EXE, exe_, fs::copy_options::overwrite_existing);
  }

  pid_t start(const std::vector<std::string>& args, uid_t user = ::geteuid()) {
    const int n = runs_++;
    outPath_ = (dir_.path() / ("out-" + std::to_string(n))).string();
    errPath_ = (dir_.path() / ("err-" + std::to_string(n))).string();
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (::chdir(dir_.path().c_str()) != 0) ::_exit(127);
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
    if (user != ::geteuid() && (::setgid(user) != 0 || ::setuid(user) != 0)) ::_exit(127);
    std::vector<std::string> copy = args;
    std::string exe = exe_.string();
    std::vector<char*> argv{exe.data()};
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }

  CliResult finish(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath_), readFile(errPath_)};
  }

  CliResult run(const std::vector<std::string>& args) { return finish(start(args)); }

  std::vector<std::string> commandLogLines() const {
    return splitCrLf(readFile((dir_.path() / "bin/command.log").string()));
  }

private:
  const ScratchDir& dir_;
  fs::path exe_;
  int runs_ = 0;
  std::string outPath_, errPath_;
};

std::vector<std::string> good20(const std::string& stop = "1669.7500", const std::string& vers = "2.0") {
  return {"~VERSION INFORMATION",
          " VERS.                  " + vers + " :   CWLS LOG ASCII STANDARD -VERSION 2.0",
          " WRAP.                  NO  :   ONE LINE PER DEPTH STEP",
          "~WELL INFORMATION",
          " STRT    .M              1670.0000                :START DEPTH",
          " STOP    .M              " + stop + "                :STOP DEPTH",
          " STEP    .M              -0.1250                  :STEP",
          " NULL    .               -999.25                  :NULL VALUE",
          " COMP    .       ANY OIL COMPANY INC.             :COMPANY",
          " WELL    .       AAAAA_2                          :WELL",
          " FLD     .       WILDCAT                          :FIELD",
          " LOC     .       12-34-12-34W5M                   :LOCATION",
          " PROV    .       ALBERTA                          :PROVINCE",
          " SRVC    .       ANY LOGGING COMPANY INC.         :SERVICE COMPANY",
          " DATE    .       13-DEC-86                        :LOG DATE",
          " UWI     .       100123401234W500                 :UNIQUE WELL ID",
          "~CURVE INFORMATION",
          " DEPT    .M                                       :  1  DEPTH",
          " DT      .US/M                                    :  2  SONIC TRANSIT TIME",
          "~A  DEPTH     DT",
          "1670.000   123.450",
          "1669.875   123.450",
          "1669.750   123.450"};
}

// Writes a LAS file below the scratch folder, making its folders.
std::string writeLasAt(const ScratchDir& dir, const std::string& name, const std::vector<std::string>& lines) {
  fs::create_directories((dir.path() / name).parent_path());
  return dir.writeLas(name, lines);
}

// The certification cases copied below `to` (a run may repair a copy).
void copyCases(const fs::path& to) {
  fs::copy(KORRIVAN_CASES, to, fs::copy_options::recursive);
  for (const auto& e : fs::recursive_directory_iterator(to))
    if (e.path().extension() != ".las" && e.is_regular_file()) fs::remove(e.path());
}

json loadSchema() { return json::parse(readFile(KORRIVAN_SCHEMA)); }

std::multiset<std::string> lines(const std::string& text) {
  std::multiset<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.insert(line);
  return out;
}

// The report's lines from "Result: " on, as the JSON record tells them.
std::vector<std::string> reportBodyOf(const json& r) {
  std::vector<std::string> out{"Result: " + r["result_text"].get<std::string>(), ""};
  for (const json& g : r["groups"]) {
    const int n = g["group"];
    out.push_back((n < 10 ? "0" : "") + std::to_string(n) + ": " + g["title"].get<std::string>());
    for (const json& c : g["checks"]) {
      const std::string letter = c["id"].get<std::string>().substr(2);
      if (c["outcome"] == "passed") {
        out.push_back("        " + letter + ". " + c["name"].get<std::string>());
        continue;
      }
      out.push_back("Failed: " + letter + ". " + c["name"].get<std::string>());
      for (const json& e : c["errors"]) out.push_back("Errors: " + e.get<std::string>());
    }
  }
  out.push_back("");
  return out;
}

TEST(PipelineExitStatus, ZeroOneOrTwo) {
  ScratchDir dir;
  Cli cli(dir);
  const std::string good = dir.writeLas("good.las", good20());
  const std::string bad = dir.writeLas("bad.las", good20("1600.0000"));
  const std::string v4 = dir.writeLas("v4.las", good20("1669.7500", "4.0"));

  CliResult passed = cli.run({"certify", good, "--format", "text"});
  EXPECT_EQ(passed.status, 0) << passed.out << passed.err;
  EXPECT_EQ(passed.out, good + ": PASSED (LAS 2.0)\n1 file: 1 passed, 0 failed, 0 not certified\n");
  EXPECT_EQ(passed.err, "");
  EXPECT_EQ(cli.run({"certify", good, bad}).status, 1);
  EXPECT_EQ(cli.run({"certify", v4, good}).status, 1);

  for (const std::vector<std::string>& usage : {std::vector<std::string>{},
                                                {"certify"},
                                                {"certify", good, "--shard", "2/2"},
                                                {"certify", good, "--shard", "x"},
                                                {"certify", good, "--format", "xml"},
                                                {"certify", good, "--jobs", "0"},
                                                {"certify", good, "--bogus"},
                                                {"convert", good}}) {
    CliResult r = cli.run(usage);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(usage);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
  // A PATH that is not there is an error of the run (2); the others are still certified.
  CliResult missing = cli.run({"certify", (dir.path() / "nowhere").string(), good, "--format", "jsonl"});
  EXPECT_EQ(missing.status, 2);
  ASSERT_EQ(missing.records().size(), 1u);
  EXPECT_EQ(missing.records()[0]["result"], "passed");
  EXPECT_NE(missing.err.find("nowhere"), std::string::npos);
  // A report that cannot be written is an I/O error too, and the verdict still comes.
  dir.write("blocked", "a file where the report folder should be");
  CliResult noFolder = cli.run({"certify", good, "--report-dir", (dir.path() / "blocked" / "sub").string()});
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_EQ(noFolder.out, "");

  // Two files would share a report: the later one gets none, says why, and the run ends with 2.
  const std::string namesake = writeLasAt(dir, "other/good.las", good20());
  CliResult clash = cli.run({"certify", good, namesake, "--report-dir", "reports", "--format", "jsonl"});
  EXPECT_EQ(clash.status, 2);
  ASSERT_EQ(clash.records().size(), 2u);
  EXPECT_EQ(clash.records()[0]["report"], "reports/good.las.log");
  EXPECT_EQ(clash.records()[1]["result"], "passed");
  EXPECT_FALSE(clash.records()[1].contains("report"));
  EXPECT_NE(clash.records()[1]["report_error"].get<std::string>().find("already the report of " + good),
            std::string::npos);

  CliResult help = cli.run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("certify"), std::string::npos);
  CliResult version = cli.run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "korrivan-cli " KORRIVAN_VERSION "\n");
}

// Every case file: its JSON record satisfies the schema and tells exactly
// what its classic report says; the report written with --report-dir is the
// classic report itself.
TEST(PipelineJsonLines, AgreeWithTheClassicReportsOfEveryCase) {
  ScratchDir dir;
  Cli cli(dir);
  copyCases(dir.path() / "cases");
  fs::create_directories(dir.path() / "wrap");
  for (const fs::path& las : korrivan::test::lasFilesBelow(dir.path() / "cases"))
    if (las.stem().string().ends_with("_W")) fs::rename(las, dir.path() / "wrap" / las.filename());
  // The batch run repairs a NULL STOP: so does this run, to give the same verdicts.
  CliResult plain =
      cli.run({"certify", "cases", "--recursive", "--repair", "--report-dir", "reports", "--format", "jsonl"});
  CliResult wrap =
      cli.run({"certify", "wrap", "--wrap-check", "--repair", "--report-dir", "reports", "--format", "jsonl"});
  EXPECT_EQ(plain.err + wrap.err, "");

  const json schema = loadSchema();
  std::vector<json> records = plain.records();
  for (const json& r : wrap.records()) records.push_back(r);
  EXPECT_EQ(records.size(), korrivan::test::lasFilesBelow(KORRIVAN_CASES).size());
  for (const json& r : records) {
    const std::string path = r["path"];
    SCOPED_TRACE(path);
    EXPECT_EQ(korrivan::test::schemaViolation(r, schema), "");
    const fs::path name = fs::path(path).filename();
    const fs::path folder = fs::path(path).parent_path().filename();
    fs::path expectedPath = fs::path(KORRIVAN_CASES) / (folder == "wrap" ? "v20" : "") / path.substr(6);
    if (folder == "wrap") expectedPath = fs::path(KORRIVAN_CASES) / "v20" / name;
    expectedPath.replace_extension(".expected");
    const std::vector<std::string> expected = splitCrLf(readFile(expectedPath.string()));
    ASSERT_GT(expected.size(), 1u) << expectedPath;
    if (expected[0] == "NO REPORT") {
      EXPECT_EQ(r["result"], "not certified");
      EXPECT_EQ(r["reason"]["message"], expected.back());
      EXPECT_FALSE(r.contains("report"));
      continue;
    }
    EXPECT_EQ(r["result"],
              r["result_text"].get<std::string>().find("PASSED") != std::string::npos ? "passed" : "failed");
    EXPECT_EQ(reportBodyOf(r), std::vector<std::string>(expected.begin() + 3, expected.end()));
    const std::string report = readFile((dir.path() / r["report"].get<std::string>()).string());
    std::vector<std::string> written = splitCrLf(report);
    ASSERT_GT(written.size(), 3u);
    EXPECT_EQ(written[0], "LAS Certification Result for: " + path);
    EXPECT_EQ(std::vector<std::string>(written.begin() + 2, written.end()),
              std::vector<std::string>(expected.begin() + 2, expected.end()));
  }
}

TEST(PipelineRepair, ReadOnlyUnlessAskedAndSaysWhatItWouldWrite) {
  ScratchDir dir;
  Cli cli(dir);
  const fs::path original = fs::path(KORRIVAN_CASES) / "v20" / "pass_null_stop_repaired.las";
  const std::string las = (dir.path() / "null_stop.las").string();
  fs::copy_file(original, las);
  const std::string before = readFile(las);

  CliResult readOnly = cli.run({"certify", las, "--format", "jsonl"});
  EXPECT_EQ(readOnly.status, 1);
  EXPECT_EQ(readFile(las), before);
  const json r = readOnly.records().at(0);
  EXPECT_EQ(r["first_failure"]["id"], "06c");
  const std::string said = r["groups"][5]["checks"][2]["errors"][0];
  EXPECT_NE(said.find("was not repaired (read-only run); the repair would write the last index"), std::string::npos);

  CliResult repaired = cli.run({"certify", las, "--repair", "--format", "jsonl"});
  EXPECT_EQ(repaired.status, 0);
  EXPECT_NE(readFile(las), before);
  EXPECT_EQ(repaired.records().at(0)["result"], "passed");
}

// Files that are no LAS well log at all keep their report's verdict; the
// record and the text line add the plain reason.
TEST(PipelineNotLas, SaysWhyAFileIsNoWellLog) {
  ScratchDir dir;
  Cli cli(dir);
  const std::string lidar = dir.write("cloud.las", std::string("LASF\0\0\0\0", 8) + std::string(300, '\x01'));
  const std::string utf16 = dir.write("wide.las", std::string("\xFF\xFE~\0V\0\r\0\n\0", 10));
  const std::string bom = dir.write("bom.las", "\xEF\xBB\xBF~Version\r\n VERS. 2.0 : v\r\n");
  const std::string plain = writeLasAt(dir, "plain.las", good20());
  CliResult lines = cli.run({"certify", lidar, utf16, bom, plain, "--format", "jsonl", "--jobs", "1"});
  const std::vector<json> records = lines.records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0]["not_las"], "LiDAR point cloud, not a well log");
  EXPECT_EQ(records[1]["not_las"], "UTF-16 text");
  EXPECT_EQ(records[2]["not_las"], "UTF-8 byte-order mark before the first section");
  EXPECT_FALSE(records[3].contains("not_las"));
  const json schema = loadSchema();
  for (const auto& r : records) EXPECT_EQ(korrivan::test::schemaViolation(r, schema), "");
  CliResult text = cli.run({"certify", lidar, "--format", "text"});
  EXPECT_NE(text.out.find("(LiDAR point cloud, not a well log)\n"), std::string::npos) << text.out;
}

TEST(PipelineShards, EveryFileInExactlyOneShardWhereverTheArchiveIsMounted) {
  ScratchDir dir;
  Cli cli(dir);
  copyCases(dir.path() / "archive");
  const auto all = lines(cli.run({"certify", "archive", "--recursive", "--format", "jsonl"}).out);
  ASSERT_GT(all.size(), 90u);

  for (int count : {3, 7}) {
    std::multiset<std::string> merged;
    std::set<std::string> paths;
    for (int i = 0; i < count; ++i) {
      const std::string shard = std::to_string(i) + "/" + std::to_string(count);
      for (const std::string& line : lines(cli.run({"certify", "archive", "--recursive", "--shard", shard}).out)) {
        merged.insert(line);
        EXPECT_TRUE(paths.insert(json::parse(line)["path"]).second) << "twice: " << line;
      }
      if (count == 7) {
        // The same share of the same archive named by another path: the same files.
        const auto here = cli.run({"certify", "archive", "--recursive", "--shard", shard, "--format", "csv"}).out;
        const auto there = cli.run({"certify", (dir.path() / "archive").string() + "/", "--recursive", "--shard", shard,
                                    "--format", "csv"})
                               .out;
        EXPECT_EQ(std::count(here.begin(), here.end(), '\n'), std::count(there.begin(), there.end(), '\n'));
      }
    }
    EXPECT_EQ(merged, all) << count << " shards";
  }
}

TEST(PipelineJobs, ParallelRunsWriteWhatOneJobWrites) {
  ScratchDir dir;
  Cli cli(dir);
  copyCases(dir.path() / "archive");
  const CliResult one = cli.run({"certify", "archive", "--recursive", "--jobs", "1", "--format", "jsonl"});
  for (const std::string format : {"jsonl", "text"}) {
    const CliResult serial =
        format == "jsonl" ? one : cli.run({"certify", "archive", "--recursive", "--jobs", "1", "--format", format});
    for (const std::string jobs : {"2", "5"}) {
      const CliResult parallel = cli.run({"certify", "archive", "--recursive", "--jobs", jobs, "--format", format});
      EXPECT_EQ(parallel.out, serial.out) << format << " --jobs " << jobs;
      EXPECT_EQ(parallel.status, serial.status);
    }
  }
  // Files in sorted order below each argument, names in any case, no hidden
  // files, no links to folders, no subfolders without --recursive.
  std::vector<std::string> paths;
  for (const json& r : one.records()) paths.push_back(r["path"]);
  EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));
  writeLasAt(dir, "top/a.LAS", good20());
  writeLasAt(dir, "top/.hidden.las", good20());
  writeLasAt(dir, "top/b.txt", good20());
  writeLasAt(dir, "top/sub/c.las", good20());
  fs::create_directory_symlink(dir.path() / "archive", dir.path() / "top/link");
  EXPECT_EQ(cli.run({"certify", "top", "--format", "csv"}).out.find("sub/c.las"), std::string::npos);
  const CliResult top = cli.run({"certify", "top", "--recursive", "--format", "jsonl"});
  ASSERT_EQ(top.records().size(), 2u);
  EXPECT_EQ(top.records()[0]["path"], "top/a.LAS");
  EXPECT_EQ(top.records()[1]["path"], "top/sub/c.las");
}

// Many failures logged at once by parallel jobs: every entry whole, none lost.
TEST(PipelineCommandLog, ParallelJobsLoseNoEntry) {
  ScratchDir dir;
  Cli cli(dir);
  const int files = 60;
  for (int i = 0; i < files; ++i) writeLasAt(dir, "v4/" + std::to_string(i) + ".las", good20("1669.7500", "4.0"));
  EXPECT_EQ(cli.run({"certify", "v4", "--jobs", "8"}).status, 1);
  const std::vector<std::string> log = cli.commandLogLines();
  ASSERT_EQ(log.size(), 2u * (files + 1));
  std::set<std::string> named;
  for (std::size_t i = 2; i < log.size(); i += 2) {
    EXPECT_EQ(std::count(log[i].begin(), log[i].end(), '\t'), 3) << log[i];
    EXPECT_EQ(log[i + 1], "The LAS Version was not 1.2, 2.0 or 3.0. It was : 4. No further processing will be done.");
    named.insert(log[i].substr(log[i].find('\t') + 1));
  }
  EXPECT_EQ(named.size(), static_cast<std::size_t>(files));
}

// While the run waits for the first file (a rewrite of ours holds it), the
// second vanishes and the third turns unreadable: each gets its own result.
TEST(PipelineVanishingFiles, EachGetsItsOwnResultAndTheOthersAreCertified) {
  ScratchDir dir;
  Cli cli(dir);
  const std::string first = writeLasAt(dir, "archive/1.las", good20());
  const std::string second = writeLasAt(dir, "archive/2.las", good20());
  const std::string third = writeLasAt(dir, "archive/3.las", good20());
  const std::string fourth = writeLasAt(dir, "archive/4.las", good20());
  // Root reads any file: run as nobody, on files of its own.
  const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
  for (const std::string& las : {first, second, third, fourth}) ASSERT_EQ(::chown(las.c_str(), user, user), 0);

  korrivan::base::LasFileLock rewrite(first);
  rewrite.lockExclusive();
  // The run has listed the files once it opens the first one.
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(::inotify_add_watch(watch, (dir.path() / "archive").c_str(), IN_OPEN), 0);
  const pid_t pid = cli.start({"certify", "archive", "--jobs", "1", "--format", "jsonl"}, user);
  auto openedFirst = [&] {
    alignas(inotify_event) char buf[4096];
    for (;;) {
      struct pollfd p {
        watch, POLLIN, 0
      };
      if (::poll(&p, 1, 60000) != 1) return false;
      const ssize_t n = ::read(watch, buf, sizeof buf);
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
        if (e->len > 0 && std::string(e->name) == "1.las") return true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
  };
  const bool waiting = openedFirst();
  ::close(watch);
  ASSERT_TRUE(waiting);
  fs::remove(second);
  fs::permissions(third, fs::perms::none);
  rewrite.unlock();

  const CliResult r = cli.finish(pid);
  EXPECT_EQ(r.status, 1);
  const std::vector<json> records = r.records();
  ASSERT_EQ(records.size(), 4u) << r.out << r.err;
  EXPECT_EQ(records[0]["result"], "passed");
  EXPECT_EQ(records[1]["result"], "not certified");
  EXPECT_EQ(records[1]["reason"]["code"], "file-not-accessible");
  EXPECT_EQ(records[2]["result"], "failed");
  EXPECT_EQ(records[2]["first_failure"]["id"], "01c");
  EXPECT_EQ(records[3]["result"], "passed");
}

TEST(PipelineFailFast, OneJobStopsAtTheFirstFileThatDoesNotPass) {
  ScratchDir dir;
  Cli cli(dir);
  writeLasAt(dir, "archive/1.las", good20());
  writeLasAt(dir, "archive/2.las", good20("1600.0000"));
  writeLasAt(dir, "archive/3.las", good20());
  const CliResult r = cli.run({"certify", "archive", "--jobs", "1", "--fail-fast", "--format", "text"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("archive/2.las: FAILED (LAS 2.0) 06c"), std::string::npos);
  EXPECT_EQ(r.out.find("archive/3.las"), std::string::npos);
  EXPECT_NE(r.out.find("2 files: 1 passed, 1 failed, 0 not certified, 1 not started (--fail-fast)"), std::string::npos);
}

}  // namespace
