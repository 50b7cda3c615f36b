#include "checks/data_pass.h"

#include <sys/stat.h>

#include "base/run_error.h"
#include "certify/outcome.h"
#include "checks/family.h"
#include "las/line_source.h"

namespace korrivan::checks {

namespace {

// The file (its identity and state) and the run values the facts rest on:
// facts gathered for another state of the file are gathered anew (after a
// NULL STOP repair, for one).
std::string factsKey(const FileView& file) {
  struct stat st {};
  if (::stat(file.fileName.c_str(), &st) != 0) return "";
  std::string key = file.fileName;
  for (long long v : {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
                      static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                      static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(file.delimiter)})
    key += '|' + std::to_string(v);
  key += '|' + std::to_string(file.version) + '|' + file.directory.dataSectionName;
  // The section starts enter as a hash: the key is made for every data
  // section a family asks about, and a file may hold thousands.
  key += '|' + std::to_string(file.directory.rows().size()) + '|' + std::to_string(file.directory.startsHash());
  return key;
}

bool delimiterKnown(char delimiter) { return delimiter == ' ' || delimiter == ',' || delimiter == '\t'; }

// The lines per depth record the wrap detection finds (1 when it finds none).
int linesPerDepth(const FileView& file, int channelHint, bool onlyWhenDetermined) {
  las::CurveTable curves;
  const las::WrapStructure wrap = las::detectWrapStructure(file.dataContext(), channelHint, curves);
  const bool determined = wrap.result == las::WrapResult::Unwrapped || wrap.result == las::WrapResult::Wrapped;
  if (onlyWhenDetermined && !determined) return 1;
  return wrap.linesPerDepth > 0 ? wrap.linesPerDepth : 1;
}

// The pass the families of this file will ask for: every data section, with
// what the version's families read there.
std::unique_ptr<las::DataPass> passFor(const FileView& file) {
  const bool classic = file.version != 3.0f;
  las::DataScanPlan plan;
  plan.delimiter = file.delimiter;
  // Version 1.2/2.0 line syntax lists blank, comment and tab lines; each
  // finding costs at least its CR LFs and its shortest message.
  plan.notables = classic;
  plan.columnFacts = !classic;  // the 3.0 delimiter pass and column counts
  plan.notableBudget = certify::OutcomeSlot::kMaxText;
  plan.notableOverhead = 4 + std::string_view("Tab character(s) found.").size();

  std::vector<const las::SectionRow*> sections;
  for (const las::SectionRow& r : file.directory.rows())
    if (r.kind == las::SectionKind::Data) sections.push_back(&r);
  const las::SectionRow* main =
      file.directory.dataSectionName.empty() ? nullptr : file.directory.find(file.directory.dataSectionName);
  if (main) {
    if (main->kind != las::SectionKind::Data) sections.push_back(main);
    plan.stepSection = main->start;
    plan.stepLinesPerDepth = linesPerDepth(file, 0, false);
  }
  if (classic) {
    // The ~ASCII walk reads records of one line (WRAP NO) or of the lines per
    // depth the line syntax family found.
    plan.recordSizes.push_back(1);
    const int perDepth = linesPerDepth(file, static_cast<int>(file.curveSection.lineCount()), true);
    if (perDepth > 1) plan.recordSizes.push_back(perDepth);
  }
  return std::make_unique<las::DataPass>(file.directory, sections, std::move(plan), file.scanSettings);
}

// The file as the families will see it once the driver has read the
// delimiter and named the main sections.
FileView asFamiliesWillSeeIt(const FileView& file) {
  FileView view = file;
  view.directory.locateMainSections(view.fileName, view.version);
  if (view.version == 3.0f)
    view.delimiter = delimiterFromDlm(readHeaderValue(view.directory, "DLM", "Version", view.version).value);
  return view;
}

}  // namespace

void startDataPass(const FileView& file) {
  if (!file.dataFacts || !file.scanSettings.gather || file.scanSettings.threads == 1) return;
  try {
    const FileView view = asFamiliesWillSeeIt(file);
    if (!delimiterKnown(view.delimiter)) return;
    const std::string key = factsKey(view);
    if (key.empty()) return;
    las::DataFactsCache& cache = *file.dataFacts;
    cache.running = passFor(view);
    cache.runningKey = key;
    cache.running->startHelpers();
  } catch (const std::exception&) {
    // The first family that asks makes the pass.
    file.dataFacts->running.reset();
  }
}

const las::SectionFacts* dataFactsOf(const FileView& file, const las::SectionRow& row) {
  if (!file.dataFacts || !file.scanSettings.gather || !delimiterKnown(file.delimiter)) return nullptr;
  las::DataFactsCache& cache = *file.dataFacts;
  const std::string key = factsKey(file);
  if (key.empty()) return nullptr;
  if (cache.key != key) {
    cache.facts.reset();
    cache.failed = false;
    // A pass begun for this state of the file is joined; any other is dropped.
    std::unique_ptr<las::DataPass> pass = std::move(cache.running);
    if (cache.runningKey != key) pass.reset();
    cache.runningKey.clear();
    try {
      if (!pass) {
        pass = passFor(file);
        pass->startHelpers();
      }
      cache.facts = pass->finish(file.poll);
      cache.key = key;
    } catch (const base::RunCancelled&) {
      cache.key.clear();
      throw;
    } catch (const std::exception&) {
      cache.key = key;
      cache.failed = true;
    }
  }
  return cache.facts ? cache.facts->section(row.start) : nullptr;
}

std::string lineTextAt(const FileView& file, const las::LineRef& line) {
  las::LineSource src(file.fileName);
  src.seek(line.offset, line.number);
  std::string_view text;
  return src.next(text) ? std::string(text) : std::string();
}

}  // namespace korrivan::checks
