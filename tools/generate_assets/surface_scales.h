// How much surface, in metres, one texture image covers. The recipes paint
// at this scale and the models set their texture coordinates from it, so
// bolts and seams come out at their true size.
#pragma once

#include "angles.h"
#include "scene_layout.h"

namespace scale {

using angle::kFullTurn;

constexpr double kFloorTile = 1.0;
constexpr double kWallTileWidth = 1.0;
constexpr double kWallTileHeight = 1.2;  // two panels per wall height
constexpr double kCeilingTile = 1.0;
// One bulkhead image covers a whole end wall.
constexpr double kEndWallWidth = 2.0 * layout::kSideWallZ;
constexpr double kEndWallHeight = layout::kCeilingY - layout::kFloorY;
constexpr double kTrimLength = 0.5;
constexpr double kTrimHeight = 0.125;
constexpr double kGirderLength = 0.5;
constexpr double kGirderWidth = 0.2;

constexpr double kPipePaintAround = kFullTurn * layout::kPipeRadius;  // once round the pipe
constexpr double kPipePaintAlong = 0.5;
constexpr double kPipeSteelTile = 0.1;

constexpr double kSlimeTile = kFullTurn * layout::kSlimeRadius / 2.0;  // half the blob's girth

constexpr double kHousingTile = 0.1;
constexpr double kGlassAround = kFullTurn * layout::kDomeRadius;  // once round the dome
constexpr double kGlassAlong = 0.3;
constexpr double kCageTile = 0.05;
constexpr double kShadowTile = 0.1;

}  // namespace scale
