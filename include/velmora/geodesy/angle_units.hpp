// Angle unit factors shared by the geodetic computations, the grid shifts (NTv2 shifts are in
// arc-seconds) and the DMS and DM texts. Each formula states which of them it uses: the projections turn
// radians into degrees by dividing by kRadiansPerDegree, the datum transformations by multiplying
// with kDegreesPerRadian, and the two differ in the last bit.
#pragma once

namespace velmora {

inline constexpr double kRadiansPerDegree = 0.017453292519943295;  // pi/180 as a double
inline constexpr double kDegreesPerRadian = 57.29577951308232;     // 180/pi as a double
inline constexpr double kArcSecondsPerDegree = 3600.0;
inline constexpr double kMinutesPerDegree = 60.0;
inline constexpr double kSecondsPerMinute = 60.0;

}  // namespace velmora
