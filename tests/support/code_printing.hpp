// Datums, coordinate types and height types print as their numeric codes in test messages.
#pragma once

#include <ostream>

#include "velmora/codes.hpp"

namespace velmora {

inline std::ostream& operator<<(std::ostream& out, Datum datum) {
  return out << codeOf(datum);
}
inline std::ostream& operator<<(std::ostream& out, CoordType type) {
  return out << codeOf(type);
}
inline std::ostream& operator<<(std::ostream& out, HeightType type) {
  return out << codeOf(type);
}

}  // namespace velmora
