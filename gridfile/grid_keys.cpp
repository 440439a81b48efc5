#include "gridfile/grid_keys.hpp"

#include <array>

#include "gridfile/grid_builder.hpp"

namespace velmora {

namespace {

struct GridUnit {
  std::string_view type;
  double toDegrees;
  double toSeconds;
};

// The factors are stored, not computed, so that every file of a unit converts identically.
constexpr std::array<GridUnit, 3> kGridUnits = {{
    {"SECONDS ", 0.0002777777777777778, 1.0},  // 1/3600 degree per unit
    {"MINUTES ", 0.016666666666666666, 60.0},  // 1/60 degree per unit
    {"DEGREES ", 1.0, 3600.0},
}};

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastAscii = 0x7F;

bool isUpper(unsigned char c) {
  return c >= 'A' && c <= 'Z';
}
bool isLower(unsigned char c) {
  return c >= 'a' && c <= 'z';
}

}  // namespace

std::string normaliseGridKey(std::string_view raw, KeyMode mode, std::uint32_t& defects) {
  std::string field(kGridFieldLength, ' ');
  for (std::size_t i = 0; i < kGridFieldLength; ++i) {
    // Text values shorter than 8 characters are blank-padded, which is not an early end.
    if (i >= raw.size()) break;
    const auto c = static_cast<unsigned char>(raw[i]);
    if (c < kFirstPrintable || c > kLastAscii) {
      defects |= kDefectBadNameChar;
      break;
    }
    if (c == ' ' || c == '_' || isUpper(c) || mode == KeyMode::kName) {
      field[i] = static_cast<char>(c);
    } else if (isLower(c)) {
      field[i] = static_cast<char>(c - 'a' + 'A');
      defects |= kDefectLowerCaseType;
    } else {
      defects |= kDefectBadTypeChar;
      break;
    }
  }
  return field;
}

bool setGridUnit(GridFile& grid, std::string_view normalisedType) {
  for (const GridUnit& unit : kGridUnits) {
    if (normalisedType == unit.type) {
      GridFileFields& fields = GridFileBuilder::fields(grid);
      fields.gsType = std::string(unit.type);
      fields.toDegrees = unit.toDegrees;
      fields.toSeconds = unit.toSeconds;
      return true;
    }
  }
  return false;
}

}  // namespace velmora
