// The hallway: a closed box round the whole camera tour, seen from inside,
// with a skirting strip along both walls and girders that span the ceiling
// and come down the walls as columns. Only ever drawn lit; it casts no shadow.
#include "models.h"
#include "scene_layout.h"
#include "shapes.h"
#include "surface_scales.h"

namespace {

constexpr double kLength = layout::kEndWallX - layout::kStartWallX;
constexpr double kWidth = 2.0 * layout::kSideWallZ;
constexpr double kHeight = layout::kCeilingY - layout::kFloorY;
constexpr double kGridCell = 0.5;  // large faces split into cells this size

constexpr double kSkirtingHeight = 0.12;
constexpr double kSkirtingDepth = 0.03;

// Girders every two metres, leaving a wider bay over the pipes and the
// swinging alarm light in the middle.
constexpr double kGirderX[] = {-7.5, -5.5, -3.5, -1.5, 1.5, 3.5, 5.5};
constexpr double kGirderHalfWidth = 0.1;
constexpr double kBeamDepth = 0.15;
constexpr double kColumnDepth = 0.08;

const glm::dvec3 kX(1.0, 0.0, 0.0);
const glm::dvec3 kY(0.0, 1.0, 0.0);
const glm::dvec3 kZ(0.0, 0.0, 1.0);

void addFace(MeshPart& part, const glm::dvec3& origin, const glm::dvec3& across, const glm::dvec3& up,
             const glm::dvec2& tile) {
    addRectangle(part, {origin, across, up, tile, {0.0, 0.0}, kGridCell});
}

MeshPart shell(const char* name, const char* material) { return MeshPart{name, material, {}, {}}; }

void addSkirting(MeshPart& trim) {
    const glm::dvec2 tile(scale::kTrimLength, scale::kTrimHeight);
    const double front = layout::kSideWallZ - kSkirtingDepth;
    // +z wall: front faces -z, top faces up.
    addFace(trim, {layout::kEndWallX, layout::kFloorY, front}, -kX * kLength, kY * kSkirtingHeight, tile);
    addFace(trim, {layout::kEndWallX, kSkirtingHeight, front}, -kX * kLength, kZ * kSkirtingDepth, tile);
    // -z wall: front faces +z, top faces up.
    addFace(trim, {layout::kStartWallX, layout::kFloorY, -front}, kX * kLength, kY * kSkirtingHeight, tile);
    addFace(trim, {layout::kStartWallX, kSkirtingHeight, -front}, kX * kLength, -kZ * kSkirtingDepth, tile);
}

void addGirder(MeshPart& girders, double x) {
    const glm::dvec2 tile(scale::kGirderLength, scale::kGirderWidth);
    const double left = x - kGirderHalfWidth;
    const double right = x + kGirderHalfWidth;
    const double beamBottom = layout::kCeilingY - kBeamDepth;
    const double z = layout::kSideWallZ;
    const double columnFront = z - kColumnDepth;
    const double columnHeight = beamBottom - layout::kFloorY;

    // Beam across the ceiling: underside and both sides, length along u.
    addFace(girders, {left, beamBottom, z}, -kZ * kWidth, kX * (right - left), tile);
    addFace(girders, {left, beamBottom, -z}, kZ * kWidth, kY * kBeamDepth, tile);
    addFace(girders, {right, beamBottom, z}, -kZ * kWidth, kY * kBeamDepth, tile);

    // Columns down both walls: front and both sides, length along u.
    addFace(girders, {left, layout::kFloorY, columnFront}, kY * columnHeight, kX * (right - left), tile);
    addFace(girders, {left, layout::kFloorY, z}, kY * columnHeight, -kZ * kColumnDepth, tile);
    addFace(girders, {right, layout::kFloorY, columnFront}, kY * columnHeight, kZ * kColumnDepth, tile);
    addFace(girders, {right, layout::kFloorY, -columnFront}, kY * columnHeight, -kX * (right - left), tile);
    addFace(girders, {left, layout::kFloorY, -columnFront}, kY * columnHeight, -kZ * kColumnDepth, tile);
    addFace(girders, {right, layout::kFloorY, -z}, kY * columnHeight, kZ * kColumnDepth, tile);
}

}  // namespace

MeshModel buildHallway() {
    const double x0 = layout::kStartWallX;
    const double x1 = layout::kEndWallX;
    const double z = layout::kSideWallZ;
    const double y0 = layout::kFloorY;
    const double y1 = layout::kCeilingY;

    // Every face is wound to be seen from inside.
    MeshPart floor = shell("floor", "hallway_floor");
    addFace(floor, {x0, y0, -z}, kZ * kWidth, kX * kLength, {scale::kFloorTile, scale::kFloorTile});

    MeshPart ceiling = shell("ceiling", "hallway_ceiling");
    addFace(ceiling, {x0, y1, -z}, kX * kLength, kZ * kWidth, {scale::kCeilingTile, scale::kCeilingTile});

    MeshPart walls = shell("walls", "hallway_wall");
    const glm::dvec2 wallTile(scale::kWallTileWidth, scale::kWallTileHeight);
    addFace(walls, {x1, y0, z}, -kX * kLength, kY * kHeight, wallTile);
    addFace(walls, {x0, y0, -z}, kX * kLength, kY * kHeight, wallTile);

    MeshPart ends = shell("end_walls", "hallway_bulkhead");
    const glm::dvec2 endTile(scale::kEndWallWidth, scale::kEndWallHeight);
    addFace(ends, {x1, y0, -z}, kZ * kWidth, kY * kHeight, endTile);
    addFace(ends, {x0, y0, z}, -kZ * kWidth, kY * kHeight, endTile);

    MeshPart trim = shell("skirting", "hallway_trim");
    addSkirting(trim);

    MeshPart girders = shell("girders", "hallway_girder");
    for (double x : kGirderX) addGirder(girders, x);

    // The skirting and the girders end on the shell and on each other's
    // edges, between the shell's grid points: split there, every seam is
    // shared vertex for vertex.
    MeshModel hallway{"hallway", {floor, walls, ceiling, ends, trim, girders}};
    removeTJunctions(hallway);
    return hallway;
}
