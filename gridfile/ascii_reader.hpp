// Reader of the text NTv2 form (.gsa): one record per line, "#" comments, "." decimal points.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// The longest physical line a text grid may hold: the bytes before its newline, a carriage return
// and any comment included. The lines of a valid file are short (a key and an 8-character value,
// or the four numbers of a node); a longer one is refused with 323 and never held in memory.
inline constexpr std::size_t kMaxGridTextLineBytes = 4096;

// Node shifts in memory, with the accuracies of a sub-grid that has node lines of four values
// (none for one whose lines all have two; 0 for its two-value lines otherwise), the file left
// open, held by the grid, until the grid is closed; nullptr and the code of the first failure
// otherwise: 321 cannot open or not a regular file, 324 path too long, 322 the file ends before a
// header or node line, 323 a node line without 2 or 4 values or a line longer than
// kMaxGridTextLineBytes, 301-305 and 201-208 as for the binary form (GS_COUNT 0 or less is 305),
// 307-310 hierarchy. A count (NUM_OREC, NUM_SREC, NUM_FILE, GS_COUNT) that is no plain whole number
// of the int32 range ("1e9", "2.5", "two") gives the code of its record: 301, 302, 303 or 305.
std::unique_ptr<GridFile> openAsciiGridFile(std::string_view fileName, GridError& error);

}  // namespace velmora
