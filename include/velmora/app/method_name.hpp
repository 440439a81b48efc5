// The name of what was applied to a point, as --showMethod prints it and --summary counts it.
//
// Parts are joined by '+' and hold only printable ASCII without blank, comma, semicolon or '"', so the
// name is one field of any delimited output; in FILE (the name without its folder) and SUBGRID, every
// other byte and '+' is written '_' ("a,b.gsb" is "a_b.gsb"):
//   grid:FILE:SUBGRID           an NTv2 grid shift (either direction: the file says which way)
//   grid-margin:FILE:SUBGRID    the band of one spacing outside a grid's edge, where the shift fades
//   helmert:FROM-TO             a parameter set, named by its datums in the direction applied
//   molodensky:FROM-TO          the change of ellipsoid between ANG and GDA94
//   nz-rule                     first part when a point in the New Zealand area was taken onto the
//                               New Zealand datums (AGD and ISG as NZGD49, GDA94 and WGS84 as NZGD2000)
//   approximate                 the fixed approximate AGD shift outside the supported area
//   outside-area                outside the supported area, where the pair has no shift: unchanged
//   no-transformation           the pair of datums has no transformation: unchanged
//   unchanged                   the datums hold the same positions: nothing to do
// and, when heights are converted through a geoid, a last part
//   geoid:FILE:SUBGRID, geoid-margin:FILE:SUBGRID, geoid-missing:FILE, geoid-outside:FILE or
//   geoid-nodata:FILE.
#pragma once

#include <string>
#include <string_view>

#include "velmora/converter.hpp"

namespace velmora {

// Appends the name of what the converter applied to reach result.
void appendMethodName(const Converter& converter, const ConversionResult& result, std::string& out);

// The file name of a grid the converter uses, without its folder, as it is (for messages; the method
// name writes it with the bytes that could split a field replaced): the slot's own file, or file k
// of the slot (1 the first extra file; the slot's own when out of range).
std::string_view gridBaseName(const Converter& converter, GridId id, std::size_t file = 0);

// A sub-grid's name without the blanks that pad it to eight characters; empty for none.
std::string_view subGridName(const SubGrid* subGrid);

// A parameter set named by its datums in the direction applied, "AGD66-GDA94" or "GDA94-AGD66".
std::string_view parameterSetName(ParameterSet set, bool reverse);

}  // namespace velmora
