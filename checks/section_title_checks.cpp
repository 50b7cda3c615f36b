// Section titles: which sections exist, their names, order, duplicates,
// associations, the order of version 3.0 data section sets and [n] indexes;
// and the scans of raw tilde lines.
//
// A file may hold up to 4,096 titles (SectionDirectory::kMaxSections) of up
// to 256 characters each: checks that compare titles with one another look
// them up by their upper-case names instead of comparing every pair, and
// every text grows only through its slot.
#include <string.h>

#include <algorithm>
#include <array>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "base/file_names.h"
#include "base/text_utils.h"
#include "checks/family.h"
#include "las/line_source.h"
#include "las/section_directory.h"

namespace korrivan::checks {

namespace {

using base::icontains;
using base::iequals;
using base::toUpper;
using las::SectionRow;

const std::string& baseName(const SectionRow& r) { return r.baseName; }
bool hasIndex(const SectionRow& r) { return r.index >= 0; }

// The name up to its first underscore, and before any "[".
std::string_view groupPrefix(std::string_view name) { return base::before(base::before(name, '_'), '['); }

// The rows of each upper-case key, in directory order.
using RowsByKey = std::unordered_map<std::string, std::vector<std::size_t>>;

template <typename Key>
RowsByKey rowsBy(const std::vector<SectionRow>& rows, Key key) {
  RowsByKey byKey;
  for (std::size_t i = 0; i < rows.size(); ++i) byKey[toUpper(key(rows[i]))].push_back(i);
  return byKey;
}

// The first row of the list other than `self`, or nullopt.
std::optional<std::size_t> firstOther(const RowsByKey& byKey, std::string_view key, std::size_t self) {
  auto it = byKey.find(toUpper(key));
  if (it == byKey.end()) return std::nullopt;
  for (std::size_t i : it->second)
    if (i != self) return i;
  return std::nullopt;
}

// A list of names written to a slot, which tells whether a name already
// occurs in it (anywhere in its text, without regard to case). The text is
// searched while it is short, as on any real file; beyond kSearchedText
// bytes (thousands of duplicate titles) a name occurs in the list when it
// was appended itself, so that the check stays linear.
class NameList {
public:
  static constexpr std::size_t kSearchedText = 16 << 10;

  explicit NameList(OutcomeSlot& out) : out_(out) {}

  bool contains(std::string_view name) const {
    const std::string upper = toUpper(name);
    if (names_.count(upper)) return true;
    return upperText_.size() <= kSearchedText &&
           ::memmem(upperText_.data(), upperText_.size(), upper.data(), upper.size()) != nullptr;
  }
  // Appends `before` + name + `after`.
  void append(std::string_view before, std::string_view name, std::string_view after) {
    names_.insert(toUpper(name));
    out_ += {before, name, after};
    if (upperText_.size() <= kSearchedText)
      upperText_ += toUpper(std::string(before) + std::string(name) + std::string(after));
  }
  // Appends the name unless it occurs already; each name is looked for once,
  // since a name once in the list stays in it.
  void appendOnce(std::string_view before, std::string_view name, std::string_view after) {
    if (!tried_.insert(toUpper(name)).second) return;
    if (!contains(name)) append(before, name, after);
  }

private:
  OutcomeSlot& out_;
  std::string upperText_;
  std::unordered_set<std::string> names_, tried_;
};

// Text before the first case-insensitive occurrence of `marker`, or nullopt.
std::optional<std::string_view> textBefore(std::string_view s, std::string_view marker) {
  std::size_t p = base::ifind(s, marker);
  if (p == std::string_view::npos) return std::nullopt;
  return s.substr(0, p);
}

void minimumSectionsV3(const FileView& file, const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  bool version = false, well = false, curve = false, data = false;
  for (const SectionRow& r : rows) {
    const std::string& base = baseName(r);
    version = version || iequals(base, "Version");
    well = well || iequals(base, "Well");
    curve = curve || (!file.directory.curveSectionName.empty() && iequals(base, file.directory.curveSectionName));
    data = data || (!file.directory.dataSectionName.empty() && iequals(base, file.directory.dataSectionName));
  }
  if (!version) out += "~Version ";
  if (!well) out += "~Well";
  if (!curve && !data) {
    // A pair: one title's text before "_data" equals another's before
    // "_Definition" (within one title the two texts differ in length).
    std::unordered_set<std::string> dataSets;
    for (const SectionRow& r : rows)
      if (auto before = textBefore(r.name, "_data")) dataSets.insert(toUpper(*before));
    bool pair = false;
    for (const SectionRow& r : rows)
      if (auto before = textBefore(r.name, "_Definition")) pair = pair || dataSets.count(toUpper(*before)) > 0;
    if (!pair) out += "Minumum one set of Matching _Data/_Definition sections not found";
  }
}

void recognizedNames(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  for (const SectionRow& r : rows) {
    const std::string& base = baseName(r);
    bool known = iequals(base, "Version") || iequals(base, "Well") || iequals(base, "Parameter") ||
                 iequals(base, "Curve") || iequals(base, "ASCII") || icontains(base, "_Definition") ||
                 icontains(base, "_Data") || icontains(base, "_Parameter");
    if (!known) out += {"Illegal section is ~", base, "\r\n"};
  }
}

void firstAndSecond(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  if (rows.size() < 2) return;
  if (iequals(rows[0].name, "Version") && iequals(rows[1].name, "Well")) return;
  out += {"1st and 2nd sections are ~", rows[0].name, " then ~", rows[1].name};
}

// Two titles of the same base name are duplicates when the base name is
// Version or Well, when neither has an index, or when both have the same
// one: titles fall into classes of that kind, and every pair within a class
// is a duplicate.
std::string duplicateClass(const SectionRow& r) {
  const std::string base = toUpper(baseName(r));
  if (base == "VERSION" || base == "WELL") return base;
  return base + (hasIndex(r) ? "[" + std::to_string(r.index) + "]" : "[]");
}

void duplicatesV3(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  // For each title A in order, every other member B of its class is a
  // duplicate, appended once. The first member of a class brings all the
  // others, the second brings the first; later members bring nothing new.
  const RowsByKey classes = rowsBy(rows, duplicateClass);
  NameList text(out);
  for (std::size_t a = 0; a < rows.size(); ++a) {
    const std::vector<std::size_t>& members = classes.at(toUpper(duplicateClass(rows[a])));
    if (members.size() < 2) continue;
    if (members[0] == a) {
      for (std::size_t b : members)
        if (b != a) text.appendOnce("", rows[b].name, "\r\n");
    } else if (members[1] == a) {
      text.appendOnce("", rows[members[0]].name, "\r\n");
    }
  }
}

void barDelimiter(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  const SectionRow* last = nullptr;
  for (const SectionRow& r : rows)
    if (r.kind == las::SectionKind::Data && (r.association.empty() || r.association == " ") &&
        !iequals(r.name, "ASCII"))
      last = &r;
  if (last) out += {last->name, "\r\n"};
}

void matchingAssociation(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  for (const SectionRow& r : rows) {
    if (!iequals(r.name, "ASCII") && !base::iendsWith(r.name, "_DATA")) continue;
    std::size_t un = r.name.find('_'), ua = r.association.find('_');
    if (un != std::string::npos && ua != std::string::npos) {
      if (!iequals(std::string_view(r.name).substr(0, un + 1), std::string_view(r.association).substr(0, ua + 1))) {
        out += {r.name, "\r\n"};
        break;
      }
    } else if (iequals(r.name, "ASCII")) {
      if (!r.association.empty() && !iequals(r.association, "Curve") && r.association != " ")
        out += {"Associated Column definition section must be Curve, not ", r.association, "\r\n"};
    } else {
      out += {r.name, "\r\n"};
    }
  }
}

void associationSuffix(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  for (const SectionRow& r : rows)
    if (icontains(r.name, "_DATA") && !icontains(r.association, "_Definition"))
      out += {r.name, "|", r.association, "\r\n"};
}

void associatedSectionExists(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  const RowsByKey byName = rowsBy(rows, [](const SectionRow& r) { return r.name; });
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SectionRow& r = rows[i];
    if (!icontains(r.association, "_Definition")) continue;
    if (!firstOther(byName, r.association, i)) out += {r.association, "\r\n"};
  }
}

void definitionHasData(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  RowsByKey dataByPrefix;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].kind == las::SectionKind::Data) dataByPrefix[toUpper(groupPrefix(rows[i].name))].push_back(i);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SectionRow& r = rows[i];
    if (!icontains(r.name, "_Definition")) continue;
    if (!firstOther(dataByPrefix, groupPrefix(r.name), i)) out += {r.name, "\r\n"};
  }
}

void noAssociationOnHeaders(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  for (const SectionRow& r : rows) {
    const std::string& base = baseName(r);
    bool applies = icontains(r.name, "Version") || icontains(r.name, "Well") || icontains(r.name, "_Parameter") ||
                   icontains(r.name, "_Definition") || iequals(base, "Parameter") || iequals(base, "Curve");
    if (!applies || r.association.empty()) continue;
    if (r.association == " ")
      out += {"~", r.name, " section title has a illegal | delimiter\r\n"};
    else
      out += {"~", r.name, " section title has a illegal | delimiter AND an illegal association section title.\r\n"};
  }
}

void dataSetOrder(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  const RowsByKey byName = rowsBy(rows, [](const SectionRow& r) { return r.name; });
  for (std::size_t d = 0; d < rows.size() && !out.full(); ++d) {
    const SectionRow& r = rows[d];
    if (r.kind != las::SectionKind::Data) continue;
    std::string defName = r.association;
    std::string parName = std::string(groupPrefix(r.name)) + "_Parameter";
    if (hasIndex(r)) parName += "[" + std::to_string(r.index) + "]";
    if (iequals(r.name, "ASCII")) {
      defName = "Curve";
      parName = "Parameter";
    }
    auto pp = firstOther(byName, parName, d);
    auto pd = firstOther(byName, defName, d);
    if (pp && pd) {
      if (!(*pp < *pd && *pd < d))
        out += {"Expected order: ", rows[*pp].name, "/", rows[*pd].name, "/", r.name, "\r\n"};
    } else if (pd) {
      if (!(*pd < d)) out += {"Expected order: ", rows[*pd].name, "/", r.name, "\r\n"};
    } else {
      out += {"Missing ", defName, "\r\n"};
    }
  }
}

void indexesOnSingleSections(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  for (const SectionRow& r : rows) {
    if (!hasIndex(r)) continue;
    std::string_view prefix = groupPrefix(r.name);
    for (const char* word : {"Version", "Well", "Curve", "Parameter", "ASCII"})
      if (iequals(prefix, word)) out += {word, "\r\n"};
  }
}

void identicalTitlesIndexed(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  // Each group of titles with one base name is examined once, at its first member.
  const RowsByKey groups = rowsBy(rows, baseName);
  NameList text(out);
  for (std::size_t e = 0; e < rows.size(); ++e) {
    const std::vector<std::size_t>& group = groups.at(toUpper(baseName(rows[e])));
    if (group.front() != e || group.size() < 2) continue;
    for (std::size_t m : group)
      if (!hasIndex(rows[m])) text.appendOnce("", rows[m].name, "\r\n");
  }
}

void sequentialIndexes(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  // The indexed titles of each base name form one group, taken at its first member.
  RowsByKey groups;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (hasIndex(rows[i])) groups[toUpper(baseName(rows[i]))].push_back(i);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!hasIndex(rows[i])) continue;
    const std::vector<std::size_t>& group = groups.at(toUpper(baseName(rows[i])));
    if (group.front() != i) continue;
    if (group.size() == 1) {
      if (rows[i].index != 1) out += {rows[i].name, "\r\n"};
      continue;
    }
    std::vector<int> indexes;
    for (std::size_t m : group) indexes.push_back(rows[m].index);
    std::sort(indexes.begin(), indexes.end());
    for (std::size_t k = 0; k < indexes.size(); ++k)
      if (indexes[k] != static_cast<int>(k + 1)) {
        out += {baseName(rows[i]), "\r\n"};
        break;
      }
  }
}

void minimumSectionsV2(const std::vector<SectionRow>& rows, float version, OutcomeSlot& out) {
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
  if (!list.empty()) out += {" sections missing are : ", list};
}

void duplicatesV2(const std::vector<SectionRow>& rows, OutcomeSlot& out) {
  // Only the first letter counts: the first two titles of a letter, compared
  // with all others, bring every name the list will hold.
  std::array<int, 256> seenOfLetter{};
  NameList list(out);
  for (const SectionRow& a : rows) {
    if (a.name.empty()) continue;
    const auto letter = static_cast<unsigned char>(base::toUpperAscii(a.name[0]));
    if (++seenOfLetter[letter] > 2) continue;
    for (const SectionRow& b : rows) {
      if (&a == &b || b.name.empty() || base::toUpperAscii(b.name[0]) != static_cast<char>(letter)) continue;
      if (out.empty()) out += "Duplicate section titles : ";
      list.appendOnce(", ", b.name, "");
    }
  }
}

}  // namespace

FamilyResult checkSectionTitles(const FileView& file, Handover&, OutcomeSlots& slots) {
  if (file.directory.empty() && !base::fileExists(file.fileName)) return FamilyResult::InternalError;
  const auto& rows = file.directory.rows();
  if (file.version == 3.0f) {
    for (int k = 1; k <= 14; ++k) slots[static_cast<std::size_t>(k)].clear();
    minimumSectionsV3(file, rows, slots[1]);
    recognizedNames(rows, slots[2]);
    firstAndSecond(rows, slots[3]);
    duplicatesV3(rows, slots[4]);
    barDelimiter(rows, slots[5]);
    matchingAssociation(rows, slots[6]);
    associationSuffix(rows, slots[7]);
    associatedSectionExists(rows, slots[8]);
    definitionHasData(rows, slots[9]);
    noAssociationOnHeaders(rows, slots[10]);
    dataSetOrder(rows, slots[11]);
    indexesOnSingleSections(rows, slots[12]);
    identicalTitlesIndexed(rows, slots[13]);
    sequentialIndexes(rows, slots[14]);
  } else {
    slots[1].clear();
    slots[2].clear();
    minimumSectionsV2(rows, file.version, slots[1]);
    duplicatesV2(rows, slots[2]);
    TildeScan scan = scanTildeLinesV2(file.fileName, &file.directory);
    if (scan.result == 0) return FamilyResult::InternalError;
    slots[3] = scan.text;
  }
  return resultFromSlots(slots);
}

namespace {

// Hands every line holding a tilde to `visit` in file order, until it
// returns false. The lines the directory met while it was built are read
// from their starts; the rest of the file, if any, is searched.
template <class Visit>
void forEachTildeLine(const std::string& fileName, const las::SectionDirectory* directory, Visit visit) {
  las::LineSource src(fileName);
  std::string_view line;
  std::int64_t searchFrom = 0;
  if (directory && directory->describesFile(fileName)) {
    for (const std::int64_t start : directory->tildeLineStarts()) {
      src.seek(start);
      if (!src.next(line) || !visit(line)) return;
    }
    searchFrom = directory->tildeLinesEnd();
    if (searchFrom < 0) return;
  }
  src.seek(searchFrom);
  while (src.nextContaining('~', line))
    if (!visit(line)) return;
}

}  // namespace

TildeScan scanTildeLinesV3(const std::string& fileName, const las::SectionDirectory* directory) {
  TildeScan scan;
  if (!base::fileExists(fileName)) return scan;
  try {
    forEachTildeLine(fileName, directory, [&](std::string_view line) {
      std::string_view t = base::trimSpaces(line);
      if (!t.empty() && t.front() == '#') return true;
      if (t.front() == '~') {
        std::string_view finding;
        if (t.size() < 2)
          finding = "Missing section title";
        else if (std::string_view(" ,\t|[]").find(t[1]) != std::string_view::npos)
          finding = "Tilde followed by illegal characters; space, comma, tab, | or [ ]";
        if (!finding.empty()) scan.text += {finding, "\r\n", t, "\r\n"};
      } else {
        scan.text += {"Tilde not first non-space character of the line\r\n", line, "\r\n"};
      }
      return !scan.text.full();
    });
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    scan.result = 0;
    return scan;
  }
  scan.result = scan.text.empty() ? -1 : 1;
  return scan;
}

TildeScan scanTildeLinesV2(const std::string& fileName, const las::SectionDirectory* directory) {
  TildeScan scan;
  try {
    forEachTildeLine(fileName, directory, [&](std::string_view line) {
      std::string_view t = base::trimSpaces(line);
      if (t.front() != '~') {
        scan.text += {"Tilde not first non-space character of the line\r\n", line, "\r\n"};
      } else if (t.size() < 2) {
        scan.text += {"Missing section title\r\n", t, "\r\n"};
      } else if (t[1] < 'A' || t[1] > 'Z') {
        const auto code = static_cast<unsigned char>(t[1]);
        std::string shown = t[1] == ' ' ? "<space>"
                            : (code < 32 || code >= 128)
                                ? "Unprintable control character ASCII code =" + std::to_string(code)
                                : std::string(1, t[1]);
        scan.text +=
            {"Tilde not followed by upper case letter, A-Z. Character was ", shown, " on line:\r\n", t, "\r\n"};
      }
      return !scan.text.full();
    });
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    scan.result = 0;
    return scan;
  }
  scan.result = scan.text.empty() ? -1 : 1;
  return scan;
}

FamilyResult checkTildeLinesV3(const FileView& file, Handover&, OutcomeSlots& slots) {
  TildeScan scan = scanTildeLinesV3(file.fileName, &file.directory);
  if (scan.result == 0) return FamilyResult::InternalError;
  slots[7] = scan.text;
  return scan.result == -1 ? FamilyResult::AllPassed : FamilyResult::Record;
}

}  // namespace korrivan::checks
