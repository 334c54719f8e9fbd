// An OBJ and its material library held in memory as one input (as the OBJ
// fuzzer mutates them), written out as files and imported by the loading
// worker, the way the viewer imports a model: hostile text never reaches
// the import library in the calling process. The OBJ fuzzer drives this
// path and the hardening tests replay what it found.
#pragma once

#include "loading/work/mesh_conversion.h"
#include "worker/loading_worker.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace hardening {

// One input holds both files: the OBJ text, this line, then the material
// library. A comment line to the OBJ reader, so a mangled separator only
// leaves the library inside the OBJ as more text to read.
inline constexpr std::string_view kMaterialLibrarySeparator = "\n#mtl\n";
inline constexpr const char* kModelFileName = "model.obj";
// The reader falls back to the model's own name with .mtl when the library
// that `mtllib` names is missing, so any name a mutation makes still reads
// the library.
inline constexpr const char* kFallbackLibraryName = "model.mtl";
// The library is also written under the names `mtllib` gives, at most this
// many, so that a file of thousands of mtllib lines writes no more files.
inline constexpr std::size_t kMaxLibraryNames = 8;
inline constexpr std::size_t kMaxFileNameBytes = 255;

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

// The names `mtllib` statements give that are plain file names in the
// model's folder: nothing outside the input's folder is ever written or read
// through them.
inline std::vector<std::string> plainLibraryNames(std::string_view obj)
{
    std::vector<std::string> names;
    std::size_t lineStart = 0;
    while (lineStart < obj.size() && names.size() < kMaxLibraryNames) {
        std::size_t lineEnd = obj.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = obj.size();
        }
        std::string_view line = obj.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line.substr(first, 7) != "mtllib ") {
            continue;
        }
        line.remove_prefix(first + 7);
        const std::size_t begin = line.find_first_not_of(" \t");
        const std::size_t end = line.find_last_not_of(" \t\r");
        if (begin == std::string_view::npos) {
            continue;
        }
        const std::string name(line.substr(begin, end + 1 - begin));
        if (name.size() <= kMaxFileNameBytes && name != "." && name != ".." && name != kModelFileName &&
            name.find_first_of(std::string_view("/\\\0:", 4)) == std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Empties `folder` and writes the input into it: the OBJ as model.obj and,
// when there is one, the library under the fallback name and every plain
// name `mtllib` gives. Without a library every name is missing, as an absent
// .mtl file is. Returns the model's path.
inline std::string writeObjInput(const std::string& folder, const ObjInput& input)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    const std::filesystem::path model = std::filesystem::path(folder) / kModelFileName;
    writeBytes(model, input.obj);
    if (!input.mtl.empty()) {
        writeBytes(std::filesystem::path(folder) / kFallbackLibraryName, input.mtl);
        for (const std::string& name : plainLibraryNames(input.obj)) {
            writeBytes(std::filesystem::path(folder) / name, input.mtl);
        }
    }
    return model.string();
}

// Imports the input, written into `folder`, in `worker`.
inline LoadReply importThroughWorker(LoadingWorker& worker, const std::string& folder, const ObjInput& input,
                                     const LoadLimits& limits = kModelLimits)
{
    return worker.run({LoadKind::Model, writeObjInput(folder, input), limits});
}

inline bool oneLine(const std::string& text)
{
    return text.find_first_of("\r\n") == std::string::npos;
}

// What a converted mesh must hold for the draw to be safe: whole triangles
// whose indices all name one of its vertices. Empty when it does.
template <class Indices>
std::string meshFault(std::size_t vertexCount, const Indices& indices)
{
    constexpr std::size_t kTriangleCorners = 3;
    if (indices.size() % kTriangleCorners != 0) {
        return "index count " + std::to_string(indices.size()) + " is not whole triangles";
    }
    for (unsigned int index : indices) {
        if (index >= vertexCount) {
            return "index " + std::to_string(index) + " past " + std::to_string(vertexCount) + " vertices";
        }
    }
    return std::string();
}

inline std::string meshFault(const ConvertedMesh& mesh)
{
    return meshFault(mesh.vertices.size(), mesh.indices);
}

// What the viewer relies on in a model reply, whatever the file did to the
// worker: a failure or an import error is one line and comes with no meshes;
// an import comes with meshes, each safe to draw. Empty when it holds.
inline std::string modelReplyFault(const LoadReply& reply)
{
    const ImportedModelFile& model = reply.model;
    if (!oneLine(reply.failure) || !oneLine(model.error)) {
        return "a failure of more than one line: " + reply.failure + model.error;
    }
    if (!reply.failure.empty() || !model.imported) {
        return model.meshes.empty() ? std::string() : "meshes without an import";
    }
    if (model.meshes.empty()) {
        return "an import without meshes";
    }
    for (const ConvertedMesh& mesh : model.meshes) {
        if (std::string fault = meshFault(mesh); !fault.empty()) {
            return "a mesh unsafe to draw: " + fault;
        }
    }
    return std::string();
}

}  // namespace hardening
