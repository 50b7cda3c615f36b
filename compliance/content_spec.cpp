#include "compliance/content_spec.h"

#include <algorithm>

#include "base/text_utils.h"
#include "checks/format_checks.h"

namespace korrivan::compliance {

using base::iequals;
using base::trimSpaces;

namespace {

constexpr std::array<std::string_view, kGridColumns> kHeaders{"",        "MNEM",    "Options", "UNIT",    "Options",
                                                              "VALUE",   "Options", "FORMAT",  "Options", "DESC",
                                                              "Options", "ASSOC",   "Options"};

constexpr std::array<std::string_view, 3> kPartRules{"Exact", "Filled", "Optional"};
constexpr std::array<std::string_view, 5> kValueRules{"Must be filled/Use Format", "Must be filled/Any Format",
                                                      "Must NOT be filled", "Optionally Fill/Use Format",
                                                      "Optionally Fill/Any Format"};
constexpr std::array<std::string_view, 2> kAssociationRules{"Must", "Optional"};
constexpr std::array<std::string_view, 6> kFormatKinds{"",        "Floating Point", "String",
                                                       "Integer", "Exponential",    "Date a/o Time"};
constexpr std::array<std::string_view, 6> kDefaultCodes{"", "F13.5", "S32", "I10", "0.00E+00", "DD/MMM/YYYY"};
constexpr std::array<std::string_view, 3> kLayouts{"~Par ~Def ~Data", "~Def ~Data", "~Par"};
constexpr std::array<std::string_view, 3> kSuffixes{"_Parameter", "_Definition", "_Data"};

template <typename Enum, std::size_t N>
std::optional<Enum> indexOfCaption(const std::array<std::string_view, N>& captions, std::string_view caption) {
  caption = trimSpaces(caption);
  for (std::size_t i = 0; i < N; ++i)
    if (iequals(captions[i], caption)) return static_cast<Enum>(i);
  return std::nullopt;
}

template <std::size_t N>
std::vector<std::string> listOfCaptions(const std::array<std::string_view, N>& captions) {
  return {captions.begin(), captions.end()};
}

// The characters every typed column refuses, and those of each column.
bool refusedEverywhere(char32_t c) { return c < 1 || c > 255 || c == '{' || c == '|' || c == '}' || c == '~'; }

bool refusedInColumn(int column, char32_t c) {
  switch (static_cast<SpecColumn>(column)) {
    case SpecColumn::Mnemonic:
    case SpecColumn::Association: return c == ':' || c == ' ' || c == '[' || c == ']' || c == '.';
    case SpecColumn::Unit: return c == ':' || c == ' ' || c == '[' || c == ']';
    case SpecColumn::Value: return c == ';';
    default: return false;
  }
}

bool upperCasesKeys(int column) {
  const auto c = static_cast<SpecColumn>(column);
  return c == SpecColumn::Mnemonic || c == SpecColumn::Unit || c == SpecColumn::Value || c == SpecColumn::Association;
}

// Upper case within Latin-1: a-z, and the accented small letters whose
// capitals are in Latin-1 too.
char32_t upperLatin1(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  return c;
}

// Decodes UTF-8; a byte that begins no valid sequence stands for itself
// with a code above 255, so that the key rules refuse it.
std::vector<char32_t> decodeUtf8(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
      out.push_back(0x110000 + b);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto cb = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      ok = ok && (cb & 0xC0) == 0x80;
      c = (c << 6) | (cb & 0x3F);
    }
    if (!ok) {
      out.push_back(0x110000 + b);
      ++i;
      continue;
    }
    out.push_back(c);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string& cell(GridCells& cells, SpecColumn column) { return cells[static_cast<std::size_t>(column)]; }
const std::string& cell(const GridCells& cells, SpecColumn column) { return cells[static_cast<std::size_t>(column)]; }

}  // namespace

std::string_view columnHeader(int column) {
  return column >= 0 && column < kGridColumns ? kHeaders[static_cast<std::size_t>(column)] : std::string_view();
}

bool isTypedColumn(int column) {
  const auto c = static_cast<SpecColumn>(column);
  return c == SpecColumn::Mnemonic || c == SpecColumn::Unit || c == SpecColumn::Value || c == SpecColumn::Description ||
         c == SpecColumn::Association;
}

bool isOptionsColumn(int column) { return column >= 2 && column < kGridColumns && column % 2 == 0; }

std::string_view captionOf(PartRule rule) { return kPartRules[static_cast<std::size_t>(rule)]; }
std::string_view captionOf(ValueRule rule) { return kValueRules[static_cast<std::size_t>(rule)]; }
std::string_view captionOf(AssociationRule rule) { return kAssociationRules[static_cast<std::size_t>(rule)]; }
std::string_view captionOf(FormatKind kind) { return kFormatKinds[static_cast<std::size_t>(kind)]; }
std::string_view captionOf(GroupLayout layout) { return kLayouts[static_cast<std::size_t>(layout)]; }

std::optional<PartRule> partRuleOf(std::string_view caption) { return indexOfCaption<PartRule>(kPartRules, caption); }
std::optional<ValueRule> valueRuleOf(std::string_view caption) {
  return indexOfCaption<ValueRule>(kValueRules, caption);
}
std::optional<AssociationRule> associationRuleOf(std::string_view caption) {
  return indexOfCaption<AssociationRule>(kAssociationRules, caption);
}
std::optional<FormatKind> formatKindOf(std::string_view caption) {
  if (iequals(trimSpaces(caption), kNoneEntry)) return FormatKind::None;
  return indexOfCaption<FormatKind>(kFormatKinds, caption);
}
std::optional<GroupLayout> groupLayoutOf(std::string_view caption) {
  return indexOfCaption<GroupLayout>(kLayouts, caption);
}

std::vector<std::string> listOf(int column, bool rowHasUnit) {
  switch (static_cast<SpecColumn>(column)) {
    case SpecColumn::MnemonicRule:
    case SpecColumn::DescriptionRule: return listOfCaptions(kPartRules);
    case SpecColumn::UnitRule:
      return rowHasUnit ? listOfCaptions(kPartRules)
                        : std::vector<std::string>{std::string(kPartRules[0]), std::string(kPartRules[2])};
    case SpecColumn::ValueRule: return listOfCaptions(kValueRules);
    case SpecColumn::FormatKind: {
      std::vector<std::string> list{"", std::string(kNoneEntry)};
      for (std::size_t i = 1; i < kFormatKinds.size(); ++i) list.emplace_back(kFormatKinds[i]);
      return list;
    }
    case SpecColumn::AssociationRule: return listOfCaptions(kAssociationRules);
    default: return {};
  }
}

std::string_view defaultCodeOf(FormatKind kind) { return kDefaultCodes[static_cast<std::size_t>(kind)]; }

std::string effectiveFormat(FormatKind kind, std::string_view code) {
  code = trimSpaces(code);
  if (code.empty()) return {};
  if (kind == FormatKind::Exponential && base::toUpperAscii(code.front()) != 'E') return "E" + std::string(code);
  return std::string(code);
}

std::optional<FormatKind> kindOfCode(std::string_view code) {
  code = trimSpaces(code);
  if (code.empty()) return std::nullopt;
  switch (base::toUpperAscii(code.front())) {
    case 'F': return FormatKind::FloatingPoint;
    case 'I': return FormatKind::Integer;
    case 'S': return FormatKind::String;
    case 'E': return FormatKind::Exponential;
    case 'D':
    case 'M':
    case 'Y':
    case 'H': return FormatKind::DateTime;
    default: return std::nullopt;
  }
}

bool codeFitsKind(FormatKind kind, std::string_view code) {
  const std::string format = effectiveFormat(kind, code);
  if (kind == FormatKind::None) return format.empty();
  if (format.empty() || format.find('|') != std::string::npos) return false;
  return kindOfCode(format) == kind && checks::isLegalFormat(format);
}

std::optional<char32_t> acceptKey(int column, char32_t key) {
  if (!isTypedColumn(column) || refusedEverywhere(key) || refusedInColumn(column, key)) return std::nullopt;
  if (!upperCasesKeys(column)) return key;
  const char32_t upper = upperLatin1(key);
  // A capital may fall under the column's rule only if its small letter did.
  if (refusedInColumn(column, upper)) return std::nullopt;
  return upper;
}

std::string storedCellText(int column, std::string_view utf8, char32_t* refused) {
  if (refused) *refused = 0;
  std::string out;
  for (char32_t c : decodeUtf8(utf8)) {
    if (refusedEverywhere(c)) {
      if (refused && *refused == 0) *refused = c;
      continue;
    }
    appendUtf8(out, upperCasesKeys(column) ? upperLatin1(c) : c);
  }
  return out;
}

bool layoutHasTab(GroupLayout layout, SectionTab tab) {
  switch (layout) {
    case GroupLayout::ParDefData: return true;
    case GroupLayout::DefData: return tab != SectionTab::Parameter;
    case GroupLayout::Par: return tab == SectionTab::Parameter;
  }
  return true;
}

std::string_view suffixOf(SectionTab tab) { return kSuffixes[static_cast<std::size_t>(tab)]; }

std::string groupSectionName(std::string_view group, SectionTab tab) {
  return std::string(group) + std::string(suffixOf(tab));
}

std::optional<SectionRef> sectionRefOf(std::string_view name) {
  name = trimSpaces(name);
  for (std::string_view fixed : kFixedSections)
    if (iequals(name, fixed)) return SectionRef{std::string(fixed), {}, SectionTab::Parameter};
  for (std::size_t i = 0; i < kSuffixes.size(); ++i) {
    if (!base::iendsWith(name, kSuffixes[i])) continue;
    std::string_view group = name.substr(0, name.size() - kSuffixes[i].size());
    if (!isValidGroupName(group)) return std::nullopt;
    const auto tab = static_cast<SectionTab>(i);
    return SectionRef{groupSectionName(group, tab), std::string(group), tab};
  }
  return std::nullopt;
}

bool isValidGroupName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (std::string_view(" .:|~{}[]_#;,\t").find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 32)
      return false;
  return true;
}

const SectionGroup* ContentSpec::findGroup(std::string_view name) const {
  for (const SectionGroup& g : groups)
    if (iequals(g.name, name)) return &g;
  return nullptr;
}

std::vector<const ContentSpecRow*> ContentSpec::rowsOf(std::string_view section) const {
  std::vector<const ContentSpecRow*> out;
  for (const ContentSpecRow& r : rows)
    if (iequals(r.section, section)) out.push_back(&r);
  return out;
}

std::vector<std::string> ContentSpec::sectionNames() const {
  std::vector<std::string> names(kFixedSections.begin(), kFixedSections.end());
  for (const SectionGroup& g : groups)
    for (SectionTab tab : {SectionTab::Parameter, SectionTab::Definition, SectionTab::Data})
      names.push_back(groupSectionName(g.name, tab));
  return names;
}

ContentSpec newContentSpec() {
  ContentSpec contentSpec;
  contentSpec.groups.push_back({"Log", GroupLayout::ParDefData});
  return contentSpec;
}

void fillRowDefaults(GridCells& cells) {
  auto fill = [&cells](SpecColumn column, std::string_view text) {
    if (cell(cells, column).empty()) cell(cells, column) = std::string(text);
  };
  fill(SpecColumn::MnemonicRule, captionOf(PartRule::Exact));
  fill(SpecColumn::UnitRule, captionOf(PartRule::Exact));
  fill(SpecColumn::DescriptionRule, captionOf(PartRule::Exact));
  fill(SpecColumn::ValueRule, captionOf(ValueRule::FilledUseFormat));
  fill(SpecColumn::AssociationRule, captionOf(AssociationRule::Optional));
  if (cell(cells, SpecColumn::FormatCode).empty()) {
    cell(cells, SpecColumn::FormatKind) = std::string(captionOf(FormatKind::FloatingPoint));
    cell(cells, SpecColumn::FormatCode) = std::string(defaultCodeOf(FormatKind::FloatingPoint));
  }
}

void formatKindChosen(GridCells& cells) {
  const auto kind = formatKindOf(cell(cells, SpecColumn::FormatKind));
  if (!kind || *kind == FormatKind::None) {
    cell(cells, SpecColumn::FormatKind).clear();
    cell(cells, SpecColumn::FormatCode).clear();
    return;
  }
  cell(cells, SpecColumn::FormatCode) = std::string(defaultCodeOf(*kind));
}

void valueRuleChosen(GridCells& cells) {
  if (valueRuleOf(cell(cells, SpecColumn::ValueRule)) != ValueRule::FilledAnyFormat) return;
  cell(cells, SpecColumn::FormatKind) = std::string(captionOf(FormatKind::FloatingPoint));
  cell(cells, SpecColumn::FormatCode) = std::string(defaultCodeOf(FormatKind::FloatingPoint));
}

bool rowIsBlank(const GridCells& cells) {
  return std::all_of(cells.begin() + 1, cells.end(), [](const std::string& c) { return trimSpaces(c).empty(); });
}

namespace {

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The text of a typed cell as the grid holds it, or a message naming the
// character the column refuses.
bool readTypedCell(const GridCells& cells, SpecColumn column, std::string& out, std::string& message) {
  const std::string_view text = trimSpaces(cell(cells, column));
  char32_t refused = 0;
  out = storedCellText(static_cast<int>(column), text, &refused);
  if (refused == 0) return true;
  std::string shown;
  if (refused < 0x110000) appendUtf8(shown, refused);
  message = std::string(columnHeader(static_cast<int>(column))) + " " + quoted(text) + " holds a character " +
            (shown.empty() ? "that is not UTF-8 text" : quoted(shown) + " no cell may hold");
  return false;
}

template <typename Rule>
bool readRule(const GridCells& cells, SpecColumn column, std::optional<Rule> (*parse)(std::string_view), Rule fallback,
              std::string_view choices, Rule& out, std::string& message) {
  const std::string_view text = trimSpaces(cell(cells, column));
  if (text.empty()) {
    out = fallback;
    return true;
  }
  if (auto rule = parse(text)) {
    out = *rule;
    return true;
  }
  message = quoted(text) + " is not a rule of " + std::string(columnHeader(static_cast<int>(column) - 1)) + " (" +
            std::string(choices) + ")";
  return false;
}

}  // namespace

RowReading rowOfCells(const GridCells& cells, std::string_view section) {
  RowReading reading;
  ContentSpecRow row;
  row.section = std::string(section);
  std::string& m = reading.message;
  if (!readTypedCell(cells, SpecColumn::Mnemonic, row.mnemonic, m) ||
      !readTypedCell(cells, SpecColumn::Unit, row.unit, m) || !readTypedCell(cells, SpecColumn::Value, row.value, m) ||
      !readTypedCell(cells, SpecColumn::Description, row.description, m) ||
      !readTypedCell(cells, SpecColumn::Association, row.association, m))
    return reading;
  if (row.mnemonic.empty()) {
    m = "the row has no mnemonic";
    return reading;
  }
  if (!readRule(cells, SpecColumn::MnemonicRule, partRuleOf, PartRule::Exact, "Exact, Filled or Optional",
                row.mnemonicRule, m) ||
      !readRule(cells, SpecColumn::UnitRule, partRuleOf, PartRule::Exact, "Exact, Filled or Optional", row.unitRule,
                m) ||
      !readRule(cells, SpecColumn::ValueRule, valueRuleOf, ValueRule::FilledUseFormat,
                "Must be filled/Use Format, Must be filled/Any Format, Must NOT be filled, Optionally Fill/Use "
                "Format or Optionally Fill/Any Format",
                row.valueRule, m) ||
      !readRule(cells, SpecColumn::DescriptionRule, partRuleOf, PartRule::Exact, "Exact, Filled or Optional",
                row.descriptionRule, m) ||
      !readRule(cells, SpecColumn::AssociationRule, associationRuleOf, AssociationRule::Optional, "Must or Optional",
                row.associationRule, m))
    return reading;

  const std::string_view kindText = trimSpaces(cell(cells, SpecColumn::FormatKind));
  const std::string_view code = trimSpaces(cell(cells, SpecColumn::FormatCode));
  const auto kind = formatKindOf(kindText);
  if (!kind) {
    m = quoted(kindText) +
        " is not a format kind (Floating Point, String, Integer, Exponential, Date a/o Time or <None>)";
    return reading;
  }
  if (kindText.empty() && !code.empty()) {
    // A code without its kind: the kind follows from the code.
    row.formatKind = kindOfCode(code).value_or(FormatKind::None);
  } else {
    row.formatKind = *kind;
  }
  row.formatCode = std::string(code);
  if (!codeFitsKind(row.formatKind, row.formatCode)) {
    m = row.formatKind == FormatKind::None ? "format code " + quoted(code) + " given without a format kind"
                                           : "format code " + quoted(code) + " is not a legal format of the kind " +
                                                 std::string(captionOf(row.formatKind));
    return reading;
  }
  reading.row = std::move(row);
  return reading;
}

GridCells cellsOfRow(const ContentSpecRow& row) {
  GridCells cells;
  cell(cells, SpecColumn::Mnemonic) = row.mnemonic;
  cell(cells, SpecColumn::MnemonicRule) = std::string(captionOf(row.mnemonicRule));
  cell(cells, SpecColumn::Unit) = row.unit;
  cell(cells, SpecColumn::UnitRule) = std::string(captionOf(row.unitRule));
  cell(cells, SpecColumn::Value) = row.value;
  cell(cells, SpecColumn::ValueRule) = std::string(captionOf(row.valueRule));
  cell(cells, SpecColumn::FormatKind) = std::string(captionOf(row.formatKind));
  cell(cells, SpecColumn::FormatCode) = row.formatCode;
  cell(cells, SpecColumn::Description) = row.description;
  cell(cells, SpecColumn::DescriptionRule) = std::string(captionOf(row.descriptionRule));
  cell(cells, SpecColumn::Association) = row.association;
  cell(cells, SpecColumn::AssociationRule) = std::string(captionOf(row.associationRule));
  return cells;
}

GridCells importedRow(const las::LasLineParts& line, const std::array<bool, 6>& columns) {
  GridCells cells;
  auto take = [&cells](SpecColumn column, std::string_view text) {
    cell(cells, column) = storedCellText(static_cast<int>(column), trimSpaces(text));
  };
  take(SpecColumn::Mnemonic, line.mnemonic);
  if (cell(cells, SpecColumn::Mnemonic).empty()) return GridCells{};
  auto rule = [&cells](SpecColumn column, std::string_view caption) { cell(cells, column) = std::string(caption); };
  rule(SpecColumn::MnemonicRule, captionOf(PartRule::Exact));
  if (columns[1]) take(SpecColumn::Unit, line.unit);
  rule(SpecColumn::UnitRule, captionOf(columns[1] ? PartRule::Exact : PartRule::Optional));
  if (columns[2]) take(SpecColumn::Value, line.value);
  if (columns[3]) take(SpecColumn::Description, line.description);
  rule(SpecColumn::DescriptionRule, captionOf(columns[3] ? PartRule::Exact : PartRule::Optional));
  if (columns[5]) take(SpecColumn::Association, line.association);
  rule(SpecColumn::AssociationRule,
       captionOf(cell(cells, SpecColumn::Association).empty() ? AssociationRule::Optional : AssociationRule::Must));
  std::optional<FormatKind> kind;
  const std::string code(trimSpaces(line.format));
  if (columns[4]) kind = kindOfCode(code);
  if (kind && !codeFitsKind(*kind, code)) kind.reset();
  if (kind) {
    rule(SpecColumn::FormatKind, captionOf(*kind));
    rule(SpecColumn::FormatCode, code);
  }
  const bool filled = !trimSpaces(line.value).empty();
  const ValueRule valueRule = filled ? (kind ? ValueRule::FilledUseFormat : ValueRule::FilledAnyFormat)
                                     : (kind ? ValueRule::OptionalUseFormat : ValueRule::OptionalAnyFormat);
  rule(SpecColumn::ValueRule, captionOf(valueRule));
  return cells;
}

}  // namespace korrivan::compliance
