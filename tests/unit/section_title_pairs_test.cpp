// The section title checks that compare titles with one another look them
// up by name; on any directory they must give what comparing every pair of
// titles, as the rules are written, gives. The reference below compares
// every pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "base/text_utils.h"
#include "checks/family.h"
#include "support/las_fixture.h"

using namespace korrivan;
using base::iequals;
using las::SectionRow;

namespace {

bool hasIndex(const SectionRow& r) { return r.index >= 0; }
std::string_view groupPrefix(std::string_view name) { return base::before(base::before(name, '_'), '['); }

std::optional<std::string> textBefore(std::string_view s, std::string_view marker) {
  std::size_t p = base::ifind(s, marker);
  if (p == std::string_view::npos) return std::nullopt;
  return std::string(s.substr(0, p));
}

// Appends name + CR LF unless the name occurs in the text already.
void appendOnce(std::string& text, const std::string& name) {
  if (base::ifind(text, name) == std::string::npos) text += name + "\r\n";
}

std::string minimumSections(const checks::FileView& file, const std::vector<SectionRow>& rows) {
  bool version = false, well = false, curve = false, data = false;
  for (const SectionRow& r : rows) {
    version = version || iequals(r.baseName, "Version");
    well = well || iequals(r.baseName, "Well");
    curve = curve || (!file.directory.curveSectionName.empty() && iequals(r.baseName, file.directory.curveSectionName));
    data = data || (!file.directory.dataSectionName.empty() && iequals(r.baseName, file.directory.dataSectionName));
  }
  std::string text = std::string(version ? "" : "~Version ") + (well ? "" : "~Well");
  if (curve || data) return text;
  bool pair = false;
  for (const SectionRow& a : rows)
    for (const SectionRow& b : rows) {
      auto da = textBefore(a.name, "_data"), db = textBefore(b.name, "_Definition");
      pair = pair || (&a != &b && da && db && iequals(*da, *db));
    }
  return pair ? text : text + "Minumum one set of Matching _Data/_Definition sections not found";
}

std::string duplicates(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& a : rows)
    for (const SectionRow& b : rows) {
      if (&a == &b || !iequals(a.baseName, b.baseName)) continue;
      if (iequals(a.baseName, "Version") || iequals(a.baseName, "Well") || (!hasIndex(a) && !hasIndex(b)) ||
          (hasIndex(a) && hasIndex(b) && a.index == b.index))
        appendOnce(text, b.name);
    }
  return text;
}

std::string associatedSectionExists(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows)
    if (base::icontains(r.association, "_Definition") &&
        std::none_of(rows.begin(), rows.end(),
                     [&](const SectionRow& o) { return &o != &r && iequals(o.name, r.association); }))
      text += r.association + "\r\n";
  return text;
}

std::string definitionHasData(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows)
    if (base::icontains(r.name, "_Definition") && std::none_of(rows.begin(), rows.end(), [&](const SectionRow& o) {
          return &o != &r && o.kind == las::SectionKind::Data && iequals(groupPrefix(o.name), groupPrefix(r.name));
        }))
      text += r.name + "\r\n";
  return text;
}

std::string dataSetOrder(const std::vector<SectionRow>& rows) {
  std::string text;
  auto other = [&](std::size_t self, const std::string& name) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (i != self && iequals(rows[i].name, name)) return i;
    return std::nullopt;
  };
  for (std::size_t d = 0; d < rows.size(); ++d) {
    const SectionRow& r = rows[d];
    if (r.kind != las::SectionKind::Data) continue;
    std::string def = r.association, par = std::string(groupPrefix(r.name)) + "_Parameter";
    if (hasIndex(r)) par += "[" + std::to_string(r.index) + "]";
    if (iequals(r.name, "ASCII")) def = "Curve", par = "Parameter";
    auto pp = other(d, par), pd = other(d, def);
    if (pp && pd && !(*pp < *pd && *pd < d))
      text += "Expected order: " + rows[*pp].name + "/" + rows[*pd].name + "/" + r.name + "\r\n";
    else if (!pp && pd && !(*pd < d))
      text += "Expected order: " + rows[*pd].name + "/" + r.name + "\r\n";
    else if (!pd)
      text += "Missing " + def + "\r\n";
  }
  return text;
}

std::string identicalTitlesIndexed(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& e : rows) {
    std::vector<const SectionRow*> group;
    for (const SectionRow& o : rows)
      if (iequals(o.baseName, e.baseName)) group.push_back(&o);
    if (group.size() > 1)
      for (const SectionRow* m : group)
        if (!hasIndex(*m)) appendOnce(text, m->name);
  }
  return text;
}

std::string sequentialIndexes(const std::vector<SectionRow>& rows) {
  std::string text;
  std::vector<bool> marked(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!hasIndex(rows[i]) || marked[i]) continue;
    std::vector<int> indexes;
    for (std::size_t j = 0; j < rows.size(); ++j)
      if (hasIndex(rows[j]) && iequals(rows[j].baseName, rows[i].baseName)) {
        indexes.push_back(rows[j].index);
        marked[j] = true;
      }
    std::sort(indexes.begin(), indexes.end());
    bool sequential = true;
    for (std::size_t k = 0; k < indexes.size(); ++k) sequential = sequential && indexes[k] == static_cast<int>(k + 1);
    if (indexes.size() == 1 && !sequential) text += rows[i].name + "\r\n";
    if (indexes.size() > 1 && !sequential) text += rows[i].baseName + "\r\n";
  }
  return text;
}

std::string duplicatesV2(const std::vector<SectionRow>& rows) {
  std::string list;
  for (const SectionRow& a : rows)
    for (const SectionRow& b : rows)
      if (&a != &b && !a.name.empty() && !b.name.empty() &&
          base::toUpperAscii(a.name[0]) == base::toUpperAscii(b.name[0]) &&
          base::ifind(list, b.name) == std::string::npos)
        list += ", " + b.name;
  return list.empty() ? "" : "Duplicate section titles : " + list;
}

// Certifies section titles of a file of these title lines.
certify::OutcomeSlots titleChecks(const test::ScratchDir& dir, const std::vector<std::string>& titles, float version,
                                  checks::FileView& file) {
  std::vector<std::string> lines;
  for (const std::string& t : titles) lines.push_back("~" + t);
  file.fileName = dir.writeLas("titles.las", lines);
  file.version = version;
  file.directory.locateMainSections(file.fileName, version);
  checks::Handover handover;
  certify::OutcomeSlots slots;
  for (int k = 1; k <= 14; ++k) slots[static_cast<std::size_t>(k)] = " ";
  checks::checkSectionTitles(file, handover, slots);
  return slots;
}

TEST(SectionTitlePairs, LookupsGiveWhatComparingEveryPairGives) {
  test::ScratchDir dir;
  const std::vector<std::string> v3 = {"Version",
                                       "Well",
                                       "VERSION",
                                       "Well[2]",
                                       "Log_Data",
                                       "Log_Data[1]",
                                       "log_data[1]",
                                       "Log_Data[2]",
                                       "Log_Data[]",
                                       "Log_Definition",
                                       "Log_Definition[1]",
                                       "Log_Parameter",
                                       "Log_Parameter[1]",
                                       "Core_Data | Core_Definition",
                                       "Core_Definition",
                                       "Core_Data[1] | Log_Definition",
                                       "Log_Data | Log_Definition",
                                       "Tops_Data[3]",
                                       "A_Data_Definition",
                                       "ASCII",
                                       "ASCII | Curve",
                                       "Curve",
                                       "Curve[1]",
                                       "Parameter",
                                       "X_Definition",
                                       "V",
                                       "[2]x",
                                       "Log_Data[1] | Log_Definition[1]"};
  const std::vector<std::string> v2 = {"Version", "V", "Well",  "W",  "Curve",   "C", "Cx",
                                       "ASCII",   "A", "Other", "Vx", "version", "c"};
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    const bool three = round % 3 != 0;
    const auto& words = three ? v3 : v2;
    std::vector<std::string> titles;
    const int n = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < n; ++i) titles.push_back(words[random() % words.size()]);
    checks::FileView file;
    const certify::OutcomeSlots slots = titleChecks(dir, titles, three ? 3.0f : 2.0f, file);
    const auto& rows = file.directory.rows();
    std::string shown;
    for (const std::string& t : titles) shown += "~" + t + " ";
    if (three) {
      EXPECT_EQ(slots[1].text(), minimumSections(file, rows)) << shown;
      EXPECT_EQ(slots[4].text(), duplicates(rows)) << shown;
      EXPECT_EQ(slots[8].text(), associatedSectionExists(rows)) << shown;
      EXPECT_EQ(slots[9].text(), definitionHasData(rows)) << shown;
      EXPECT_EQ(slots[11].text(), dataSetOrder(rows)) << shown;
      EXPECT_EQ(slots[13].text(), identicalTitlesIndexed(rows)) << shown;
      EXPECT_EQ(slots[14].text(), sequentialIndexes(rows)) << shown;
    } else {
      EXPECT_EQ(slots[2].text(), duplicatesV2(rows)) << shown;
    }
  }
}

// 4,096 long titles certify in one pass over them, and each check's text
// stays within its slot.
TEST(SectionTitlePairs, ThousandsOfLongTitlesStayQuickAndBounded) {
  test::ScratchDir dir;
  std::vector<std::string> titles = {"Version", "Well"};
  const std::string prefix(300, 'A');
  for (int i = 0; i < 4094; ++i)
    titles.push_back(i % 2 ? prefix + std::to_string(i / 4) + "_Data | " + prefix + "_Definition"
                           : prefix + std::to_string(i / 4) + "_Definition[" + std::to_string(i % 7) + "]");
  checks::FileView file;
  const certify::OutcomeSlots slots = titleChecks(dir, titles, 3.0f, file);
  EXPECT_EQ(file.directory.rows().size(), las::SectionDirectory::kMaxSections);
  EXPECT_EQ(file.directory.rows()[2].name.size(), las::kMaxNameLength);
  EXPECT_EQ(file.directory.rows()[2].nameLength, 300 + 1 + 11 + 3);
  for (const certify::OutcomeSlot& slot : slots) EXPECT_LE(slot.text().size(), certify::OutcomeSlot::kMaxText + 64);
  EXPECT_TRUE(slots[2].full());  // cut names are none of the known ones
}

}  // namespace
