// Writes the large and the awkward-but-valid OBJ models that model import is
// measured and tested with: scan-like surfaces of any size, and one model for
// each shape of file that real exporters write and an import screen once
// refused. Deterministic text, written fresh into a given folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScanTextures {
    std::string diffuse;
    std::string specular;
    std::string bump;
};

struct WrittenObj {
    std::string path;  // the .obj file; its libraries lie beside it
    std::uint64_t triangles = 0;
};

// A closed, bumpy torus like a scanned surface: positions, texture
// coordinates and normals, one library with one material naming the three
// textures (the images are named, not written). Its triangle count is
// 2 * rings * segments, `triangles` split as evenly as it factors and
// rounded down to an even count; 400,000 triangles make about 40 MB.
WrittenObj writeScanObj(const std::string& directory, const std::string& name, std::uint64_t triangles,
                        const ScanTextures& textures);

// A UV sphere of about `triangles` triangles with positions, texture
// coordinates and normals (44,000 make 3.9 MB).
WrittenObj writeSphereObj(const std::string& directory, std::uint64_t triangles);
// A cylinder as CAD programs export it: one quad per side segment and each
// cap a single polygon of `capCorners` corners.
WrittenObj writeCadCylinderObj(const std::string& directory, std::uint64_t capCorners);
// An assembly: `groups` boxes, each its own group with its own usemtl line,
// sharing a library of a few materials.
WrittenObj writeAssemblyObj(const std::string& directory, std::uint64_t groups);
// `materials` boxes, each an object with a material of its own colour.
WrittenObj writeManyMaterialsObj(const std::string& directory, std::uint64_t materials);
// `textures` boxes whose materials each name a texture file of their own.
WrittenObj writeManyTexturesObj(const std::string& directory, std::uint64_t textures);
// `objects` boxes, each preceded by an mtllib line naming a library of its
// own, as some exporters write one library per object.
WrittenObj writeLibraryPerObjectObj(const std::string& directory, std::uint64_t objects);
// `name`.obj and its library: three vertices (a 10 cm triangle), then `faces` faces each
// after a usemtl line, cycling through `materials` materials of their own
// colours, as CAD exporters switch material at every face.
WrittenObj writeMaterialSwitchesObj(const std::string& directory, const std::string& name, std::uint64_t faces,
                                    std::uint64_t materials);
// A large ground quad and, in an object of its own, a small detailed statue
// of about `statueTriangles` triangles (19,000 make a 1.6 MB file).
WrittenObj writeGroundAndStatueObj(const std::string& directory, std::uint64_t statueTriangles);
// A box whose library indents every statement after its first line, as
// some exporters nest a material's statements under its newmtl line.
WrittenObj writeIndentedLibraryObj(const std::string& directory);

struct NamedObj {
    std::string name;
    WrittenObj obj;
};

// Every model above at the size that real exporters' files have, each in a
// folder of its own under `directory`.
std::vector<NamedObj> writeExporterObjs(const std::string& directory);
