// What model import asks of the import library and how it judges the answer:
// the post-processing steps, the failure test and the texture directory.
#pragma once

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

// The path before its last '/', against which material texture paths are
// resolved; a path without '/' is its own directory.
std::string modelDirectory(const std::string& path);
