// Section titles: which sections exist, their names, order, duplicates,
// associations, the order of version 3.0 data section sets and [n] indexes;
// and the scans of raw tilde lines.
#include <algorithm>
#include <array>

#include "base/file_names.h"
#include "base/text_utils.h"
#include "checks/family.h"
#include "las/line_source.h"

namespace korrivan::checks {

namespace {

using base::icontains;
using base::iequals;
using las::SectionRow;

const std::string& baseName(const SectionRow& r) { return r.baseName; }
bool hasIndex(const SectionRow& r) { return r.index >= 0; }

// The name up to its first underscore, and before any "[".
std::string_view groupPrefix(std::string_view name) { return base::before(base::before(name, '_'), '['); }

// A list of names that tells quickly whether a name already occurs in it
// (anywhere, without regard to case), through an upper-case copy.
class NameList {
public:
  bool contains(std::string_view name) const { return upper_.find(base::toUpper(name)) != std::string::npos; }
  void append(std::string_view piece) {
    text_ += piece;
    upper_ += base::toUpper(piece);
  }
  bool empty() const { return text_.empty(); }
  const std::string& text() const { return text_; }

private:
  std::string text_, upper_;
};

void appendOnce(NameList& list, const std::string& name) {
  if (!list.contains(name)) list.append(name + "\r\n");
}

// Text before the first case-insensitive occurrence of `marker`, or nullopt.
std::optional<std::string> textBefore(std::string_view s, std::string_view marker) {
  std::size_t p = base::ifind(s, marker);
  if (p == std::string_view::npos) return std::nullopt;
  return std::string(s.substr(0, p));
}

std::string minimumSectionsV3(const FileView& file, const std::vector<SectionRow>& rows) {
  bool version = false, well = false, curve = false, data = false;
  for (const SectionRow& r : rows) {
    std::string base = baseName(r);
    version = version || iequals(base, "Version");
    well = well || iequals(base, "Well");
    curve = curve || (!file.directory.curveSectionName.empty() && iequals(base, file.directory.curveSectionName));
    data = data || (!file.directory.dataSectionName.empty() && iequals(base, file.directory.dataSectionName));
  }
  std::string text;
  if (!version) text += "~Version ";
  if (!well) text += "~Well";
  if (!curve && !data) {
    bool pair = false;
    for (const SectionRow& a : rows)
      for (const SectionRow& b : rows) {
        if (&a == &b) continue;
        auto da = textBefore(a.name, "_data");
        auto db = textBefore(b.name, "_Definition");
        pair = pair || (da && db && iequals(*da, *db));
      }
    if (!pair) text += "Minumum one set of Matching _Data/_Definition sections not found";
  }
  return text;
}

std::string recognizedNames(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows) {
    std::string base = baseName(r);
    bool known = iequals(base, "Version") || iequals(base, "Well") || iequals(base, "Parameter") ||
                 iequals(base, "Curve") || iequals(base, "ASCII") || icontains(base, "_Definition") ||
                 icontains(base, "_Data") || icontains(base, "_Parameter");
    if (!known) text += "Illegal section is ~" + base + "\r\n";
  }
  return text;
}

std::string firstAndSecond(const std::vector<SectionRow>& rows) {
  if (rows.size() < 2) return "";
  if (iequals(rows[0].name, "Version") && iequals(rows[1].name, "Well")) return "";
  return "1st and 2nd sections are ~" + rows[0].name + " then ~" + rows[1].name;
}

std::string duplicatesV3(const std::vector<SectionRow>& rows) {
  NameList text;
  for (const SectionRow& a : rows)
    for (const SectionRow& b : rows) {
      if (&a == &b) continue;
      const std::string& base = baseName(a);
      if (!iequals(base, baseName(b))) continue;
      bool duplicate = iequals(base, "Version") || iequals(base, "Well") || (!hasIndex(a) && !hasIndex(b)) ||
                       (hasIndex(a) && hasIndex(b) && a.index == b.index);
      if (duplicate) appendOnce(text, b.name);
    }
  return text.text();
}

std::string barDelimiter(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows)
    if (r.kind == las::SectionKind::Data && (r.association.empty() || r.association == " ") &&
        !iequals(r.name, "ASCII"))
      text = r.name + "\r\n";
  return text;
}

std::string matchingAssociation(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows) {
    if (!iequals(r.name, "ASCII") && !base::iendsWith(r.name, "_DATA")) continue;
    std::size_t un = r.name.find('_'), ua = r.association.find('_');
    if (un != std::string::npos && ua != std::string::npos) {
      if (!iequals(r.name.substr(0, un + 1), r.association.substr(0, ua + 1))) {
        text += r.name + "\r\n";
        break;
      }
    } else if (iequals(r.name, "ASCII")) {
      if (!r.association.empty() && !iequals(r.association, "Curve") && r.association != " ")
        text += "Associated Column definition section must be Curve, not " + r.association + "\r\n";
    } else {
      text += r.name + "\r\n";
    }
  }
  return text;
}

std::string associationSuffix(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows)
    if (icontains(r.name, "_DATA") && !icontains(r.association, "_Definition"))
      text += r.name + "|" + r.association + "\r\n";
  return text;
}

std::string associatedSectionExists(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows) {
    if (!icontains(r.association, "_Definition")) continue;
    bool found = std::any_of(rows.begin(), rows.end(),
                             [&](const SectionRow& o) { return &o != &r && iequals(o.name, r.association); });
    if (!found) text += r.association + "\r\n";
  }
  return text;
}

std::string definitionHasData(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows) {
    if (!icontains(r.name, "_Definition")) continue;
    std::string_view prefix = groupPrefix(r.name);
    bool found = std::any_of(rows.begin(), rows.end(), [&](const SectionRow& o) {
      return &o != &r && o.kind == las::SectionKind::Data && iequals(groupPrefix(o.name), prefix);
    });
    if (!found) text += r.name + "\r\n";
  }
  return text;
}

std::string noAssociationOnHeaders(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows) {
    std::string base = baseName(r);
    bool applies = icontains(r.name, "Version") || icontains(r.name, "Well") || icontains(r.name, "_Parameter") ||
                   icontains(r.name, "_Definition") || iequals(base, "Parameter") || iequals(base, "Curve");
    if (!applies || r.association.empty()) continue;
    if (r.association == " ")
      text += "~" + r.name + " section title has a illegal | delimiter\r\n";
    else
      text += "~" + r.name + " section title has a illegal | delimiter AND an illegal association section title.\r\n";
  }
  return text;
}

std::string dataSetOrder(const std::vector<SectionRow>& rows) {
  std::string text;
  auto findOther = [&](std::size_t self, const std::string& name) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (i != self && iequals(rows[i].name, name)) return i;
    return std::nullopt;
  };
  for (std::size_t d = 0; d < rows.size(); ++d) {
    const SectionRow& r = rows[d];
    if (r.kind != las::SectionKind::Data) continue;
    std::string defName = r.association;
    std::string parName = std::string(groupPrefix(r.name)) + "_Parameter";
    if (hasIndex(r)) parName += "[" + std::to_string(r.index) + "]";
    if (iequals(r.name, "ASCII")) {
      defName = "Curve";
      parName = "Parameter";
    }
    auto pp = findOther(d, parName);
    auto pd = findOther(d, defName);
    if (pp && pd) {
      if (!(*pp < *pd && *pd < d))
        text += "Expected order: " + rows[*pp].name + "/" + rows[*pd].name + "/" + r.name + "\r\n";
    } else if (pd) {
      if (!(*pd < d)) text += "Expected order: " + rows[*pd].name + "/" + r.name + "\r\n";
    } else {
      text += "Missing " + defName + "\r\n";
    }
  }
  return text;
}

std::string indexesOnSingleSections(const std::vector<SectionRow>& rows) {
  std::string text;
  for (const SectionRow& r : rows) {
    if (!hasIndex(r)) continue;
    std::string_view prefix = groupPrefix(r.name);
    for (const char* word : {"Version", "Well", "Curve", "Parameter", "ASCII"})
      if (iequals(prefix, word)) text += std::string(word) + "\r\n";
  }
  return text;
}

std::string identicalTitlesIndexed(const std::vector<SectionRow>& rows) {
  NameList text;
  std::vector<bool> grouped(rows.size(), false);
  for (std::size_t e = 0; e < rows.size(); ++e) {
    // Every member of a group forms the same group: examine each group once.
    if (grouped[e]) continue;
    std::vector<std::size_t> group;
    for (std::size_t o = 0; o < rows.size(); ++o)
      if (iequals(baseName(rows[o]), baseName(rows[e]))) group.push_back(o);
    for (std::size_t m : group) grouped[m] = true;
    if (group.size() < 2) continue;
    for (std::size_t m : group)
      if (!hasIndex(rows[m])) appendOnce(text, rows[m].name);
  }
  return text.text();
}

std::string sequentialIndexes(const std::vector<SectionRow>& rows) {
  std::string text;
  std::vector<bool> marked(rows.size(), false);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!hasIndex(rows[i]) || marked[i]) continue;
    marked[i] = true;
    std::string base = baseName(rows[i]);
    std::vector<int> indexes = {rows[i].index};
    for (std::size_t j = 0; j < rows.size(); ++j)
      if (j != i && rows[j].index >= 0 && iequals(baseName(rows[j]), base)) {
        indexes.push_back(rows[j].index);
        marked[j] = true;
      }
    if (indexes.size() == 1) {
      if (indexes[0] != 1) text += rows[i].name + "\r\n";
      continue;
    }
    std::sort(indexes.begin(), indexes.end());
    for (std::size_t k = 0; k < indexes.size(); ++k)
      if (indexes[k] != static_cast<int>(k + 1)) {
        text += base + "\r\n";
        break;
      }
  }
  return text;
}

std::string minimumSectionsV2(const std::vector<SectionRow>& rows, float version) {
  bool v = false, w = false, c = false, a = false;
  for (const SectionRow& r : rows) {
    const std::string& base = baseName(r);
    v = v || las::namesSection(base, "Version", version);
    w = w || las::namesSection(base, "Well", version);
    c = c || las::namesSection(base, "Curve", version);
    a = a || las::namesSection(base, "ASCII", version);
  }
  std::string list;
  if (!w) list += "~Well ";
  if (!v) list += "~Version ";
  if (!c) list += "~Curve ";
  if (!a) list += "~ASCII ";
  return list.empty() ? "" : " sections missing are : " + list;
}

std::string duplicatesV2(const std::vector<SectionRow>& rows) {
  NameList list;
  // The list only grows, so once the first two sections of a letter have
  // compared themselves with all others, later ones add nothing.
  std::array<int, 256> seenOfLetter{};
  for (const SectionRow& a : rows) {
    if (a.name.empty() || ++seenOfLetter[static_cast<unsigned char>(base::toUpperAscii(a.name[0]))] > 2) continue;
    for (const SectionRow& b : rows) {
      if (&a == &b || b.name.empty()) continue;
      if (base::toUpperAscii(a.name[0]) != base::toUpperAscii(b.name[0])) continue;
      if (!list.contains(b.name)) list.append(", " + b.name);
    }
  }
  return list.empty() ? "" : "Duplicate section titles : " + list.text();
}

}  // namespace

FamilyResult checkSectionTitles(const FileView& file, Handover&, OutcomeSlots& slots) {
  if (file.directory.empty() && !base::fileExists(file.fileName)) return FamilyResult::InternalError;
  const auto& rows = file.directory.rows();
  if (file.version == 3.0f) {
    slots[1] = minimumSectionsV3(file, rows);
    slots[2] = recognizedNames(rows);
    slots[3] = firstAndSecond(rows);
    slots[4] = duplicatesV3(rows);
    slots[5] = barDelimiter(rows);
    slots[6] = matchingAssociation(rows);
    slots[7] = associationSuffix(rows);
    slots[8] = associatedSectionExists(rows);
    slots[9] = definitionHasData(rows);
    slots[10] = noAssociationOnHeaders(rows);
    slots[11] = dataSetOrder(rows);
    slots[12] = indexesOnSingleSections(rows);
    slots[13] = identicalTitlesIndexed(rows);
    slots[14] = sequentialIndexes(rows);
  } else {
    slots[1] = minimumSectionsV2(rows, file.version);
    slots[2] = duplicatesV2(rows);
    TildeScan scan = scanTildeLinesV2(file.fileName);
    if (scan.result == 0) return FamilyResult::InternalError;
    slots[3] = scan.text;
  }
  return resultFromSlots(slots);
}

TildeScan scanTildeLinesV3(const std::string& fileName) {
  TildeScan scan;
  if (!base::fileExists(fileName)) return scan;
  try {
    las::LineSource src(fileName);
    std::string_view line;
    while (src.nextContaining('~', line)) {
      std::string_view t = base::trimSpaces(line);
      if (!t.empty() && t.front() == '#') continue;
      if (t.front() == '~') {
        std::string_view finding;
        if (t.size() < 2)
          finding = "Missing section title";
        else if (std::string_view(" ,\t|[]").find(t[1]) != std::string_view::npos)
          finding = "Tilde followed by illegal characters; space, comma, tab, | or [ ]";
        if (!finding.empty()) appendFinding(scan.text, std::string(finding) + "\r\n" + std::string(t) + "\r\n");
      } else {
        appendFinding(scan.text, "Tilde not first non-space character of the line\r\n" + std::string(line) + "\r\n");
      }
    }
  } catch (const std::exception&) {
    scan.result = 0;
    return scan;
  }
  scan.result = scan.text.empty() ? -1 : 1;
  return scan;
}

TildeScan scanTildeLinesV2(const std::string& fileName) {
  TildeScan scan;
  try {
    las::LineSource src(fileName);
    std::string_view line;
    while (src.nextContaining('~', line)) {
      std::string_view t = base::trimSpaces(line);
      if (t.front() != '~') {
        appendFinding(scan.text, "Tilde not first non-space character of the line\r\n" + std::string(line) + "\r\n");
      } else if (t.size() < 2) {
        appendFinding(scan.text, "Missing section title\r\n" + std::string(t) + "\r\n");
      } else if (t[1] < 'A' || t[1] > 'Z') {
        const auto code = static_cast<unsigned char>(t[1]);
        std::string shown = t[1] == ' ' ? "<space>"
                            : (code < 32 || code >= 128)
                                ? "Unprintable control character ASCII code =" + std::to_string(code)
                                : std::string(1, t[1]);
        appendFinding(scan.text, "Tilde not followed by upper case letter, A-Z. Character was " + shown +
                                     " on line:\r\n" + std::string(t) + "\r\n");
      }
    }
  } catch (const std::exception&) {
    scan.result = 0;
    return scan;
  }
  scan.result = scan.text.empty() ? -1 : 1;
  return scan;
}

FamilyResult checkTildeLinesV3(const FileView& file, Handover&, OutcomeSlots& slots) {
  TildeScan scan = scanTildeLinesV3(file.fileName);
  if (scan.result == 0) return FamilyResult::InternalError;
  slots[7] = scan.text;
  return scan.result == -1 ? FamilyResult::AllPassed : FamilyResult::Record;
}

}  // namespace korrivan::checks
