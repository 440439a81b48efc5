// Shared by the grid-reader fuzzers: a per-process scratch file for the input, and probes that
// exercise the sub-grid search, the interpolation and the writers on whatever grid was opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Name of this process's scratch file with the given extension (".gsb", ".gsa", ".gtx", ".tif") in the
// temporary folder; the file is removed when the process exits normally.
const std::string& fuzzScratchFile(std::string_view extension);

// Replaces the scratch file's contents; false when it cannot be written whole.
bool writeFuzzScratch(const std::string& fileName, const std::uint8_t* data, std::size_t size);

// Checks that the sub-grid tree holds every sub-grid in use once, under the parent it names;
// interpolates at the corners, edges, centre and just outside every sub-grid in use, checks that
// the search and the interpolation agree, and encodes the grid again in every format. Traps on a
// broken invariant so that libFuzzer keeps the input.
void probeGrid(const GridFile& grid);

}  // namespace velmora
