#include "loading/work/model_file_import.h"

#include "loading/work/assimp_import.h"
#include "loading/work/model_files.h"

#include <assimp/Importer.hpp>

#include <algorithm>
#include <new>

namespace {

// Only whole triangles are kept: a file of points, lines or nothing
// readable as faces (a UTF-16 file reads as text without statements) would
// otherwise import without a word and draw nothing.
bool hasTriangles(const std::vector<ConvertedMesh>& meshes)
{
    return std::any_of(meshes.begin(), meshes.end(),
                       [](const ConvertedMesh& mesh) { return !mesh.indices.empty(); });
}

}  // namespace

ImportedModelFile importModelFile(const std::string& path)
{
    ImportedModelFile file;
    try {
        Assimp::Importer importer;
        const aiScene* scene = importModelScene(importer, path, new ModelFileSystem, file.error);
        if (scene == nullptr) {
            return file;
        }
        file.meshes = convertSceneMeshes(*scene);
        if (file.meshes.size() > kMaxModelMeshes) {
            const std::size_t count = file.meshes.size();
            file = ImportedModelFile{};
            file.error = path + ": " + std::to_string(count) + " meshes after merging those of one material, more than the " +
                         std::to_string(kMaxModelMeshes) + " one model may have";
            return file;
        }
        if (!hasTriangles(file.meshes)) {
            file = ImportedModelFile{};
            file.error = path + ": no triangles to draw";
            return file;
        }
        file.directory = modelDirectory(path);
        file.imported = true;
    } catch (const std::bad_alloc&) {
        file = ImportedModelFile{};
        file.error = "not enough memory to import " + path;
    }
    return file;
}
