// The viewer reads only the three images of each material; the colour terms
// are kept close to the images' average so other tools show the scene alike.
// Shininess is the viewer's fixed 32.
#include "material_table.h"

#include "textures.h"

namespace {

constexpr double kShininess = 32.0;
constexpr double kAmbientShare = 0.2;  // Ka as a share of Kd

Material entry(const std::string& name, const glm::dvec3& diffuse, double specular, const std::string& stem,
               TextureRecipe paint) {
    return Material{name, diffuse * kAmbientShare, diffuse, glm::dvec3(specular), kShininess, stem, std::move(paint)};
}

}  // namespace

const std::vector<Material>& materialTable() {
    static const std::vector<Material> table = {
        entry("hallway_floor", {0.55, 0.55, 0.56}, 0.5, "floor", paintFloorPlate),
        entry("hallway_wall", {0.55, 0.57, 0.60}, 0.3, "wall", paintWallPanel),
        entry("hallway_ceiling", {0.64, 0.64, 0.61}, 0.25, "ceiling", paintCeilingPanel),
        entry("hallway_bulkhead", {0.52, 0.50, 0.45}, 0.35, "bulkhead", paintBulkheadDoor),
        entry("hallway_trim", {0.50, 0.42, 0.14}, 0.35, "trim", paintHazardTrim),
        entry("hallway_girder", {0.50, 0.50, 0.52}, 0.35, "girder", paintGirder),
        entry("pipe_paint", {0.78, 0.62, 0.22}, 0.45, "pipe_paint", paintPipePaint),
        entry("pipe_steel", {0.60, 0.61, 0.62}, 0.6, "pipe_steel", paintPipeSteel),
        entry("slime_skin", {0.40, 0.95, 0.32}, 0.85, "slime", paintSlimeSkin),
        entry("beacon_housing", {0.32, 0.33, 0.35}, 0.5, "beacon_housing", paintBeaconHousing),
        entry("beacon_glass", {1.00, 0.30, 0.22}, 0.9, "beacon_glass", paintBeaconGlass),
        entry("cage_metal", {0.20, 0.20, 0.22}, 0.4, "cage", paintCageMetal),
        entry("blocker_black", {0.02, 0.02, 0.02}, 0.0, "blocker", paintShadowBlack),
    };
    return table;
}

const Material* findMaterial(const std::string& name) {
    for (const Material& m : materialTable()) {
        if (m.name == name) return &m;
    }
    return nullptr;
}
