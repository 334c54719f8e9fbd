// What model import asks of the import library and how it judges the answer:
// the post-processing steps and their settings, the failure test and the
// texture directory.
#pragma once

#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstddef>
#include <string>

// Triangles only, texture rows top first as GL samples them, normals for a
// mesh that has none (lit by its faces' orientation rather than drawn as a
// flat silhouette), and tangents for normal mapping. Vertices are not joined.
// A mesh with normals keeps its own.
inline constexpr unsigned int kImportFlags =
    aiProcess_Triangulate | aiProcess_FlipUVs | aiProcess_GenSmoothNormals | aiProcess_CalcTangentSpace;

// Faces that meet at more than this share no generated normal: a cylinder of
// six or more sides (at most 60 degrees between neighbours) and a scan's fine
// curvature are smoothed, while a box's or the hallway's square corners, and
// anything within 20 degrees of square, stay hard edges.
inline constexpr float kSmoothingAngleDegrees = 70.0f;

// An importer set up as every model import runs it (kSmoothingAngleDegrees).
void configureImporter(Assimp::Importer& importer);

// No scene, no root node, or a flags word that is exactly "incomplete": an
// incomplete scene that carries other flags as well is still used.
bool importFailed(const aiScene* scene);

// Distinct texture files the materials of one model name. Each costs a
// round trip to the loading worker even when it is missing, and a real one
// its texels on the GPU: at the 1024x1024 that exporters write most (4 MiB
// with mipmaps) this many hold 4 GiB, more than the scene's memory budget
// would let through anyway, and refusing them at once beats 1,024 lines.
inline constexpr std::size_t kMaxModelTextures = 1024;

// Why an imported scene must not be converted: its materials name more
// texture files than one model may load. (Looking them up costs little
// whatever their number: the start-up's texture cache is a map, and each
// path is resolved once.) Empty when it may be.
std::string sceneRefusal(const aiScene& scene);

// Imports `path` with kImportFlags on a configured importer, reading every
// file through `files` behind a MaterialLibraryGuard; `importer` owns both
// from then on and the scene it returns. Null when the scene was refused or
// the import failed, with `error` set to the text the import-error line
// carries: the refusal, or the importer's own error text.
const aiScene* importModelScene(Assimp::Importer& importer, const std::string& path,
                                Assimp::IOSystem* files, std::string& error);

// The path before its last '/', against which material texture paths are
// resolved; a path without '/' is its own directory.
std::string modelDirectory(const std::string& path);
