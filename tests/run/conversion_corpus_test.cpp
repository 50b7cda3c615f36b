// The conversion over the shared corpus of real LAS files. Every version
// 1.2/2.0 file that certifies PASSED (its line ends made CR LF first where
// they are LF) is written as version 3.0 with each delimiter and title
// style: the output certifies PASSED or fails only checks the conversion
// named, and every header value and data value reads back identical
// through the program's own readers. Every other file ends in a clear
// refusal or an output whose failures the conversion named as well.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "base/safe_file.h"
#include "base/text_utils.h"
#include "certify/prechecks.h"
#include "certify/run_hooks.h"
#include "checks/family.h"
#include "las/data_reader.h"
#include "las/parsed_section.h"
#include "las/section_cursor.h"
#include "las/section_directory.h"
#include "run/certification.h"
#include "run/conversion.h"
#include "run/v3_writer.h"
#include "support/las_fixture.h"

namespace fs = std::filesystem;
using namespace korrivan;
using korrivan::test::readFile;
using korrivan::test::ScratchDir;

namespace {

using Record = std::vector<std::string>;

std::string withCrLf(const std::string& text) {
  if (text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos) return text;
  return base::replaceAll(text, "\n", "\r\n");
}

// The depth records of a data section as the version 1.2/2.0 ~ASCII family
// reads them (the lines of a wrapped record joined), or as version 3.0 reads
// delimited lines.
std::vector<Record> dataRecords(const std::string& file, float version, char delimiter, int linesPerDepth) {
  las::SectionDirectory directory;
  directory.locateMainSections(file, version);
  const las::SectionRow* data = directory.find(directory.dataSectionName);
  std::vector<Record> records;
  if (!data) return records;
  las::SectionCursor cursor(file, *data, las::CursorRules{true, true, true});
  std::string_view line;
  std::string joined;
  int count = 0;
  auto flush = [&] {
    records.push_back(version == 3.0f ? las::splitDataFields(joined, delimiter) : las::splitFields(joined, " "));
    joined.clear();
    count = 0;
  };
  while (cursor.next(line)) {
    joined += (count > 0 ? " " : "") + std::string(line);
    if (++count == linesPerDepth) flush();
  }
  if (count > 0) flush();
  return records;
}

// A value holding the delimiter reads back in the double quotes it was written in.
bool sameValue(const std::string& in, const std::string& out, char delimiter) {
  return in == out || (in.find(delimiter) != std::string::npos && out == "\"" + in + "\"");
}

las::ParsedSection parsed(const las::SectionDirectory& directory, const std::string& name, char delimiter,
                          float version) {
  las::ParsedSection section;
  if (!name.empty()) las::parseSection(directory, section, name, {delimiter, version});
  return section;
}

std::string standardName(const las::SectionDirectory& directory, std::string_view longName) {
  const las::SectionRow* row = directory.findStandard(longName);
  return row ? row->name : "";
}

void expectSameParts(const las::LasLineParts& in, const las::LasLineParts& out, bool wellOf12) {
  SCOPED_TRACE("line " + std::to_string(out.line) + ": " + in.mnemonic);
  EXPECT_EQ(out.mnemonic, in.mnemonic);
  EXPECT_EQ(out.unit, in.unit);
  if (wellOf12 && in.value.empty() && !run::usualWellDescription(in.mnemonic).empty()) {
    EXPECT_EQ(out.value, in.description);
    EXPECT_EQ(out.description, run::usualWellDescription(in.mnemonic));
  } else {
    EXPECT_EQ(out.value, in.value);
    EXPECT_EQ(out.description, in.description);
  }
}

// Every header value of the input reads back from the output.
void expectHeaderReadsBack(const std::string& input, float version, const std::string& output,
                           const run::ConversionOptions& options) {
  las::SectionDirectory in, out;
  in.locateMainSections(input, version);
  out.locateMainSections(output, 3.0f);
  const char d = run::delimiterChar(options.delimiter);
  const bool log = options.titles == run::TitleStyle::Log;
  const std::vector<std::pair<std::string, std::string>> sections = {{"Version", "Version"},
                                                                     {"Well", "Well"},
                                                                     {"Parameter", log ? "Log_Parameter" : "Parameter"},
                                                                     {"Curve", log ? "Log_Definition" : "Curve"}};
  for (const auto& [longName, outName] : sections) {
    SCOPED_TRACE(longName);
    las::ParsedSection a = parsed(in, standardName(in, longName), ' ', version);
    las::ParsedSection b = parsed(out, outName, d, 3.0f);
    std::vector<las::LasLineParts> rowsIn(a.rows.begin() + 1, a.rows.end());
    std::vector<las::LasLineParts> rowsOut(b.rows.begin() + 1, b.rows.end());
    if (longName == "Version") {
      ASSERT_GE(rowsOut.size(), 3u);
      EXPECT_EQ(rowsOut[0].value, "3.0");
      EXPECT_EQ(rowsOut[1].value, "NO");
      EXPECT_EQ(rowsOut[2].value, std::string(run::dlmWord(options.delimiter)));
      rowsOut.erase(rowsOut.begin(), rowsOut.begin() + 3);
      std::erase_if(rowsIn, [](const las::LasLineParts& p) {
        return base::iequals(p.mnemonic, "VERS") || base::iequals(p.mnemonic, "WRAP") ||
               base::iequals(p.mnemonic, "DLM");
      });
    }
    ASSERT_EQ(rowsOut.size(), rowsIn.size());
    for (std::size_t i = 0; i < rowsIn.size(); ++i)
      expectSameParts(rowsIn[i], rowsOut[i], version == 1.2f && longName == "Well");
  }
}

void expectDataReadsBack(const std::string& input, float version, int linesPerDepth, const std::string& output,
                         char delimiter) {
  const std::vector<Record> a = dataRecords(input, version, ' ', linesPerDepth);
  const std::vector<Record> b = dataRecords(output, 3.0f, delimiter, 1);
  ASSERT_EQ(b.size(), a.size());
  for (std::size_t r = 0; r < a.size(); ++r) {
    ASSERT_EQ(b[r].size(), a[r].size()) << "record " << r;
    for (std::size_t v = 0; v < a[r].size(); ++v)
      ASSERT_TRUE(sameValue(a[r][v], b[r][v], delimiter)) << a[r][v] << " read back as " << b[r][v];
  }
}

std::set<std::string> named(const run::ConversionReport& report) {
  std::set<std::string> ids;
  for (const run::ExpectedFailure& f : report.expectedFailures) ids.insert(f.idText());
  return ids;
}

// Every check the certification does not pass is one the conversion named.
void expectOnlyNamedFailures(const run::Certification& c, const std::set<std::string>& names) {
  for (const run::GroupResult& g : c.groups)
    for (const run::CheckResult& check : g.checks)
      if (check.outcome != run::Outcome::Passed) {
        EXPECT_TRUE(names.count(check.idText())) << check.idText() << " " << check.name << ": " << check.cellText;
      }
}

// The ~Well lines version 3.0 requires and the input lacked added to the
// output, and its ~Other section (which only versions 1.2 and 2.0 know)
// taken out, so that its certification goes on to the data checks.
void completeForVersion3(const std::string& output) {
  las::SectionDirectory directory;
  directory.locateMainSections(output, 3.0f);
  las::ParsedSection well = parsed(directory, "Well", ' ', 3.0f);
  std::string ctry = checks::lookupParamValue(well, "CTRY");
  std::vector<std::string> wanted = {"STRT", "STOP", "STEP", "NULL", "COMP", "WELL", "FLD",
                                     "LOC",  "DATE", "SRVC", "LATI", "LONG", "GDAT"};
  if (base::iequals(ctry, "ca")) wanted.insert(wanted.end(), {"PROV", "UWI", "LIC"});
  if (base::iequals(ctry, "us")) wanted.insert(wanted.end(), {"STAT", "CNTY", "API"});
  std::string lines = ctry == " " ? " CTRY.   XX : COUNTRY\r\n" : "";
  for (const std::string& m : wanted)
    if (checks::lookupParamValue(well, m) == " ") lines += " " + m + ".   1 : ADDED\r\n";
  std::string text = readFile(output);
  const std::size_t at = text.find("\r\n", text.find("\r\n~Well") + 2) + 2;
  text.insert(at, lines);
  const std::size_t other = text.find("\r\n~Other");
  if (other != std::string::npos) text.erase(other + 2, text.find("\r\n~", other + 2) - other);
  std::ofstream(output, std::ios::binary | std::ios::trunc) << text;
}

// Outputs of a test need not reach the disk.
struct Unsynced : base::FileWriteOps {
  int sync(int) override { return 0; }
};

TEST(ConversionCorpus, PassingFilesRoundTripAndOtherFilesEndClearly) {
  const auto files = test::lasFilesBelow(KORRIVAN_CORPUS);
  if (files.empty()) GTEST_SKIP() << "no corpus at " << KORRIVAN_CORPUS;
  ScratchDir dir;
  certify::SilentHooks hooks;
  Unsynced unsynced;
  const std::string input = (dir.path() / "in.las").string();
  const std::string output = (dir.path() / "out.las").string();
  const std::vector<run::ConversionOptions> choices = {{run::TitleStyle::Short, run::DataDelimiter::Space, ""},
                                                       {run::TitleStyle::Log, run::DataDelimiter::Comma, ""},
                                                       {run::TitleStyle::Short, run::DataDelimiter::Tab, ""}};
  int roundTrips = 0, passedDeep = 0;
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    dir.write("in.las", withCrLf(readFile(f.string())));
    fs::remove(output);
    const run::Certification c = run::certifyFile(input, {}, hooks);
    const bool classic = c.version == run::LasVersion::V1_2 || c.version == run::LasVersion::V2_0;
    const bool passed = classic && !c.anyCheckFailed() && c.end == run::CertifyEnd::Completed;
    for (const run::ConversionOptions& options : passed ? choices : std::vector{choices[0]}) {
      SCOPED_TRACE(std::string(run::dlmWord(options.delimiter)));
      const run::ConversionReport report = run::convertToVersion3(input, output, options, hooks, unsynced);
      if (report.end != run::ConversionEnd::Written) {
        EXPECT_FALSE(passed) << report.message;
        EXPECT_EQ(report.end, run::ConversionEnd::Refused) << report.message;
        EXPECT_FALSE(fs::exists(output));
        continue;
      }
      EXPECT_EQ(report.analysisProblem, "");
      const std::set<std::string> names = named(report);
      const run::Certification v3 = run::certifyFile(output, {}, hooks);
      EXPECT_EQ(v3.version, run::LasVersion::V3_0);
      if (!passed) {
        // Failures of the data against ~Well (group 6) belong to the input.
        const run::CheckResult* first = v3.firstFailure();
        if (first && first->group != 6) {
          EXPECT_TRUE(names.count(first->idText())) << first->idText();
        }
        continue;
      }
      ++roundTrips;
      expectOnlyNamedFailures(v3, names);
      const float version = c.version == run::LasVersion::V1_2 ? 1.2f : 2.0f;
      expectHeaderReadsBack(input, version, output, options);
      expectDataReadsBack(input, version, report.linesPerDepth, output, run::delimiterChar(options.delimiter));

      completeForVersion3(output);
      const run::Certification deep = run::certifyFile(output, {}, hooks);
      expectOnlyNamedFailures(deep, names);
      passedDeep += deep.anyCheckFailed() ? 0 : 1;
    }
  }
  std::printf("%d round trips, %d of them PASSED once completed for version 3.0\n", roundTrips, passedDeep);
  EXPECT_GT(roundTrips, 0);
}

}  // namespace
