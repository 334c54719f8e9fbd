// Screens a model file's text before it is imported, for the inputs on which
// the import library's work grows faster than the file: large polygons (its
// triangulation is quadratic in a face's corners), corners crowded into one
// thin slab of space (its tangent generation scans the whole slab for every
// corner in it), and floods of objects, materials or libraries, each far
// dearer than its one line. A file past any limit is refused, with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The limits sit far above this scene's largest file (110 KB; 6,228 corners,
// all in triangles; 12 objects, groups and material switches; one library of
// six materials) and low enough that the pipe, imported eight times, still
// reaches the first frame within seconds on two cores: at each limit one
// import costs a few tenths of a second.
inline constexpr std::uint64_t kMaxModelFileBytes = std::uint64_t{4} << 20;
// Face corners, each a vertex of its own after import (a line statement
// makes two of every inner point); a file without faces makes one of every
// position instead.
inline constexpr std::uint64_t kMaxModelCorners = std::uint64_t{1} << 17;
// Triangulating a face of n corners costs about n * n steps, so this bounds
// the sum of those squares: one face of 2048 corners, or many smaller ones.
inline constexpr std::uint64_t kMaxTriangulationWork = std::uint64_t{1} << 22;
// The slab entries tangent generation scans, summed over every corner.
inline constexpr std::uint64_t kMaxCrowding = std::uint64_t{1} << 25;
// Object, group and material-switch statements: each may start a mesh, and
// a new material name makes a material.
inline constexpr std::uint64_t kMaxModelParts = 256;
// Material library statements; each one opens and parses a file.
inline constexpr std::uint64_t kMaxMaterialLibraryStatements = 16;
// What the libraries of one import may hold, all reads together.
inline constexpr std::uint64_t kMaxMaterialLibraryBytes = std::uint64_t{1} << 20;
inline constexpr std::uint64_t kMaxMaterials = 256;
// Distinct texture paths the materials of one model name. Each is decoded,
// uploaded and given mipmaps, a few milliseconds apiece, and one image can be
// named under many spellings ("a.png", "./a.png", ...).
inline constexpr std::uint64_t kMaxModelTextures = 64;

// Empty when the OBJ text is within every limit, else why it is refused, in
// the import library's own style ("OBJ: ...").
std::string objImportRefusal(std::string_view text);

// The materials a library's text defines as the reader counts them: every
// line whose first word, blanks skipped, begins "ne".
std::uint64_t materialCount(std::string_view library);
