// Counts, before the import library starts, what an OBJ file will cost it:
// the work that grows faster than the file (triangulating large polygons,
// tangent generation over crowded corners, the reader's name lookups) and
// the memory the import will hold. The file is read the way the library's
// reader reads it, and split into meshes where it splits them.
#pragma once

#include <assimp/IOStream.hpp>

#include <cstdint>
#include <string>

// What the work costs on one core, measured on the import library's own
// code with inputs that do nothing else (tools/heavy_inputs writes them):
// one step of its ear-clipping triangulation (a corner tested against a
// candidate ear, or skipped over: 4.4 to 5.3 ns), one position scanned in
// tangent generation's search for a vertex's neighbours (1.1 ns), one name
// compared in the reader's object and material lookups (2.2 to 2.7 ns, and
// 0.03 ns for every byte of a name it compares to the end), and one byte of
// a material library read and screened (2.4 ns).
inline constexpr double kTriangulationStepNs = 5.5;
// Triangulation is counted by replaying it, which costs as much again as
// the import's own: every step is charged twice.
inline constexpr double kTriangulationRuns = 2.0;
inline constexpr double kNeighbourScanNs = 1.1;
inline constexpr double kNameComparisonNs = 3.0;
inline constexpr double kNameByteNs = 0.05;
inline constexpr double kLibraryByteNs = 2.5;

// All of that work together, for one model. A scanned surface of 2,000,000
// triangles (200 MB) needs 2.4 s of neighbour scans by these measures, and
// passes; a small hostile file can make screen and import together spend
// no more than this beyond reading it.
inline constexpr double kMaxImportWorkNs = 4e9;
// One face may take about 0.7 s to triangulate, and as long to screen: a
// convex polygon of 11,000 corners (CAD programs write cylinder caps of a
// few thousand); one mesh, all of the budget.
inline constexpr std::uint64_t kMaxFaceTriangulationSteps = std::uint64_t{1} << 27;
inline constexpr std::uint64_t kMaxMeshNeighbourScans =
    static_cast<std::uint64_t>(kMaxImportWorkNs / kNeighbourScanNs);

// What the import library and the viewer's copy of a model hold at most,
// from the peak resident memory of whole model loads (import, conversion,
// GL upload) of scans, assemblies and material libraries: 237 bytes per
// corner of a triangle mesh, which is 200 per corner and 64 per face
// statement and per face made of it (a point or a line segment is a face of
// its own); 7.4 KiB per mesh with its object, of which 1.5 KiB is the object
// alone (a node, and the reader's empty mesh; every group switch makes
// one); 34 KiB per material (the reader keeps a 1 KiB string for every
// texture slot of every material); 24 bytes per position, texture
// coordinate or normal; and up to three bytes per byte of the longest line,
// whose buffer the reader doubles as it grows.
inline constexpr std::uint64_t kBytesPerCorner = 200;
inline constexpr std::uint64_t kBytesPerFace = 64;
inline constexpr std::uint64_t kBytesPerMesh = 6144;
inline constexpr std::uint64_t kBytesPerObject = 2048;
inline constexpr std::uint64_t kBytesPerMaterial = 36864;
inline constexpr std::uint64_t kBytesPerAttribute = 24;
inline constexpr std::uint64_t kBytesPerLineByte = 3;
// The reader's block cache and its first line buffer, each a block.
inline constexpr std::uint64_t kReaderCacheBytes = std::uint64_t{4096} * 4096;
// A 2,000,000-triangle scan takes 1.4 GiB; this leaves room for models
// heavier in other ways while staying within half of an 8 GiB machine.
inline constexpr std::uint64_t kMaxImportBytes = std::uint64_t{4} << 30;

// Distinct texture files the materials of one model name. Placeholders for
// missing files cost nothing; real images cost their texels on the GPU, and
// at the 1024x1024 that exporters write most (4 MiB with mipmaps) this many
// hold 4 GiB, as much as the model's import may take.
inline constexpr std::uint64_t kMaxModelTextures = 1024;

struct ObjImportCost {
    // Set when the reader would read outside its line or its buffer; the
    // file is refused and nothing else is counted after it.
    std::string pastItsBuffer;

    std::uint64_t triangulationSteps = 0;
    std::uint64_t costliestFaceSteps = 0;
    std::uint64_t costliestFaceCorners = 0;
    std::uint64_t neighbourScans = 0;
    std::uint64_t costliestMeshScans = 0;
    // Object statements compare their name with every object before them.
    std::uint64_t objectNameComparisons = 0;
    std::uint64_t objectNameBytes = 0;
    // Each statement that looks a material up compares its name with every
    // material the model has by then, which the libraries add to.
    std::uint64_t materialLookups = 0;
    // Names that usemtl statements may make materials of.
    std::uint64_t materialsNamed = 0;
    std::uint64_t materialNameBytes = 0;
    // Material library statements: each reads a library, the same one
    // again as often as it is named.
    std::uint64_t libraryStatements = 0;

    std::uint64_t memoryBytes = 0;
};

// Reads the whole of `file` (from its start) the way the import library's
// OBJ reader reads it and counts what importing it costs. Stops early, with
// the counts so far, once they pass a limit.
ObjImportCost countObjImportCost(Assimp::IOStream& file);

// The estimated work of the counts, in nanoseconds on one core: everything
// but the material lookups, which depend on the libraries too.
double objWorkNs(const ObjImportCost& cost);

// Empty when the counts are within every limit, else why the file is
// refused, in the import library's own style ("OBJ: ...").
std::string objImportRefusal(const ObjImportCost& cost);

// The work of the model's material lookups once the libraries have added
// `libraryMaterials`: every lookup compares its name with every material,
// byte for byte at worst.
double materialLookupWorkNs(const ObjImportCost& cost, std::uint64_t libraryMaterials,
                            std::uint64_t libraryNameBytes);
