// The families served by the one pass over the data sections give the
// reports and findings of their own walks: on every certification case, and
// on generated files with a defect put on one data line, wherever the pass
// splits the sections and on however many threads.
#include "checks/data_pass.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "bench/las_generator.h"
#include "certify/report.h"
#include "run/certification.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;
using korrivan::test::ScratchDir;

namespace {

las::ScanSettings ownWalks() {
  las::ScanSettings s;
  s.gather = false;
  return s;
}

las::ScanSettings split(std::int64_t partBytes, int threads) {
  las::ScanSettings s;
  s.threads = threads;
  s.parallelFrom = 0;
  s.partBytes = partBytes;
  return s;
}

// The report and every finding with its line.
std::string outcomeOf(const run::Certification& c) {
  std::string out = certify::buildReport(c.table(), {"x.las", c.detectedVersion, {}});
  out = std::regex_replace(out, std::regex("Date: [^\r]*"), "Date: <date>");
  out += "end " + std::to_string(static_cast<int>(c.end)) + "\n";
  for (const run::GroupResult& g : c.groups)
    for (const run::CheckResult& check : g.checks)
      for (const certify::Finding& f : check.findings)
        out += check.idText() + " " + std::to_string(f.line) + " " + f.message + " | " + f.lineText + "\n";
  return out;
}

std::string certify(const std::string& file, const las::ScanSettings& scan, bool doWrap) {
  certify::SilentHooks hooks;
  run::CertifyOptions options;
  options.doWrap = doWrap;
  options.repair = run::RepairPolicy::ReportOnly;
  options.dataScan = scan;
  options.log.programFolder = fs::path(file).parent_path().string();
  return outcomeOf(run::certifyFile(file, options, hooks));
}

// Compares, and returns the outcome of the families' own walks.
std::string expectSameOutcomes(const std::string& file, bool doWrap, const std::string& what) {
  // Where the parts split makes no difference to the facts (data_facts_test
  // splits them at every byte); here one split on three threads will do.
  const std::string own = certify(file, ownWalks(), doWrap);
  EXPECT_EQ(certify(file, las::ScanSettings{}, doWrap), own) << what;
  EXPECT_EQ(certify(file, split(97, 3), doWrap), own) << what;
  return own;
}

// The checks with findings in an outcome ("6d", ...).
std::set<std::string> checksWithFindings(const std::string& outcome) {
  std::set<std::string> ids;
  const std::regex finding("\n([0-9][a-z]) ");
  for (auto it = std::sregex_iterator(outcome.begin(), outcome.end(), finding); it != std::sregex_iterator(); ++it)
    ids.insert((*it)[1]);
  return ids;
}

TEST(DataPass, EveryCaseGetsTheReportOfTheFamiliesOwnWalks) {
  ScratchDir dir;
  int compared = 0;
  for (const fs::path& p : test::lasFilesBelow(KORRIVAN_CASES)) {
    const fs::path las = dir.path() / p.filename();
    fs::copy_file(p, las, fs::copy_options::overwrite_existing);
    expectSameOutcomes(las.string(), p.stem().string().ends_with("_W"), p.string());
    ++compared;
  }
  EXPECT_GT(compared, 80);
}

// One data line of a generated file changed in one way.
struct Defect {
  const char* name;
  std::string (*apply)(const std::string& line, char delimiter);
  bool insertsLine = false;
};

std::string replaceFirst(std::string line, char what, const std::string& with) {
  const std::size_t at = line.find(what);
  if (at != std::string::npos) line.replace(at, 1, with);
  return line;
}

const Defect kDefects[] = {
    {"step change", [](const std::string& l, char) { return replaceFirst(l, '.', "7."); }},
    {"extra value", [](const std::string& l, char d) { return l + d + "9.5"; }},
    {"missing value", [](const std::string& l, char d) { return l.substr(0, l.rfind(d)); }},
    {"blank line", [](const std::string&, char) { return std::string(); }, true},
    {"comment line", [](const std::string&, char) { return std::string("# remark 1 2"); }, true},
    {"tab", [](const std::string& l, char d) { return replaceFirst(l, d, "\t"); }},
    {"quoted value", [](const std::string& l, char d) { return l + d + "\"a b\""; }},
    {"tilde", [](const std::string& l, char d) { return l + d + "~x"; }},
    {"long line", [](const std::string& l, char) { return l + std::string(300, ' '); }},
    {"lone LF", [](const std::string& l, char d) { return replaceFirst(l, d, "\n"); }},
    {"line ends in CR", [](const std::string& l, char) { return l + "\r"; }},
    {"no delimiter", [](const std::string& l, char d) { return l.substr(0, l.find(d)); }},
    {"title line", [](const std::string&, char) { return std::string("~Other"); }, true},
    {"blanks around", [](const std::string& l, char) { return "   " + l + "   "; }},
};

TEST(DataPass, ADefectOnAnyDataLineGetsTheReportOfTheFamiliesOwnWalks) {
  ScratchDir dir;
  std::set<std::string> seen;
  const std::string original = (dir.path() / "original.las").string();
  for (const bench::LasKind kind :
       {bench::LasKind::V20Unwrapped, bench::LasKind::V20Wrapped, bench::LasKind::V30Comma}) {
    bench::generateLas(original, kind, 3000);
    const std::vector<std::string> lines = test::splitCrLf(test::readFile(original));
    std::size_t data = 0;
    while (data < lines.size() && lines[data].rfind("~A", 0) != 0 && lines[data].rfind("~Log_Data", 0) != 0) ++data;
    ASSERT_LT(data + 10, lines.size());
    const char delimiter = kind == bench::LasKind::V30Comma ? ',' : ' ';
    const std::size_t last = lines.size() - 1;
    for (const Defect& defect : kDefects) {
      for (std::size_t at : {data + 1, data + 2, data + 7, last}) {
        std::vector<std::string> changed = lines;
        if (defect.insertsLine)
          changed.insert(changed.begin() + static_cast<std::ptrdiff_t>(at), defect.apply(lines[at], delimiter));
        else
          changed[at] = defect.apply(lines[at], delimiter);
        const std::string file = dir.writeLas("changed.las", changed);
        const std::string what = std::string(defect.name) + " at line " + std::to_string(at + 1) + " of kind " +
                                 std::to_string(static_cast<int>(kind));
        for (const std::string& id : checksWithFindings(expectSameOutcomes(file, false, what)))
          seen.insert(std::to_string(static_cast<int>(kind)) + ":" + id);
        if (kind == bench::LasKind::V30Comma) continue;
        for (const std::string& id : checksWithFindings(expectSameOutcomes(file, true, what + " with /W")))
          seen.insert(std::to_string(static_cast<int>(kind)) + ":" + id);
      }
    }
  }
  // The defects reach every check the pass serves: line syntax (4e), STEP
  // (6d), the ~ASCII record counts and line lengths (7b, 7d), the 3.0
  // delimiters and column counts (4j, 7b).
  for (const char* id : {"0:4e", "0:6d", "0:7b", "0:7d", "1:4e", "1:6d", "1:7b", "1:7d", "2:4j", "2:6d", "2:7b"})
    EXPECT_TRUE(seen.count(id)) << id;
}

// A data section read in many buffers: the ~ASCII walk starts from the line
// start the pass met nearest before the first record it must read, which
// lies at the section's end or at a defect deep in the section.
TEST(DataPass, ADefectDeepInALongSectionGetsTheReportOfTheFamiliesOwnWalks) {
  ScratchDir dir;
  const std::string original = (dir.path() / "original.las").string();
  for (const bench::LasKind kind : {bench::LasKind::V20Unwrapped, bench::LasKind::V20Wrapped}) {
    bench::generateLas(original, kind, 700000);
    const std::vector<std::string> lines = test::splitCrLf(test::readFile(original));
    const std::size_t last = lines.size() - 1;
    for (const Defect& defect : kDefects) {
      if (std::string_view(defect.name) != "extra value" && std::string_view(defect.name) != "quoted value") continue;
      for (std::size_t at : {last / 3, last / 2 + 1, last - 4, last}) {
        std::vector<std::string> changed = lines;
        changed[at] = defect.apply(lines[at], ' ');
        const std::string file = dir.writeLas("changed.las", changed);
        const std::string what = std::string(defect.name) + " at line " + std::to_string(at + 1);
        EXPECT_NE(expectSameOutcomes(file, true, what).find("7"), std::string::npos);
      }
    }
    expectSameOutcomes(original, true, "no defect");
  }
}

// A NULL STOP is repaired before the ~ASCII checks: the pass reads the
// rewritten file again.
TEST(DataPass, AfterTheStopRepairTheFactsAreThoseOfTheRewrittenFile) {
  ScratchDir dir;
  const std::string original = (dir.path() / "original.las").string();
  bench::generateLas(original, bench::LasKind::V20Unwrapped, 4000);
  std::vector<std::string> lines = test::splitCrLf(test::readFile(original));
  for (std::string& l : lines)
    if (l.rfind(" STOP.M", 0) == 0) l = " STOP.M  -999.25 : STOP DEPTH";
  lines.back() += " 5.5";  // a wrong column count after the rewrite
  auto certifyCopy = [&](const std::string& name, const las::ScanSettings& scan) {
    const std::string file = dir.writeLas(name, lines);
    certify::SilentHooks hooks;
    run::CertifyOptions options;
    options.dataScan = scan;
    options.log.programFolder = dir.path().string();
    const std::string outcome = outcomeOf(run::certifyFile(file, options, hooks));
    EXPECT_NE(test::readFile(file).find("STOP.M  1"), std::string::npos) << "the STOP was repaired";
    return outcome;
  };
  const std::string own = certifyCopy("own.las", ownWalks());
  EXPECT_NE(own.find("07: "), std::string::npos);
  EXPECT_EQ(certifyCopy("pass.las", split(50, 3)), own);
}

// Begun early by the run layer or when the first family asks, the pass runs
// on the threads the settings give; the facts are the same either way.
TEST(DataPass, RunsOnTheThreadsTheSettingsGive) {
  ScratchDir dir;
  const std::string file = (dir.path() / "data.las").string();
  bench::generateLas(file, bench::LasKind::V30Comma, 200000);
  auto facts = [&](const las::ScanSettings& settings, bool early) {
    checks::FileView view;
    view.fileName = file;
    view.version = 3.0f;
    view.scanSettings = settings;
    view.directory.build(file, 3.0f);
    if (early) checks::startDataPass(view);
    view.delimiter = ',';
    view.directory.locateMainSections(file, 3.0f);
    const las::SectionRow* data = view.directory.find(view.directory.dataSectionName);
    EXPECT_TRUE(data && checks::dataFactsOf(view, *data));
    return std::make_pair(view.dataFacts->facts->threads, view.dataFacts->facts->sections.at(0).lines);
  };
  const auto one = facts(split(4096, 1), false);
  EXPECT_EQ(one.first, 1);
  EXPECT_GT(one.second, 1000);
  for (bool early : {false, true}) {
    EXPECT_EQ(facts(split(4096, 3), early), std::make_pair(3, one.second)) << early;
    EXPECT_EQ(facts(las::ScanSettings{}, early).first, 1) << "200 kB are scanned by one thread";
  }
}

}  // namespace
