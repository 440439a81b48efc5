#include "tools/grid_report.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

constexpr int kDegreeDecimals = 9;  // 1e-9 degree is about 0.1 mm on the ground
constexpr int kSecondDecimals = 9;  // arc-seconds, as the shifts are printed

// Label column of the info report and of the shift report: labels are padded to these widths.
constexpr std::size_t kInfoLabelWidth = 13;
constexpr std::size_t kShiftLabelWidth = 20;

// Sub-grids nested deeper than this (top level is depth 0) are indented as one level more and
// name their depth: an indentation that grew with depth would make the report of a long chain of
// nested sub-grids quadratic in its length.
constexpr int kMaxIndentedDepth = 8;

struct DefectText {
  std::uint32_t bit;
  std::string_view binary;  // meaning when a binary (.gsb) file sets it
  std::string_view text;    // meaning when a text (.gsa) file sets it
};

// The readers of both forms share the bits; only 0x20 means a different thing in each form, and
// 0x40 and 0x80 are set by the binary reader alone.
constexpr std::array<DefectText, 8> kDefectTexts{{
    {kDefectBadNameChar,
     "a name or key field held a control character or a byte above 0x7F; the rest became blanks",
     "a name or key field held a control character or a byte above 0x7F; the rest became blanks"},
    {kDefectLowerCaseType, "GS_TYPE held lower-case letters; they were read as upper case",
     "GS_TYPE held lower-case letters; they were read as upper case"},
    {kDefectBadTypeChar,
     "GS_TYPE held a character other than a letter, blank or underscore; it and the rest became blanks",
     "GS_TYPE held a character other than a letter, blank or underscore; it and the rest became blanks"},
    {kDefectBlankParent, "a sub-grid with a blank parent name that matches no sub-grid was made top level",
     "a sub-grid with a blank parent name that matches no sub-grid was made top level"},
    {kDefectBlankName, "a sub-grid name is eight blanks", "a sub-grid name is eight blanks"},
    {kDefectNoEndRecord, "the end record after the last sub-grid is missing",
     "the line after the last node is missing or is not END"},
    {kDefectBadEndKey, "the end record's key is not \"END     \"",
     "the end record's key is not \"END     \""},
    {kDefectEndNotZero, "the eight bytes after the END key are not all zero",
     "the eight bytes after the END key are not all zero"},
}};

void appendLabel(std::string& out, std::string_view label, std::size_t width) {
  out += label;
  if (label.size() < width) out.append(width - label.size(), ' ');
}

// Hex digits of a defects set or an escaped byte, upper case.
std::string hex(std::uint32_t value, int minimumDigits) {
  std::array<char, 16> digits{};
  const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16);
  std::string text(digits.data(), end);
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  if (static_cast<int>(text.size()) < minimumDigits) text.insert(0, minimumDigits - text.size(), '0');
  return text;
}

// A name as the file holds it, in double quotes; bytes outside printable ASCII as \xHH.
std::string quotedName(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte > 0x7E) {
      out += "\\x" + hex(byte, 2);
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string trimTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

// The position of a sub-grid in grid.subGrids(), or -1 when the pointer is not one of its entries.
int subGridPosition(const GridFile& grid, const SubGrid* sub) {
  if (sub == nullptr) return -1;
  const int index = sub->index();
  if (index < 0 || static_cast<std::size_t>(index) >= grid.subGrids().size()) return -1;
  return &grid.subGrids()[static_cast<std::size_t>(index)] == sub ? index : -1;
}

void appendSubGridLine(std::string& out, const SubGrid& sub, int depth) {
  const int indentDepth = std::min(depth, kMaxIndentedDepth + 1);
  out.append(2 + 2 * static_cast<std::size_t>(indentDepth), ' ');
  if (depth > kMaxIndentedDepth) out += "(depth " + std::to_string(depth) + ") ";
  out += '[';
  out += std::to_string(sub.index()) + "] " + quotedName(sub.name()) + " parent " +
         quotedName(sub.parentName()) + ", ";
  out += std::to_string(sub.rows()) + " x " + std::to_string(sub.columns()) + " nodes (rows x columns), ";
  out += std::to_string(sub.nodeCount()) + " stored";
  out += ", lat " + formatFixed(sub.latMin(), kDegreeDecimals) + " .. " +
         formatFixed(sub.latMax(), kDegreeDecimals) + " step " + formatFixed(sub.latInc(), kDegreeDecimals);
  out += ", lon " + formatFixed(sub.lonMin(), kDegreeDecimals) + " .. " +
         formatFixed(sub.lonMax(), kDegreeDecimals) + " step " + formatFixed(sub.lonInc(), kDegreeDecimals);
  out += '\n';
}

// The siblings of one list, in list order, stopping at a repeat so that a damaged list can never
// make the walk run forever. seen has an entry per sub-grid, all false, and is left so: clearing
// only the entries of the list keeps the whole walk linear in the number of sub-grids.
std::vector<const SubGrid*> siblingList(const GridFile& grid, SubGridList siblings,
                                        const std::vector<bool>& listed, std::vector<bool>& seen) {
  std::vector<const SubGrid*> list;
  for (const SubGrid& sub : siblings) {
    const int position = subGridPosition(grid, &sub);
    if (position < 0) break;
    const auto slot = static_cast<std::size_t>(position);
    if (seen[slot] || listed[slot]) break;
    seen[slot] = true;
    list.push_back(&sub);
  }
  for (const SubGrid* sub : list) seen[static_cast<std::size_t>(sub->index())] = false;
  return list;
}

// Depth-first walk over the tree, parents before children, siblings in list order. An explicit
// stack rather than recursion: a file may nest its sub-grids thousands deep.
void appendSubGridTree(std::string& out, const GridFile& grid, std::vector<bool>& listed) {
  std::vector<std::pair<const SubGrid*, int>> stack;
  std::vector<bool> seen(grid.subGrids().size(), false);
  const auto pushSiblings = [&](SubGridList list, int depth) {
    const std::vector<const SubGrid*> siblings = siblingList(grid, list, listed, seen);
    for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) stack.emplace_back(*it, depth);
  };
  pushSiblings(grid.topLevel(), 0);
  while (!stack.empty()) {
    const auto [sub, depth] = stack.back();
    stack.pop_back();
    const auto slot = static_cast<std::size_t>(subGridPosition(grid, sub));
    if (listed[slot]) continue;
    listed[slot] = true;
    appendSubGridLine(out, *sub, depth);
    pushSiblings(sub->children(), depth + 1);
  }
}

}  // namespace

std::string_view gridDefectMeaning(std::uint32_t bit, GridForm form) {
  for (const DefectText& entry : kDefectTexts) {
    if (entry.bit == bit) return form == GridForm::kBinary ? entry.binary : entry.text;
  }
  return "";
}

std::string_view gridFormName(GridForm form) {
  switch (form) {
    case GridForm::kText:
      return "text";
    case GridForm::kGtx:
      return "GTX";
    case GridForm::kGeoTiff:
      return "GeoTIFF";
    default:
      return "binary";
  }
}

std::string_view locationClassName(int locationClass) {
  switch (locationClass) {
    case kClassInterior:
      return "interior";
    case kClassNorthernEdge:
      return "northern edge";
    case kClassWesternEdge:
      return "western edge";
    case kClassNorthWestCorner:
      return "north-western corner";
    case kClassMargin:
      return "margin outside the sub-grid";
    default:
      return "none";
  }
}

std::string formatFixed(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // The largest double has 309 integer digits; the room covers them and the decimals.
  std::array<char, 512> buffer{};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "?";
  std::string text(buffer.data(), end);
  // -0.000000001 rounds to "-0.000000000": a shift of nothing has no direction.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string formatGridInfo(const GridFile& grid, GridForm form) {
  std::string out;
  appendLabel(out, "File:", kInfoLabelWidth);
  out += grid.path() + '\n';
  appendLabel(out, "Form:", kInfoLabelWidth);
  out += std::string(gridFormName(form)) + '\n';
  // GTX and GeoTIFF files say what their nodes hold; an NTv2 file does not.
  if (form == GridForm::kGtx || form == GridForm::kGeoTiff) {
    appendLabel(out, "Content:", kInfoLabelWidth);
    out += std::string(gridContentName(grid.content())) + '\n';
  }
  if (form == GridForm::kBinary) {
    const bool machineLittle = std::endian::native == std::endian::little;
    const bool fileLittle = grid.byteSwapped() ? !machineLittle : machineLittle;
    appendLabel(out, "Byte order:", kInfoLabelWidth);
    out += fileLittle ? "little-endian\n" : "big-endian\n";
    appendLabel(out, "Integers:", kInfoLabelWidth);
    out += grid.paddedInts() ? "padded to 8 bytes\n" : "not padded (4 bytes)\n";
  }
  appendLabel(out, "Unit:", kInfoLabelWidth);
  if (form == GridForm::kGtx || form == GridForm::kGeoTiff) {
    out += grid.content() == GridContent::kHorizontal ? "arc-seconds\n" : "metres\n";
  } else {
    out += trimTrailingBlanks(grid.gsType()) + '\n';
  }
  appendLabel(out, "Sub-grids:", kInfoLabelWidth);
  out += std::to_string(grid.subGridCount()) + " (" + std::to_string(grid.topLevelCount()) + " top-level)\n";

  appendLabel(out, "Defects:", kInfoLabelWidth);
  if (grid.defects() == 0) {
    out += "none\n";
  } else {
    out += "0x" + hex(grid.defects(), 2) + '\n';
    for (std::uint32_t bit = 1; bit != 0; bit <<= 1U) {
      if ((grid.defects() & bit) == 0) continue;
      const std::string_view meaning = gridDefectMeaning(bit, form);
      out += "  0x" + hex(bit, 2) + "  " + std::string(meaning.empty() ? "unknown defect" : meaning) + '\n';
    }
  }

  out += "Sub-grid tree (lat and lon in degrees: south .. north and west .. east, then the spacing):\n";
  std::vector<bool> listed(grid.subGrids().size(), false);
  appendSubGridTree(out, grid, listed);

  std::string unlinked;
  const std::span<const SubGrid> subGrids = grid.subGrids();
  for (std::size_t i = 0; i < subGrids.size(); ++i) {
    if (subGrids[i].inUse() && !listed[i]) appendSubGridLine(unlinked, subGrids[i], 0);
  }
  if (!unlinked.empty()) out += "Sub-grids outside the tree (never searched):\n" + unlinked;
  return out;
}

GridShiftReport formatGridShift(const GridFile& grid, GridForm form, double latitude, double longitude) {
  GridShiftReport report;
  // A GTX or GeoTIFF height grid has a value and nothing else to show; a node without data there is
  // "no data", not a point outside the grid.
  const bool heightsOnly = (form == GridForm::kGtx || form == GridForm::kGeoTiff) &&
                           grid.content() != GridContent::kHorizontal;
  const std::optional<GridShift> shift =
      heightsOnly ? std::nullopt : interpolateGridShift(grid, latitude, longitude);
  if (!heightsOnly && !shift) return report;
  // A shift's value is read at the sub-grid the shift came from: one search, not two.
  const GridValue value = heightsOnly ? interpolateGridValue(grid, latitude, longitude)
                                      : interpolateGridValue(grid, shift->match, latitude);
  if (value.status == GridValueStatus::kOutside) return report;
  report.found = true;

  const SubGridMatch& match = heightsOnly ? value.match : shift->match;
  std::string& out = report.text;
  appendLabel(out, "File:", kShiftLabelWidth);
  out += grid.path() + '\n';
  appendLabel(out, "Point:", kShiftLabelWidth);
  out += "latitude " + formatFixed(latitude, kDegreeDecimals) + ", longitude " +
         formatFixed(longitude, kDegreeDecimals) + '\n';
  appendLabel(out, "Sub-grid:", kShiftLabelWidth);
  if (match.subGrid != nullptr) {
    out += '[';
    out += std::to_string(match.subGrid->index()) + "] " + quotedName(match.subGrid->name()) + " (class " +
           std::to_string(match.locationClass) + ", " + std::string(locationClassName(match.locationClass)) +
           ")\n";
  } else {
    out += "none\n";
  }
  if (heightsOnly) {
    appendLabel(out, "Geoid/value:", kShiftLabelWidth);
    out += value.status == GridValueStatus::kFound ? formatFixed(value.value, kSecondDecimals) + " metres"
                                                   : std::string("no data");
    out += '\n';
    return report;
  }
  appendLabel(out, "Latitude shift:", kShiftLabelWidth);
  out += formatFixed(shift->latitudeShift, kSecondDecimals) + " arc-seconds (north positive)\n";
  appendLabel(out, "Longitude shift:", kShiftLabelWidth);
  out += formatFixed(shift->longitudeShift, kSecondDecimals) + " arc-seconds (east positive)\n";
  // A text grid holds accuracies where its node lines carry four values; the binary form always.
  const bool accuracies = match.subGrid != nullptr && !match.subGrid->accuracies().empty();
  if (form == GridForm::kBinary || accuracies) {
    // interpolateGridShift turns the longitude accuracy round with the shift; an accuracy has
    // no direction, so it is shown with the file's sign.
    appendLabel(out, "Latitude accuracy:", kShiftLabelWidth);
    out += formatFixed(shift->latitudeAccuracy, kSecondDecimals) + " arc-seconds\n";
    appendLabel(out, "Longitude accuracy:", kShiftLabelWidth);
    out += formatFixed(-shift->longitudeAccuracy, kSecondDecimals) + " arc-seconds\n";
  } else {
    const std::string_view missing =
        form == GridForm::kText ? "not stored in the text form\n" : "not stored in the file\n";
    appendLabel(out, "Latitude accuracy:", kShiftLabelWidth);
    out += missing;
    appendLabel(out, "Longitude accuracy:", kShiftLabelWidth);
    out += missing;
  }
  appendLabel(out, "Geoid/value:", kShiftLabelWidth);
  out += value.status == GridValueStatus::kFound ? formatFixed(value.value, kSecondDecimals)
                                                 : std::string("no data");
  out += '\n';
  return report;
}

}  // namespace velmora
