#pragma once
// A content specification: for the sections of a LAS file, which parameter
// lines must be present and how each of their parts must be filled. Rows
// belong to a fixed section (~Version, ~Well, ~Parameter) or to a section of
// a user-defined group (~Log_Parameter, ~Core_Definition, ...). Here are the
// model, the texts of its rules as the content-specification grid lists
// them, the key rules of the grid's typed columns, and the grid's rules
// for filling a row in.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "las/line_parser.h"

namespace korrivan::compliance {

// Columns of the content-specification grid; column 0 holds the row numbers.
enum class SpecColumn : int {
  Mnemonic = 1,
  MnemonicRule = 2,
  Unit = 3,
  UnitRule = 4,
  Value = 5,
  ValueRule = 6,
  FormatKind = 7,
  FormatCode = 8,
  Description = 9,
  DescriptionRule = 10,
  Association = 11,
  AssociationRule = 12,
};
inline constexpr int kGridColumns = 13;
inline constexpr int kGridRows = 1000;  // rows of one section, numbered 1..1000

// The header of a grid column ("MNEM", "Options", "UNIT", ...).
std::string_view columnHeader(int column);
// Columns 1, 3, 5, 9 and 11 take typing; the others take their text from lists.
bool isTypedColumn(int column);
bool isOptionsColumn(int column);

// ---------------------------------------------------------------- rules

enum class PartRule { Exact, Filled, Optional };
enum class ValueRule { FilledUseFormat, FilledAnyFormat, NotFilled, OptionalUseFormat, OptionalAnyFormat };
enum class AssociationRule { Must, Optional };
enum class FormatKind { None, FloatingPoint, String, Integer, Exponential, DateTime };

std::string_view captionOf(PartRule rule);
std::string_view captionOf(ValueRule rule);
std::string_view captionOf(AssociationRule rule);
// "" for None.
std::string_view captionOf(FormatKind kind);

// The rule a caption names (letter case ignored); nullopt for any other text.
std::optional<PartRule> partRuleOf(std::string_view caption);
std::optional<ValueRule> valueRuleOf(std::string_view caption);
std::optional<AssociationRule> associationRuleOf(std::string_view caption);
// "" and "<None>" give None.
std::optional<FormatKind> formatKindOf(std::string_view caption);

// The list a column offers, in order. The unit's options are
// Exact|Filled|Optional for a row with a unit, Exact|Optional without one;
// the format kinds begin with an empty entry. Empty for other columns.
std::vector<std::string> listOf(int column, bool rowHasUnit);

inline constexpr std::string_view kNoneEntry = "<None>";

// The format code the grid fills in for a kind: F13.5, I10, S32, 0.00E+00,
// DD/MMM/YYYY; "" for None.
std::string_view defaultCodeOf(FormatKind kind);

// The format a value is tested against: the code itself, except that an
// exponential pattern written without its letter ("0.00E+00") is read as
// "E0.00E+00". "" when there is no code.
std::string effectiveFormat(FormatKind kind, std::string_view code);

// The kind a format code of a LAS line belongs to (F, I, S, E, and the date
// and time letters D, M, Y, H); nullopt for codes no kind stands for.
std::optional<FormatKind> kindOfCode(std::string_view code);

// Whether a code is a legal format of that kind: legal as a LAS format and
// of the kind's letter. A kind of None takes only an empty code.
bool codeFitsKind(FormatKind kind, std::string_view code);

// ---------------------------------------------------------------- typing

// The key rule of a typed column: returns the character as it goes into the
// cell (upper-cased in MNEM, UNIT, VALUE and ASSOC), or nullopt when the
// column refuses it. Every typed column refuses "{", "|", "}", "~" and codes
// outside 1..255; MNEM and ASSOC also ":", space, "[", "]" and "."; UNIT
// ":", space, "[" and "]"; VALUE ";". Columns that take no typing refuse
// every character.
std::optional<char32_t> acceptKey(int column, char32_t key);

// A UTF-8 text as a cell of the column holds it, whether typed, imported
// from a LAS line or read from a file: the characters no cell holds ("{",
// "|", "}", "~" and codes outside 1..255) dropped, letters upper-cased in
// MNEM, UNIT, VALUE and ASSOC. The column rules of typing do not apply, so
// an imported RUN[1] stays RUN[1]. `refused` (if given) receives the first
// dropped character (a code above 0x10FFFF for a byte that is not UTF-8),
// 0 when none.
std::string storedCellText(int column, std::string_view utf8, char32_t* refused = nullptr);

// ---------------------------------------------------------------- sections

enum class SectionTab { Parameter, Definition, Data };

// Which tabs of a group's data set are in use, as the option buttons offer
// them: "~Par ~Def ~Data", "~Def ~Data", "~Par".
enum class GroupLayout { ParDefData, DefData, Par };
std::string_view captionOf(GroupLayout layout);
std::optional<GroupLayout> groupLayoutOf(std::string_view caption);
bool layoutHasTab(GroupLayout layout, SectionTab tab);

struct SectionGroup {
  std::string name;  // "Log", "Core": the prefix of the group's section names
  GroupLayout layout = GroupLayout::ParDefData;
};

inline constexpr std::array<std::string_view, 3> kFixedSections{"Version", "Well", "Parameter"};
// "_Parameter", "_Definition", "_Data".
std::string_view suffixOf(SectionTab tab);
// "Log" and Definition give "Log_Definition".
std::string groupSectionName(std::string_view group, SectionTab tab);

// A section a row belongs to, as named in a content specification: a fixed section
// (group empty) or a section of a group.
struct SectionRef {
  std::string name;   // canonical spelling: "Well", "Log_Parameter"
  std::string group;  // "" for the fixed sections
  SectionTab tab = SectionTab::Parameter;
};
// Reads "Well", "version", "Log_Parameter", "Core_Data" (letter case of the
// fixed names and of the suffixes ignored; the group keeps its spelling).
std::optional<SectionRef> sectionRefOf(std::string_view name);

// Whether a text may name a section group: not empty, and none of space,
// ".", ":", "|", "~", "{", "}", "[", "]", "_", "#", ";" or ",".
bool isValidGroupName(std::string_view name);

// ---------------------------------------------------------------- rows

struct ContentSpecRow {
  std::string section;  // "Well", "Log_Parameter"
  std::string mnemonic;
  PartRule mnemonicRule = PartRule::Exact;
  std::string unit;
  PartRule unitRule = PartRule::Exact;
  std::string value;  // an example value; the rule decides what a file's value must be
  ValueRule valueRule = ValueRule::FilledUseFormat;
  FormatKind formatKind = FormatKind::FloatingPoint;
  std::string formatCode = "F13.5";
  std::string description;
  PartRule descriptionRule = PartRule::Exact;
  std::string association;
  AssociationRule associationRule = AssociationRule::Optional;
  // The line of the content specification file the row was read from; 0 otherwise.
  std::int64_t sourceLine = 0;
};

struct ContentSpec {
  std::vector<SectionGroup> groups;
  std::vector<ContentSpecRow> rows;  // in section order, then in grid order

  const SectionGroup* findGroup(std::string_view name) const;
  // The rows of one section, in order.
  std::vector<const ContentSpecRow*> rowsOf(std::string_view section) const;
  // The sections in the grid's order: the fixed ones, then each group's
  // Parameter, Definition and Data.
  std::vector<std::string> sectionNames() const;
};

// A new specification: the group Log with all three tabs, no rows.
ContentSpec newContentSpec();

// ---------------------------------------------------------------- grid cells

// The texts of one grid row, indexed by column (index 0 unused).
using GridCells = std::array<std::string, kGridColumns>;

// After the mnemonic of a row was entered: empty option cells get their
// defaults (Exact, Exact, Must be filled/Use Format, Exact, Optional) and,
// when the format code is empty, FORMAT becomes Floating Point with F13.5.
void fillRowDefaults(GridCells& cells);
// After a format kind was chosen: the code of that kind; <None> (and the
// empty entry) empty kind and code.
void formatKindChosen(GridCells& cells);
// After a value rule was chosen: "Must be filled/Any Format" sets FORMAT to
// Floating Point with F13.5.
void valueRuleChosen(GridCells& cells);

bool rowIsBlank(const GridCells& cells);

// A grid row as a content specification row; option cells left empty take the
// defaults of fillRowDefaults. The message names the first cell that holds
// no valid text ("" when the row is valid).
struct RowReading {
  std::optional<ContentSpecRow> row;
  std::string message;
};
RowReading rowOfCells(const GridCells& cells, std::string_view section);
GridCells cellsOfRow(const ContentSpecRow& row);

// A parameter line of a LAS file taken over into a grid row, with the parts
// whose columns are ticked (MNEM, UNIT, VALUE, DESC, FORMAT, ASSOC, the
// order of the import window). The rules follow from what is taken: a part
// taken must be the same (Exact; an association taken, Must), a part left
// behind is Optional; the value must be filled when the line's value is,
// and uses the line's own format when FORMAT is taken and names a kind.
// Blank (no mnemonic) for a line without a mnemonic.
GridCells importedRow(const las::LasLineParts& line, const std::array<bool, 6>& columns);

}  // namespace korrivan::compliance
