#include "model/model_file_import.h"

#include "model/model_files.h"
#include "model/scene_import.h"

#include <assimp/Importer.hpp>

#include <new>

ImportedModelFile importModelFile(const std::string& path)
{
    ImportedModelFile file;
    try {
        Assimp::Importer importer;
        const aiScene* scene = importModelScene(importer, path, new ModelFileSystem, file.error);
        if (scene == nullptr) {
            return file;
        }
        file.directory = modelDirectory(path);
        file.meshes = convertSceneMeshes(*scene);
        file.imported = true;
    } catch (const std::bad_alloc&) {
        file = ImportedModelFile{};
        file.error = "not enough memory to import " + path;
    }
    return file;
}
