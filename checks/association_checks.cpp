// Version 3.0 associations: every mnemonic named after "|" exists in a
// header section, and associations do not run in a circle.
#include <string.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "base/text_utils.h"
#include "checks/family.h"
#include "las/line_parser.h"

namespace korrivan::checks {

namespace {

std::vector<std::string> associationItems(const std::string& association, char delimiter) {
  if (delimiter == ' ' || delimiter == '\0') return las::splitFields(association, " ");
  return base::splitAtEvery(association, delimiter);
}

std::string lineImage(const las::LasLineParts& row) {
  return row.mnemonic + "." + row.unit + "    " + row.value + " : " + row.description + " | " + row.association;
}

// Findings about a header line carry the line's number and its image.
void addLineFinding(OutcomeSlot& slot, const std::string& message, const std::string& separator,
                    const las::LasLineParts& row) {
  const std::string image = lineImage(row);
  slot.append(message + separator + image + "\r\n", message, row.line, image);
}

void addCircleFinding(OutcomeSlot& slot, const las::LasLineParts& row) {
  addLineFinding(slot, "Circular Association at line:", " \r\n", row);
}

}  // namespace

int findMnemonicRow(const std::vector<las::LasLineParts>& table, std::string_view mnemonic) {
  if (base::trimSpaces(mnemonic).empty()) return -1;
  for (std::size_t r = 1; r < table.size(); ++r)
    if (base::iequals(table[r].mnemonic, mnemonic)) return static_cast<int>(r);
  return -1;
}

namespace {

// The combined header table with what the association walks need of it:
// the first row of each mnemonic, and each row's association items.
class AssociationTable {
public:
  AssociationTable(std::vector<las::LasLineParts> rows, char delimiter) : rows_(std::move(rows)) {
    items_.resize(rows_.size());
    for (std::size_t r = 1; r < rows_.size(); ++r) {
      firstRow_.try_emplace(base::toUpper(rows_[r].mnemonic), static_cast<int>(r));
      if (!rows_[r].association.empty()) items_[r] = associationItems(rows_[r].association, delimiter);
      plain_ = plain_ && rows_[r].mnemonic.find(' ') == std::string::npos;
    }
  }

  std::size_t size() const { return rows_.size(); }
  const las::LasLineParts& row(std::size_t r) const { return rows_[r]; }
  const std::vector<std::string>& items(std::size_t r) const { return items_[r]; }
  bool associated(int r) const { return r > 0 && !rows_[static_cast<std::size_t>(r)].association.empty(); }

  // findMnemonicRow through the index.
  int find(std::string_view mnemonic) const {
    if (base::trimSpaces(mnemonic).empty()) return -1;
    auto it = firstRow_.find(base::toUpper(mnemonic));
    return it == firstRow_.end() ? -1 : it->second;
  }

  // True when no mnemonic and no first association item holds a space and
  // none is empty: then " F " stands in a walk's chain text exactly when the
  // row F names was added to the chain, and the walks can be followed as a
  // graph of rows.
  bool plainNames() const {
    if (!plain_) return false;
    for (std::size_t r = 1; r < rows_.size(); ++r)
      if (!items_[r].empty() && (items_[r].front().empty() || items_[r].front().find(' ') != std::string::npos))
        return false;
    return true;
  }

private:
  std::vector<las::LasLineParts> rows_;
  std::vector<std::vector<std::string>> items_;
  std::unordered_map<std::string, int> firstRow_;
  bool plain_ = true;
};

// The row a walk's step leads to from row d: the row its first item names,
// or -1 when that row is missing or has no association (the walk ends).
int nextRow(const AssociationTable& t, int d) {
  int n = t.find(t.items(static_cast<std::size_t>(d)).front());
  return t.associated(n) ? n : -1;
}

// For every associated row d, the row a walk that starts at d reports as
// circular (-1 for none). Following first items the rows form a graph in
// which each row leads to at most one other: a walk reports the row that
// closes the circle it runs into, that is the row before its entry point.
std::vector<int> circleReports(const AssociationTable& t) {
  const std::size_t n = t.size();
  std::vector<int> report(n, -1);
  std::vector<char> state(n, 0);  // 0 not seen, 1 on the current path, 2 done
  std::vector<int> path;
  for (std::size_t start = 1; start < n; ++start) {
    if (!t.associated(static_cast<int>(start)) || state[start]) continue;
    path.clear();
    int u = static_cast<int>(start);
    while (u != -1 && state[static_cast<std::size_t>(u)] == 0) {
      state[static_cast<std::size_t>(u)] = 1;
      path.push_back(u);
      u = nextRow(t, u);
    }
    std::size_t tailEnd = path.size();
    if (u != -1 && state[static_cast<std::size_t>(u)] == 1) {
      // A new circle: from u to the end of the path.
      tailEnd = static_cast<std::size_t>(std::find(path.begin(), path.end(), u) - path.begin());
      for (std::size_t i = tailEnd; i < path.size(); ++i)
        report[static_cast<std::size_t>(path[i])] = i == tailEnd ? path.back() : path[i - 1];
    }
    int carried = (u == -1 || state[static_cast<std::size_t>(u)] == 1) && tailEnd == path.size()
                      ? -1
                      : report[static_cast<std::size_t>(tailEnd < path.size() ? path[tailEnd] : u)];
    for (std::size_t i = tailEnd; i-- > 0;) report[static_cast<std::size_t>(path[i])] = carried;
    for (int p : path) state[static_cast<std::size_t>(p)] = 2;
  }
  return report;
}

// Walks of rows with several items depend on one another (a later item's
// walk sees the rows of the earlier ones), so they are followed step by
// step. On a file of endless chains that is a long way: all such walks
// together take at most this many steps (or, as chain text, this many bytes
// searched); the check then says that it could not follow every chain.
constexpr std::size_t kWalkSteps = 1'000'000;
constexpr std::size_t kChainBytesSearched = 16u << 20;
constexpr const char* kChainsNotFollowed =
    "Association chains too long to follow: circular references after this point were not looked for\r\n";

// The walk of one row as a graph of rows: `mark` stamps the rows in its
// chain (stamp[d] == mark), which holds a row's mnemonic exactly when the
// row was added to the chain text. False when the budget ran out.
bool walkAsGraph(const AssociationTable& t, const std::vector<int>& next, std::size_t r,
                 std::vector<std::uint32_t>& stamp, std::uint32_t mark, std::size_t& budget, OutcomeSlot& out) {
  for (const std::string& x : t.items(r)) {
    int d = t.find(x);
    while (t.associated(d)) {
      if (budget == 0) return false;
      --budget;
      const int n = next[static_cast<std::size_t>(d)];
      if (n > 0 && stamp[static_cast<std::size_t>(n)] == mark) {
        addCircleFinding(out, t.row(static_cast<std::size_t>(d)));
        break;
      }
      stamp[static_cast<std::size_t>(d)] = mark;
      d = n;
    }
  }
  return true;
}

// The walk as written: a chain text of the row's mnemonic and every row
// passed, each between spaces; a row whose first item stands in the chain
// closes a circle. Used where names hold spaces. False when the budget ran out.
bool walkAsText(const AssociationTable& t, std::size_t r, std::size_t& budget, OutcomeSlot& out) {
  std::string chain = base::toUpper(t.row(r).mnemonic);
  for (std::string x : t.items(r)) {
    for (std::size_t steps = 0; steps <= t.size(); ++steps) {
      int d = t.find(x);
      if (!t.associated(d)) break;
      const las::LasLineParts& row = t.row(static_cast<std::size_t>(d));
      const std::string& f = t.items(static_cast<std::size_t>(d)).front();
      const std::string needle = " " + base::toUpper(f) + " ";
      if (budget < chain.size() + needle.size()) return false;
      budget -= chain.size() + needle.size();
      if (::memmem(chain.data(), chain.size(), needle.data(), needle.size())) {
        addCircleFinding(out, row);
        break;
      }
      chain += " " + base::toUpper(row.mnemonic) + " ";
      x = f;
    }
  }
  return true;
}

// The combined header table: the parameter lines of every header,
// definition and parameter section, in directory order, up to the size the
// line syntax check allows in all (a larger file fails there first).
std::vector<las::LasLineParts> combinedHeaderTable(const FileView& file) {
  std::vector<las::LasLineParts> rows(1);
  std::int64_t bytes = 0;
  for (const las::SectionRow& s : file.directory.rows()) {
    if (!las::holdsParameterLines(s.kind)) continue;
    las::ParsedSection section;
    las::parseSection(file.directory, section, s.name, file.lineRules());
    bytes += section.textBytes;
    const std::size_t room = las::kMaxHeaderRows + 1 - std::min(rows.size(), las::kMaxHeaderRows + 1);
    const std::size_t taken = std::min(room, section.lineCount());
    rows.insert(rows.end(), std::make_move_iterator(section.rows.begin() + 1),
                std::make_move_iterator(section.rows.begin() + 1 + static_cast<std::ptrdiff_t>(taken)));
    if (taken < section.lineCount() || bytes > las::kMaxHeaderText) break;
  }
  return rows;
}

}  // namespace

FamilyResult checkAssociations(const FileView& file, Handover&, OutcomeSlots& slots) {
  const AssociationTable table(combinedHeaderTable(file), file.delimiter);
  slots[1] = slots[2] = "";

  for (std::size_t r = 1; r < table.size(); ++r) {
    for (const std::string& item : table.items(r)) {
      int found = table.find(item);
      if (found == -1)
        addLineFinding(slots[1], "Association mnemonic " + item + " not found in file. Line was :", "\r\n",
                       table.row(r));
      else if (found == static_cast<int>(r))
        addLineFinding(slots[2], "Line was like :", " ", table.row(r));
    }
  }

  const bool graph = table.plainNames();
  const std::vector<int> reports = graph ? circleReports(table) : std::vector<int>{};
  std::vector<int> next;
  std::vector<std::uint32_t> stamp;
  if (graph) {
    next.assign(table.size(), -1);
    for (std::size_t d = 1; d < table.size(); ++d)
      if (table.associated(static_cast<int>(d))) next[d] = table.find(table.items(d).front());
    stamp.assign(table.size(), 0);
  }
  std::size_t budget = graph ? kWalkSteps : kChainBytesSearched;
  for (std::size_t r = 1; r < table.size(); ++r) {
    const auto& items = table.items(r);
    if (items.empty()) continue;
    if (graph && items.size() == 1) {
      int d = table.find(items.front());
      if (table.associated(d) && reports[static_cast<std::size_t>(d)] != -1)
        addCircleFinding(slots[2], table.row(static_cast<std::size_t>(reports[static_cast<std::size_t>(d)])));
      continue;
    }
    const bool followed = graph ? walkAsGraph(table, next, r, stamp, static_cast<std::uint32_t>(r), budget, slots[2])
                                : walkAsText(table, r, budget, slots[2]);
    if (!followed) {
      slots[2] += kChainsNotFollowed;
      break;
    }
  }
  return resultFromSlots(slots);
}

}  // namespace korrivan::checks
