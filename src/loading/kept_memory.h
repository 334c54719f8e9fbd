// What the viewer keeps for what it loads, as the scene's memory budget
// counts it (load_budget.h) and the reading of a worker's reply charges it
// before it is made (reply_format.h): geometry, textures, and the records
// each mesh and texture request brings however small it is.
#pragma once

#include "loading/work/mesh_conversion.h"

#include <cstdint>
#include <string>

// What keeping a mesh costs besides its vertices and indices, however few
// they are: its records (the reply's, the viewer's Mesh, each model's copy)
// and the driver's vertex array and two buffer objects. Measured here with
// files of 4,000 and 8,000 one-triangle meshes, each drawn by three models:
// from 1.5 to 4 KiB a mesh, textures apart.
constexpr std::uint64_t kKeptMeshRecordBytes = 4096;
// And for each texture a mesh binds, besides its path: its request, its
// MeshTexture in the mesh and in each model's copy.
constexpr std::uint64_t kKeptTextureRecordBytes = 256;
// A texture's GL object and the driver's records for it, however small its
// image (a material's colour is one texel).
constexpr std::uint64_t kKeptTextureObjectBytes = 4096;

// What keeping a mesh's geometry costs: its vertices and indices held by
// the viewer, and the driver's copy (system memory on a software renderer).
std::uint64_t keptMeshBytes(std::uint64_t vertexBytes, std::uint64_t indexBytes);
// A texture request's records, with its path in each of them.
std::uint64_t keptTextureRecordBytes(const std::string& materialPath);
// What keeping `mesh` costs in all: its geometry, its records and those of
// its textures (the textures themselves are counted once each, apart).
std::uint64_t keptMeshCost(const ConvertedMesh& mesh);
// What keeping an atlas of `colours` texels costs, as a texture.
std::uint64_t keptAtlasBytes(std::size_t colours);
// What keeping a texture costs: its GL object, and its texels as the
// driver stores them (four bytes each) with a third more for the mipmaps.
std::uint64_t keptTextureBytes(int width, int height);
