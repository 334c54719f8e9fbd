// Angles in radians, named by the share of a turn they are.
#pragma once

namespace angle {

constexpr double kFullTurn = 6.283185307179586;
constexpr double kQuarterTurn = kFullTurn / 4.0;

}  // namespace angle
