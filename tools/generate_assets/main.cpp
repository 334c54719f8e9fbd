// generate_assets [OUTPUT_DIR]: writes the scene's seven OBJ models, their
// material libraries and texture images (default folder data/models). The
// output is the same to the byte on every run, so it can be committed and
// checked against a fresh run.
#include "asset_options.h"
#include "material_table.h"
#include "models.h"
#include "obj_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char* const kTextureFolder = "textures";
constexpr int kExitWriteFailed = 1;

const std::vector<std::function<MeshModel()>> kModelBuilders = {
    buildHallway,           buildPipe,           buildSlime,
    buildAlarmLight,        buildAlarmLightGrid, buildAlarmLightBlocker,
    buildAlarmLightBlockerGrid,
};

bool writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// Materials in the order the model's parts first use them.
bool materialsOf(const MeshModel& model, std::vector<Material>& materials) {
    std::set<std::string> seen;
    for (const MeshPart& part : model.parts) {
        if (!seen.insert(part.material).second) continue;
        const Material* material = findMaterial(part.material);
        if (material == nullptr) {
            std::fprintf(stderr, "generate_assets: model %s names unknown material %s\n", model.name.c_str(),
                         part.material.c_str());
            return false;
        }
        materials.push_back(*material);
    }
    return true;
}

// Paints and writes the material's three images; returns the path that could
// not be written, or an empty path.
std::filesystem::path writeImages(const std::filesystem::path& folder, const Material& material) {
    const SurfaceImages images = material.paint();
    const std::filesystem::path diffuse = folder / diffuseImagePath(material);
    const std::filesystem::path specular = folder / specularImagePath(material);
    const std::filesystem::path normal = folder / normalImagePath(material);
    if (!writePng(diffuse.string(), images.diffuse)) return diffuse;
    if (!writePng(specular.string(), images.specular)) return specular;
    if (!writePng(normal.string(), normalMapFromHeight(images.height, images.bumpStrength))) return normal;
    return {};
}

int fail(const std::filesystem::path& path) {
    std::fprintf(stderr, "generate_assets: cannot write %s\n", path.string().c_str());
    std::fputs(assetUsage().c_str(), stderr);
    return kExitWriteFailed;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLineStop stop;
    const std::optional<AssetOptions> options = parseAssetOptions(argc, argv, stop);
    if (!options) {
        return reportCommandLineStop("generate_assets", stop, assetUsage());
    }

    const std::filesystem::path folder(options->outputFolder);
    std::error_code error;
    std::filesystem::create_directories(folder / kTextureFolder, error);
    if (error) {
        std::fprintf(stderr, "generate_assets: cannot create %s: %s\n", (folder / kTextureFolder).string().c_str(),
                     error.message().c_str());
        std::fputs(assetUsage().c_str(), stderr);
        return kExitWriteFailed;
    }

    std::set<std::string> paintedStems;
    for (const auto& build : kModelBuilders) {
        const MeshModel model = build();
        std::vector<Material> materials;
        if (!materialsOf(model, materials)) return kExitWriteFailed;

        const std::filesystem::path obj = folder / (model.name + ".obj");
        const std::filesystem::path mtl = folder / (model.name + ".mtl");
        if (!writeText(obj, objText(model))) return fail(obj);
        if (!writeText(mtl, mtlText(materials))) return fail(mtl);
        for (const Material& material : materials) {
            if (!paintedStems.insert(material.textureStem).second) continue;
            const std::filesystem::path failed = writeImages(folder, material);
            if (!failed.empty()) return fail(failed);
        }
        std::printf("%s.obj: %zu triangles\n", model.name.c_str(), model.triangleCount());
    }
    return 0;
}
