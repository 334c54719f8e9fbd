// What model import asks of the import library and how it judges the answer:
// the screening before it, the post-processing steps, the failure test and
// the texture directory.
#pragma once

#include "model/obj_screening.h"

#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <string>

// Triangles only, texture rows top first as GL samples them, and tangents for
// normal mapping. Vertices are not joined and normals are not generated.
inline constexpr unsigned int kImportFlags =
    aiProcess_Triangulate | aiProcess_FlipUVs | aiProcess_CalcTangentSpace;

// No scene, no root node, or a flags word that is exactly "incomplete": an
// incomplete scene that carries other flags as well is still used.
bool importFailed(const aiScene* scene);

// What importing the model file at `path` costs (see countObjImportCost);
// nothing when `files` cannot open it, which the import then reports.
ObjImportCost modelFileCost(Assimp::IOSystem& files, const std::string& path);

// Why an imported scene must not be converted: its materials name more
// texture files than one model may load. (Looking them up costs little
// whatever their number: the start-up's texture cache is a map, and each
// path is resolved once.) Empty when it may be.
std::string sceneRefusal(const aiScene& scene);

// Imports `path` with kImportFlags, reading every file through `files`
// behind a MaterialLibraryGuard; `importer` owns both from then on and the
// scene it returns. Null when the file or its scene was refused or the
// import failed, with `error` set to the text the import-error line
// carries: the refusal, or the importer's own error text.
const aiScene* importModelScene(Assimp::Importer& importer, const std::string& path,
                                Assimp::IOSystem* files, std::string& error);

// The path before its last '/', against which material texture paths are
// resolved; a path without '/' is its own directory.
std::string modelDirectory(const std::string& path);
