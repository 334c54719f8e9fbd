// Model import without files or GL: an OBJ and its material library held in
// memory go through the viewer's own import (screening, importer flags,
// material guard, failure test, node walk and mesh conversion). The OBJ
// fuzzer drives this path and the hardening tests replay what it found.
#pragma once

#include "model/scene_conversion.h"
#include "model/scene_import.h"

#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/MemoryIOWrapper.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hardening {

// One input holds both files: the OBJ text, this line, then the material
// library. A comment line to the OBJ reader, so a mangled separator only
// leaves the library inside the OBJ as more text to read.
inline constexpr std::string_view kMaterialLibrarySeparator = "\n#mtl\n";
inline constexpr const char* kModelFileName = "model.obj";

struct ObjInput {
    std::string obj;
    std::string mtl;
};

inline ObjInput splitObjInput(std::string_view input)
{
    const std::size_t at = input.find(kMaterialLibrarySeparator);
    if (at == std::string_view::npos) {
        return {std::string(input), std::string()};
    }
    return {std::string(input.substr(0, at)),
            std::string(input.substr(at + kMaterialLibrarySeparator.size()))};
}

// Serves the OBJ under its own name and the material library under any
// other, so whatever `mtllib` names resolves to it. Without a library every
// other name is missing, as an absent .mtl file is. The importer does not
// close every stream it opens when a read fails part-way, so the streams are
// owned here and go with the importer.
class TwoFileIOSystem : public Assimp::IOSystem {
public:
    explicit TwoFileIOSystem(const ObjInput& input) : input_(input) {}

    bool Exists(const char* file) const override
    {
        return isModel(file) || !input_.mtl.empty();
    }
    char getOsSeparator() const override { return '/'; }
    // A name's identity is the file it serves.
    bool ComparePaths(const char* one, const char* second) const override
    {
        return isModel(one) == isModel(second);
    }

    Assimp::IOStream* Open(const char* file, const char* /*mode*/) override
    {
        const std::string& text = isModel(file) ? input_.obj : input_.mtl;
        if (!isModel(file) && text.empty()) {
            return nullptr;
        }
        streams_.push_back(std::make_unique<Assimp::MemoryIOStream>(
            reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        return streams_.back().get();
    }

    void Close(Assimp::IOStream* stream) override
    {
        for (auto open = streams_.begin(); open != streams_.end(); ++open) {
            if (open->get() == stream) {
                streams_.erase(open);
                return;
            }
        }
    }

private:
    static bool isModel(const char* file) { return std::strcmp(file, kModelFileName) == 0; }

    const ObjInput& input_;
    std::vector<std::unique_ptr<Assimp::MemoryIOStream>> streams_;
};

struct ImportOutcome {
    bool failed = false;
    std::string error;  // the importer's text, as the viewer would print it
    std::vector<ConvertedMesh> meshes;
};

// Model import as the viewer makes it (src/model/model_file_import.cpp),
// with the files in memory and the GL work left out: the same import and
// failure test and the same conversion of the whole scene, whose texture
// requests are those the model's texture gathering resolves.
inline ImportOutcome importFromMemory(const ObjInput& input)
{
    Assimp::Importer importer;
    ImportOutcome outcome;
    const aiScene* scene =
        importModelScene(importer, kModelFileName, new TwoFileIOSystem(input), outcome.error);
    if (scene == nullptr) {
        outcome.failed = true;
        return outcome;
    }
    outcome.meshes = convertSceneMeshes(*scene);
    return outcome;
}

// What a converted mesh must hold for the draw to be safe: whole triangles
// whose indices all name one of its vertices. Empty when it does.
inline std::string meshFault(const ConvertedMesh& mesh)
{
    constexpr std::size_t kTriangleCorners = 3;
    if (mesh.indices.size() % kTriangleCorners != 0) {
        return "index count " + std::to_string(mesh.indices.size()) + " is not whole triangles";
    }
    for (unsigned int index : mesh.indices) {
        if (index >= mesh.vertices.size()) {
            return "index " + std::to_string(index) + " past " +
                   std::to_string(mesh.vertices.size()) + " vertices";
        }
    }
    return std::string();
}

}  // namespace hardening
