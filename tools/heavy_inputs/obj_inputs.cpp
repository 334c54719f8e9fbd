// The OBJ models of obj_inputs.h. Numbers are written with fixed decimals
// and the only randomness is a hash of grid indices, so the same call
// always writes the same bytes.
#include "obj_inputs.h"

#include "common/system_path.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

constexpr double kTau = 6.283185307179586;
constexpr int kTrianglesPerQuad = 2;
constexpr std::uint64_t kTrianglesPerBox = 12;
// A grid's long side is about twice its short one, as around a torus.
constexpr std::uint64_t kGridAspect = 2;
constexpr std::uint64_t kSmallestGridSide = 3;
constexpr double kTorusMajorRadius = 1.0;
constexpr double kTorusMinorRadius = 0.4;
// Bumps of a few percent of the tube radius: a rough scanned surface.
constexpr double kBumpHeight = 0.04;
constexpr double kBumpWaves = 7.0;
constexpr double kJitter = 0.002;
constexpr std::uint32_t kHashMultiplier = 2654435761u;
constexpr std::uint32_t kHashMix = 0x9e3779b9u;
constexpr double kHashScale = 1.0 / 4294967296.0;
// Boxes of an assembly stand in rows of this many, this far apart.
constexpr std::uint64_t kBoxesPerRow = 20;
constexpr double kBoxSpacing = 2.0;
constexpr std::uint64_t kAssemblyMaterials = 8;
constexpr double kGroundHalfSide = 1000.0;
constexpr double kStatueHeight = 2.0;
constexpr double kCylinderHeight = 1.0;

// One face corner's position/texture/normal indices, 64-bit on every system
// (PRIu64 spells their conversion for each).
#define CORNER "%" PRIu64 "/%" PRIu64 "/%" PRIu64

struct Vec3 {
    double x, y, z;
};

// A file written with printf-style lines.
class TextFile {
public:
    explicit TextFile(const std::filesystem::path& path) : file_(openFile(utf8FromPath(path), "wb"), &std::fclose)
    {
        if (!file_) {
            throw std::runtime_error("cannot write " + utf8FromPath(path));
        }
    }

    void line(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        std::va_list arguments;
        va_start(arguments, format);
        std::vfprintf(file_.get(), format, arguments);
        va_end(arguments);
        std::fputc('\n', file_.get());
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
};

double hashUnit(std::uint64_t a, std::uint64_t b)
{
    std::uint32_t h = static_cast<std::uint32_t>(a) * kHashMultiplier;
    h ^= static_cast<std::uint32_t>(b) + kHashMix + (h << 6) + (h >> 2);
    h *= kHashMultiplier;
    return (h ^ (h >> 16)) * kHashScale;
}

std::filesystem::path makeFolder(const std::string& directory)
{
    std::filesystem::create_directories(directory);
    return directory;
}

// rows * columns == cells with rows the largest divisor of `cells` up to the
// size that makes the grid about kGridAspect times longer than wide; where
// `cells` has no such divisor, the closest grid of fewer cells.
void factorGrid(std::uint64_t cells, std::uint64_t& rows, std::uint64_t& columns)
{
    const auto ideal = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(cells) / kGridAspect));
    rows = std::max(ideal, kSmallestGridSide);
    for (std::uint64_t r = rows; r >= std::max<std::uint64_t>(rows / 2, kSmallestGridSide); --r) {
        if (cells % r == 0) {
            rows = r;
            break;
        }
    }
    columns = std::max(cells / rows, kSmallestGridSide);
}

// Indices already used in the file before a part is written.
struct IndexBase {
    std::uint64_t positions = 0;
    std::uint64_t uvs = 0;
    std::uint64_t normals = 0;
};

// Positions, texture coordinates and normals of a rows x columns grid
// wrapped around a surface, and its faces, two triangles per cell. The
// columns close into rings; the rows close too where `closedRows`. Texture
// coordinates have one more row and column, for the seams.
template <typename Surface>
std::uint64_t writeWrappedGrid(TextFile& obj, std::uint64_t rows, std::uint64_t columns, bool closedRows,
                               const IndexBase& base, Surface surface)
{
    for (std::uint64_t r = 0; r < rows; ++r) {
        for (std::uint64_t c = 0; c < columns; ++c) {
            Vec3 position{}, normal{};
            surface(r, c, position, normal);
            obj.line("v %.6f %.6f %.6f", position.x, position.y, position.z);
        }
    }
    for (std::uint64_t r = 0; r <= rows; ++r) {
        for (std::uint64_t c = 0; c <= columns; ++c) {
            obj.line("vt %.6f %.6f", static_cast<double>(c) / columns, static_cast<double>(r) / rows);
        }
    }
    for (std::uint64_t r = 0; r < rows; ++r) {
        for (std::uint64_t c = 0; c < columns; ++c) {
            Vec3 position{}, normal{};
            surface(r, c, position, normal);
            obj.line("vn %.6f %.6f %.6f", normal.x, normal.y, normal.z);
        }
    }
    const std::uint64_t faceRows = closedRows ? rows : rows - 1;
    std::uint64_t triangles = 0;
    for (std::uint64_t r = 0; r < faceRows; ++r) {
        for (std::uint64_t c = 0; c < columns; ++c) {
            std::uint64_t p[4], t[4], n[4];
            for (int corner = 0; corner < 4; ++corner) {
                // Counter-clockwise from the cell's first corner.
                const std::uint64_t dr = corner >= 2 ? 1 : 0;
                const std::uint64_t dc = corner == 1 || corner == 2 ? 1 : 0;
                const std::uint64_t grid = ((r + dr) % rows) * columns + (c + dc) % columns;
                p[corner] = base.positions + grid + 1;
                n[corner] = base.normals + grid + 1;
                t[corner] = base.uvs + (r + dr) * (columns + 1) + c + dc + 1;
            }
            obj.line("f " CORNER " " CORNER " " CORNER, p[0], t[0], n[0], p[1], t[1], n[1], p[2], t[2], n[2]);
            obj.line("f " CORNER " " CORNER " " CORNER, p[0], t[0], n[0], p[2], t[2], n[2], p[3], t[3],
                     n[3]);
            triangles += kTrianglesPerQuad;
        }
    }
    return triangles;
}

std::uint64_t writeTorus(TextFile& obj,
                         std::uint64_t triangles,
                         double scale,
                         Vec3 centre,
                         const IndexBase& base)
{
    std::uint64_t rings = 0;
    std::uint64_t segments = 0;
    factorGrid(triangles / kTrianglesPerQuad, rings, segments);
    return writeWrappedGrid(
        obj, rings, segments, true, base, [&](std::uint64_t r, std::uint64_t c, Vec3& p, Vec3& n) {
            const double around = kTau * c / segments;
            const double tube = kTau * r / rings;
            const double bump = kBumpHeight * std::sin(kBumpWaves * around) * std::sin(kBumpWaves * tube) +
                                kJitter * hashUnit(r, c);
            const double minor = kTorusMinorRadius * (1.0 + bump);
            n = {std::cos(tube) * std::cos(around), std::sin(tube), std::cos(tube) * std::sin(around)};
            p = {centre.x + scale * (std::cos(around) * (kTorusMajorRadius + minor * std::cos(tube))),
                 centre.y + scale * (minor * std::sin(tube)),
                 centre.z + scale * (std::sin(around) * (kTorusMajorRadius + minor * std::cos(tube)))};
        });
}

// The texture coordinates and normals every box shares: 1-4 and 1-6.
void writeBoxAttributes(TextFile& obj)
{
    obj.line("vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1");
    obj.line("vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0");
}

// The k-th unit box of the rows, after `positionsSoFar` positions.
void writeBox(TextFile& obj, std::uint64_t k, std::uint64_t& positionsSoFar)
{
    constexpr int kCorners = 8;
    const double x = kBoxSpacing * static_cast<double>(k % kBoxesPerRow);
    const double z = kBoxSpacing * static_cast<double>(k / kBoxesPerRow);
    for (int corner = 0; corner < kCorners; ++corner) {
        obj.line("v %.1f %d %.1f", x + (corner & 1), (corner >> 1) & 1, z + (corner >> 2));
    }
    // Each side: its four corners, as bits x, y, z of the unit box, and its
    // normal's index.
    static const int kSides[6][5] = {{0, 2, 3, 1, 1}, {4, 5, 7, 6, 2}, {0, 1, 5, 4, 3},
                                     {2, 6, 7, 3, 4}, {0, 4, 6, 2, 5}, {1, 3, 7, 5, 6}};
    const std::uint64_t first = positionsSoFar + 1;
    for (const auto& side : kSides) {
        const std::uint64_t a = first + side[0], b = first + side[1], c = first + side[2],
                            d = first + side[3];
        const int n = side[4];
        obj.line("f %" PRIu64 "/1/%d %" PRIu64 "/2/%d %" PRIu64 "/3/%d", a, n, b, n, c, n);
        obj.line("f %" PRIu64 "/1/%d %" PRIu64 "/3/%d %" PRIu64 "/4/%d", a, n, c, n, d, n);
    }
    positionsSoFar += kCorners;
}

// `count` boxes in NAME.obj with the library NAME.mtl (named at the top
// where `namesLibrary`); `beforeBox` writes what comes before the k-th box,
// in either file.
WrittenObj writeBoxes(const std::string& directory, const std::string& name, std::uint64_t count,
                      const std::function<void(TextFile& obj, TextFile& mtl, std::uint64_t k)>& beforeBox,
                      bool namesLibrary = true)
{
    const std::filesystem::path folder = makeFolder(directory);
    WrittenObj written{(folder / (name + ".obj")).string(), count * kTrianglesPerBox};
    TextFile obj(written.path);
    TextFile mtl(folder / (name + ".mtl"));
    mtl.line("# %s", name.c_str());
    if (namesLibrary) {
        obj.line("mtllib %s.mtl", name.c_str());
    }
    writeBoxAttributes(obj);
    std::uint64_t positions = 0;
    for (std::uint64_t k = 0; k < count; ++k) {
        beforeBox(obj, mtl, k);
        writeBox(obj, k, positions);
    }
    return written;
}

}  // namespace

WrittenObj writeScanObj(const std::string& directory, const std::string& name, std::uint64_t triangles,
                        const ScanTextures& textures)
{
    const std::filesystem::path folder = makeFolder(directory);
    WrittenObj written{(folder / (name + ".obj")).string(), 0};
    TextFile mtl(folder / (name + ".mtl"));
    mtl.line("newmtl scan\nKd 0.8 0.8 0.8\nmap_Kd %s\nmap_Ks %s\nmap_Bump %s", textures.diffuse.c_str(),
             textures.specular.c_str(), textures.bump.c_str());
    TextFile obj(written.path);
    obj.line("# scanned surface\nmtllib %s.mtl\no scan\nusemtl scan", name.c_str());
    written.triangles = writeTorus(obj, triangles, 1.0, {0, 0, 0}, {});
    return written;
}

WrittenObj writeSphereObj(const std::string& directory, std::uint64_t triangles)
{
    const std::filesystem::path folder = makeFolder(directory);
    WrittenObj written{(folder / "sphere.obj").string(), 0};
    TextFile obj(written.path);
    obj.line("o sphere");
    std::uint64_t stacks = 0;
    std::uint64_t slices = 0;
    factorGrid(triangles / kTrianglesPerQuad, stacks, slices);
    // Pole to pole, each pole a ring of coincident positions, as UV-sphere
    // exporters write them.
    written.triangles = writeWrappedGrid(obj, stacks + 1, slices, false, {},
                                         [&](std::uint64_t r, std::uint64_t c, Vec3& p, Vec3& n) {
                                             const double polar = kTau / 2 * r / stacks;
                                             const double around = kTau * c / slices;
                                             n = {std::sin(polar) * std::cos(around), std::cos(polar),
                                                  std::sin(polar) * std::sin(around)};
                                             p = n;
                                         });
    return written;
}

WrittenObj writeCadCylinderObj(const std::string& directory, std::uint64_t capCorners)
{
    const std::filesystem::path folder = makeFolder(directory);
    WrittenObj written{(folder / "cylinder.obj").string(), 0};
    TextFile obj(written.path);
    obj.line("o cylinder");
    for (int level = 0; level < 2; ++level) {
        for (std::uint64_t k = 0; k < capCorners; ++k) {
            const double angle = kTau * k / capCorners;
            obj.line("v %.6f %.6f %.6f", std::cos(angle), kCylinderHeight * level, std::sin(angle));
        }
    }
    // Planar texture coordinates for the caps, which the sides reuse, and a
    // normal per side segment, then the two cap normals.
    for (std::uint64_t k = 0; k < capCorners; ++k) {
        const double angle = kTau * k / capCorners;
        obj.line("vt %.6f %.6f", 0.5 + 0.5 * std::cos(angle), 0.5 + 0.5 * std::sin(angle));
        obj.line("vn %.6f 0 %.6f", std::cos(angle), std::sin(angle));
    }
    obj.line("vn 0 -1 0\nvn 0 1 0");
    const std::uint64_t down = capCorners + 1;
    const std::uint64_t up = capCorners + 2;
    for (std::uint64_t k = 0; k < capCorners; ++k) {
        const std::uint64_t a = k + 1;
        const std::uint64_t b = (k + 1) % capCorners + 1;
        obj.line("f " CORNER " " CORNER " " CORNER " " CORNER, a, a, a, b, b, b, b + capCorners, b, b,
                 a + capCorners, a, a);
    }
    std::string bottom = "f";
    std::string top = "f";
    for (std::uint64_t k = 0; k < capCorners; ++k) {
        const std::string below = std::to_string(capCorners - k);
        const std::string above = std::to_string(k + 1);
        bottom += " " + below + "/" + below + "/" + std::to_string(down);
        top += " " + std::to_string(capCorners + k + 1) + "/" + above + "/" + std::to_string(up);
    }
    obj.line("%s\n%s", bottom.c_str(), top.c_str());
    written.triangles = capCorners * kTrianglesPerQuad + 2 * (capCorners - 2);
    return written;
}

WrittenObj writeAssemblyObj(const std::string& directory, std::uint64_t groups)
{
    const std::uint64_t materials = std::min(groups, kAssemblyMaterials);
    return writeBoxes(directory, "assembly", groups, [&](TextFile& obj, TextFile& mtl, std::uint64_t k) {
        if (k < materials) {
            mtl.line("newmtl finish%" PRIu64 "\nKd %.3f 0.5 0.5", k, hashUnit(k, 0));
        }
        obj.line("g part%" PRIu64 "\nusemtl finish%" PRIu64, k, k % materials);
    });
}

WrittenObj writeManyMaterialsObj(const std::string& directory, std::uint64_t materials)
{
    return writeBoxes(directory, "materials", materials, [](TextFile& obj, TextFile& mtl, std::uint64_t k) {
        mtl.line("newmtl colour%" PRIu64 "\nKd %.3f %.3f %.3f", k, hashUnit(k, 0), hashUnit(k, 1), hashUnit(k, 2));
        obj.line("o part%" PRIu64 "\nusemtl colour%" PRIu64, k, k);
    });
}

WrittenObj writeManyTexturesObj(const std::string& directory, std::uint64_t textures)
{
    return writeBoxes(directory, "textures", textures, [](TextFile& obj, TextFile& mtl, std::uint64_t k) {
        mtl.line("newmtl painted%" PRIu64 "\nmap_Kd paint%" PRIu64 ".png", k, k);
        obj.line("o part%" PRIu64 "\nusemtl painted%" PRIu64, k, k);
    });
}

WrittenObj writeLibraryPerObjectObj(const std::string& directory, std::uint64_t objects)
{
    const std::filesystem::path folder = makeFolder(directory);
    return writeBoxes(
        directory, "libraries", objects,
        [&](TextFile& obj, TextFile&, std::uint64_t k) {
            TextFile own(folder / ("part" + std::to_string(k) + ".mtl"));
            own.line("newmtl part%" PRIu64 "\nKd 0.5 0.5 0.5", k);
            obj.line("mtllib part%" PRIu64 ".mtl\no part%" PRIu64 "\nusemtl part%" PRIu64, k, k, k);
        },
        false);
}

WrittenObj writeMaterialSwitchesObj(const std::string& directory, const std::string& name, std::uint64_t faces,
                                    std::uint64_t materials)
{
    const std::filesystem::path folder = makeFolder(directory);
    WrittenObj written{(folder / (name + ".obj")).string(), faces};
    TextFile mtl(folder / (name + ".mtl"));
    for (std::uint64_t k = 0; k < materials; ++k) {
        mtl.line("newmtl m%" PRIu64 "\nKd %.3f %.3f %.3f", k, hashUnit(k, 0), hashUnit(k, 1), hashUnit(k, 2));
    }
    TextFile obj(written.path);
    // A small triangle: every face is the same one, so a large one would
    // measure the renderer's fill of 100,000 layers rather than loading.
    obj.line("mtllib %s.mtl\nv -0.05 0 0\nv 0.05 0 0\nv 0 0.1 0", name.c_str());
    for (std::uint64_t f = 0; f < faces; ++f) {
        obj.line("usemtl m%" PRIu64 "\nf 1 2 3", f % materials);
    }
    return written;
}

WrittenObj writeGroundAndStatueObj(const std::string& directory, std::uint64_t statueTriangles)
{
    const std::filesystem::path folder = makeFolder(directory);
    WrittenObj written{(folder / "ground_and_statue.obj").string(), 0};
    TextFile obj(written.path);
    const double g = kGroundHalfSide;
    obj.line("o ground\nv %.1f 0 %.1f\nv %.1f 0 %.1f\nv %.1f 0 %.1f\nv %.1f 0 %.1f", -g, -g, g, -g, g, g, -g,
             g);
    obj.line("vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 1 0\nf 1/1/1 4/4/1 3/3/1 2/2/1\no statue");
    const IndexBase afterGround{4, 4, 1};
    written.triangles =
        writeTorus(obj, statueTriangles, kStatueHeight / 2, {0, kStatueHeight, 0}, afterGround) +
        kTrianglesPerQuad;
    return written;
}

WrittenObj writeIndentedLibraryObj(const std::string& directory)
{
    const std::filesystem::path folder = makeFolder(directory);
    {
        TextFile mtl(folder / "indented.mtl");
        mtl.line("# materials\n  newmtl stone\n    Kd 0.6 0.6 0.6\n    map_Kd stone.png\n"
                 "  newmtl moss\n    Kd 0.2 0.5 0.2\n    map_Kd moss.png");
    }
    WrittenObj written{(folder / "indented.obj").string(), 2 * kTrianglesPerBox};
    TextFile obj(written.path);
    obj.line("mtllib indented.mtl");
    writeBoxAttributes(obj);
    std::uint64_t positions = 0;
    obj.line("o stone\nusemtl stone");
    writeBox(obj, 0, positions);
    obj.line("o moss\nusemtl moss");
    writeBox(obj, 1, positions);
    return written;
}

std::vector<NamedObj> writeExporterObjs(const std::string& directory)
{
    constexpr std::uint64_t kSphereTriangles = 44000;
    constexpr std::uint64_t kCapCorners = 3000;
    constexpr std::uint64_t kGroups = 300;
    constexpr std::uint64_t kMaterials = 300;
    constexpr std::uint64_t kTextures = 70;
    constexpr std::uint64_t kLibraries = 20;
    constexpr std::uint64_t kStatueTriangles = 19000;
    const std::filesystem::path folder = makeFolder(directory);
    const auto in = [&](const char* name) { return (folder / name).string(); };
    return {
        {"sphere of 44k triangles", writeSphereObj(in("sphere"), kSphereTriangles)},
        {"CAD cylinder, 3000-corner caps", writeCadCylinderObj(in("cylinder"), kCapCorners)},
        {"300 groups with usemtl", writeAssemblyObj(in("assembly"), kGroups)},
        {"300 materials", writeManyMaterialsObj(in("materials"), kMaterials)},
        {"70 textures", writeManyTexturesObj(in("textures"), kTextures)},
        {"20 mtllib lines", writeLibraryPerObjectObj(in("libraries"), kLibraries)},
        {"ground quad + 19k-triangle statue",
         writeGroundAndStatueObj(in("ground_and_statue"), kStatueTriangles)},
        {"indented library", writeIndentedLibraryObj(in("indented"))},
    };
}
