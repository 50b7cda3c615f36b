#pragma once
// The catalogue of checks and the outcome of each in the current run: one
// table for version 3.0 files (groups 1-9) and one for versions 1.2 and 2.0
// (groups 1-7). A cell is addressed by row (0 = the group's heading,
// 1-15 = checks), column (0 = title or outcome, 2 = check name) and group.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "certify/outcome.h"

namespace korrivan::certify {

inline constexpr int kRows = 16;
inline constexpr int kColumns = 4;
inline constexpr int kLastRow = 15;

// The fifteen text slots a driver hands to a check family; index 0 is unused
// so that slot k is row k of the group.
using OutcomeSlots = std::array<OutcomeSlot, kRows>;

class CheckTable {
public:
  explicit CheckTable(int lastGroup);

  int lastGroup() const { return lastGroup_; }
  std::string& cell(int row, int column, int group);
  const std::string& cell(int row, int column, int group) const;

  const std::string& title(int group) const { return cell(0, 0, group); }
  const std::string& outcome(int group, int row) const { return cell(row, 0, group); }
  const std::string& checkName(int group, int row) const { return cell(row, 2, group); }
  std::string& outcome(int group, int row) { return cell(row, 0, group); }
  std::string& checkName(int group, int row) { return cell(row, 2, group); }

private:
  int lastGroup_;
  std::vector<std::string> cells_;
};

// Both tables, alive for the whole program and reused by every run.
struct CheckTables {
  CheckTable v3{9};
  CheckTable v2{7};

  // The version 3.0 table for a 3.0 file, the 1.2/2.0 table otherwise.
  CheckTable& forVersion(float version) { return version == 3.0f ? v3 : v2; }
  const CheckTable& forVersion(float version) const { return version == 3.0f ? v3 : v2; }
};

// Writes the group titles and check names of both tables; outcome cells are
// left as they are. The version 3.0 group 6 names carry the data section's
// name; the 1.2/2.0 WRAP line-length row exists only with doWrap on.
void fillCheckCatalogue(CheckTables& tables, std::string_view dataSectionName, bool doWrap);

enum class CatalogueKind { Version3, Version2 };

// A table holding the catalogue of that kind, every outcome "" (passed):
// the version 3.0 group 6 names carry the data section's name; the 1.2/2.0
// WRAP line-length row exists only with doWrap on.
CheckTable catalogueTable(CatalogueKind kind, std::string_view dataSectionName, bool doWrap);

// Copies slots 1-15 into the outcome cells of the group, empty ones included.
void recordGroupResults(CheckTable& table, int group, const OutcomeSlots& slots);

// True when any outcome cell of groups 1 onward is not "" (not performed counts).
bool anyCheckFailed(const CheckTable& table);

// Sets every cell of the table to "".
void clearCheckTable(CheckTable& table);

// The letter of a row as the user sees it: row 1 is "a".
inline char rowLetter(int row) { return static_cast<char>(96 + row); }

}  // namespace korrivan::certify
