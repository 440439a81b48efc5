// The 8-character fields of NTv2 records: normalisation of names and of GS_TYPE, and the angle
// units GS_TYPE names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

inline constexpr std::size_t kGridFieldLength = 8;  // every NTv2 key and character value

// Records of 16 bytes in the overview and in every sub-file header, the value of NUM_OREC and
// NUM_SREC in every NTv2 file.
inline constexpr std::int32_t kRecordsPerHeader = 11;

enum class KeyMode {
  kName,  // SUB_NAME, PARENT: every printable byte kept
  kType,  // GS_TYPE: letters upper-cased, anything but a letter, blank or "_" ends the field
};

// Normalises the first 8 bytes of raw (fewer bytes are padded with blanks) into a blank-padded
// 8-character field. A control byte or one above 0x7F ends the field (defects 0x01); in type mode
// a lower-case letter is upper-cased (0x02) and any other non-letter ends the field (0x04). Once
// the field has ended every remaining position is a blank.
std::string normaliseGridKey(std::string_view raw, KeyMode mode, std::uint32_t& defects);

// Sets gsType, toDegrees and toSeconds from a normalised GS_TYPE ("SECONDS ", "MINUTES ",
// "DEGREES ", compared exactly). False, factors untouched, for any other unit.
bool setGridUnit(GridFile& grid, std::string_view normalisedType);

}  // namespace velmora
