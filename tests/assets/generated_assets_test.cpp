// Guards the committed scene data: a fresh run of the generator must give the
// committed files byte for byte, and the models must import the way the
// viewer imports them and hold together the way the render passes need.
#include "support/files.h"
#include "support/process.h"
#include "support/temp_dir.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include <cmath>
#include <filesystem>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kCommittedModels = fs::path(VORLUNE_SOURCE_DIR) / "data" / "models";
constexpr unsigned kViewerImportFlags =
    aiProcess_Triangulate | aiProcess_FlipUVs | aiProcess_GenSmoothNormals | aiProcess_CalcTangentSpace;

// Every model file with the most triangles it may have: each instance is
// drawn into up to three passes on a software renderer.
const std::map<std::string, size_t> kTriangleBudgets = {
    {"hallway", 4000},        {"pipe", 600},           {"slime", 2000},
    {"alarmlight", 1500},     {"alarmlightGrid", 1500}, {"alarmlightBlocker", 1500},
    {"alarmlightBlockerGrid", 1500},
};
// Drawn into the shadow cube map with front faces culled, so only closed,
// outward-wound solids cast the right shadow.
const std::vector<std::string> kShadowCasters = {"pipe", "slime", "alarmlightBlocker", "alarmlightBlockerGrid"};

// The glass is meant to be shaded from the light inside it, which sits 0.2
// below the alarm light's origin.
const std::string kGlassMaterial = "beacon_glass";
const glm::dvec3 kLocalLightPoint(0.0, -0.2, 0.0);

// Where the viewer puts things: the camera tour flies x = -7 .. 5.75 at
// y = 1, z = 0, looking up to 45 degrees either side; pipes stand at
// z = +-0.7 and are placed, like the slimes, 0.1 above the floor.
constexpr double kTourStartX = -7.0;
constexpr double kTourEndX = 5.75;
constexpr double kEndWallClearance = 1.0;
constexpr double kPipeRowZ = 0.7;
constexpr double kPipeClearance = 0.1;
constexpr double kFloorY = 0.0;
constexpr double kPipeTopY = 2.3;  // world height the ceiling must reach
constexpr double kPropPlacementY = 0.1;
constexpr double kCeilingY = 2.4;
constexpr double kOnSurface = 1e-4;
constexpr double kFar = 1e9;
constexpr float kUnitLengthTolerance = 1e-3f;

struct Triangle {
    glm::dvec3 corner[3];
    glm::dvec3 normal[3];
    std::string material;

    glm::dvec3 faceNormal() const { return glm::cross(corner[1] - corner[0], corner[2] - corner[0]); }
    glm::dvec3 centroid() const { return (corner[0] + corner[1] + corner[2]) / 3.0; }
    glm::dvec3 meanNormal() const { return normal[0] + normal[1] + normal[2]; }
};

std::map<std::string, std::string> filesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = readFile(entry.path());
    }
    return files;
}

// Runs the generator with `arguments`; a crash shows as a status above 128.
ProcessResult runGenerator(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VORLUNE_GENERATE_ASSETS);
    return runProgram(arguments);
}

std::string materialName(const aiScene* scene, const aiMesh* mesh) {
    aiString name;
    scene->mMaterials[mesh->mMaterialIndex]->Get(AI_MATKEY_NAME, name);
    return name.C_Str();
}

// The model's triangles as the viewer would draw them.
std::vector<Triangle> importTriangles(const std::string& model) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile((kCommittedModels / (model + ".obj")).string(), kViewerImportFlags);
    std::vector<Triangle> triangles;
    if (scene == nullptr) return triangles;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            Triangle t;
            t.material = materialName(scene, mesh);
            for (int i = 0; i < 3; ++i) {
                const unsigned index = mesh->mFaces[f].mIndices[i];
                const aiVector3D& p = mesh->mVertices[index];
                const aiVector3D& n = mesh->mNormals[index];
                t.corner[i] = {p.x, p.y, p.z};
                t.normal[i] = {n.x, n.y, n.z};
            }
            triangles.push_back(t);
        }
    }
    return triangles;
}

using Point = std::tuple<double, double, double>;
Point key(const glm::dvec3& p) { return {p.x, p.y, p.z}; }

// Möller-Trumbore: does the ray from `origin` along `direction` hit `t`?
bool rayHits(const glm::dvec3& origin, const glm::dvec3& direction, const Triangle& t) {
    constexpr double kParallel = 1e-12;
    const glm::dvec3 e1 = t.corner[1] - t.corner[0];
    const glm::dvec3 e2 = t.corner[2] - t.corner[0];
    const glm::dvec3 p = glm::cross(direction, e2);
    const double det = glm::dot(e1, p);
    if (std::fabs(det) < kParallel) return false;
    const glm::dvec3 s = origin - t.corner[0];
    const double u = glm::dot(s, p) / det;
    const glm::dvec3 q = glm::cross(s, e1);
    const double v = glm::dot(direction, q) / det;
    return u >= 0.0 && v >= 0.0 && u + v <= 1.0 && glm::dot(e2, q) / det > 0.0;
}

// Share of rays from the light point, spread over the sphere, that hit a triangle.
double shareOfLightHidden(const std::vector<Triangle>& triangles) {
    constexpr int kLatitudes = 12;
    constexpr int kLongitudes = 24;
    constexpr double kPi = 3.141592653589793;
    int hidden = 0;
    for (int i = 0; i < kLatitudes; ++i) {
        const double elevation = kPi * ((i + 0.5) / kLatitudes - 0.5);
        for (int j = 0; j < kLongitudes; ++j) {
            const double heading = 2.0 * kPi * j / kLongitudes;
            const glm::dvec3 direction(std::cos(elevation) * std::cos(heading), std::sin(elevation),
                                       std::cos(elevation) * std::sin(heading));
            for (const Triangle& t : triangles) {
                if (rayHits(kLocalLightPoint, direction, t)) {
                    ++hidden;
                    break;
                }
            }
        }
    }
    return static_cast<double>(hidden) / (kLatitudes * kLongitudes);
}

TEST(GeneratedAssets, FreshRunReproducesTheCommittedFilesByteForByte) {
    TempDir output;
    const ProcessResult run = runGenerator({output.path});
    ASSERT_EQ(run.status, 0) << run.output;

    const auto committed = filesUnder(kCommittedModels);
    const auto generated = filesUnder(output.path);
    ASSERT_FALSE(committed.empty()) << "nothing committed under " << kCommittedModels;
    for (const auto& [name, bytes] : committed) {
        const auto fresh = generated.find(name);
        ASSERT_NE(fresh, generated.end()) << name << " is committed but no longer generated";
        EXPECT_TRUE(fresh->second == bytes) << name << " differs from a fresh run; regenerate the models";
    }
    for (const auto& entry : generated) {
        EXPECT_EQ(committed.count(entry.first), 1u) << entry.first << " is generated but not committed";
    }
}

TEST(GeneratedAssets, UnwritableOutputFolderFailsWithUsageInsteadOfCrashing) {
    TempDir scratch;
    scratch.write("occupied", "a file where the folder should go");
    const ProcessResult unwritable = runGenerator({scratch.file("occupied") + "/models"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.output.find("usage: generate_assets"), std::string::npos) << unwritable.output;
    EXPECT_EQ(runGenerator({"one", "two"}).status, 2);
}

TEST(GeneratedAssets, EveryModelImportsWithNormalsUvsAndUsableTangentsWithinItsBudget) {
    for (const auto& [model, budget] : kTriangleBudgets) {
        SCOPED_TRACE(model);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile((kCommittedModels / (model + ".obj")).string(), kViewerImportFlags);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_NE(scene->mRootNode, nullptr);
        EXPECT_NE(scene->mFlags, static_cast<unsigned>(AI_SCENE_FLAGS_INCOMPLETE));
        ASSERT_GT(scene->mNumMeshes, 0u);
        size_t triangles = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            ASSERT_TRUE(mesh->HasNormals());
            ASSERT_TRUE(mesh->HasTextureCoords(0));
            ASSERT_TRUE(mesh->HasTangentsAndBitangents());
            triangles += mesh->mNumFaces;
            // Degenerate texture coordinates leave tangents that are not unit
            // vectors, and the normal maps then shade garbage.
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const aiVector3D& t = mesh->mTangents[v];
                ASSERT_TRUE(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z));
                ASSERT_NEAR(t.Length(), 1.0f, kUnitLengthTolerance) << "mesh " << m << " vertex " << v;
            }
        }
        EXPECT_LE(triangles, budget);
    }
}

TEST(GeneratedAssets, EveryMaterialBindsOneDiffuseSpecularAndNormalImageThatDecodes) {
    for (const auto& entry : kTriangleBudgets) {
        const std::string& model = entry.first;
        SCOPED_TRACE(model);
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile((kCommittedModels / (model + ".obj")).string(), kViewerImportFlags);
        ASSERT_NE(scene, nullptr);
        // The viewer's per-model cache keeps an image's first sampler name,
        // so one image must never serve two kinds of slot in one model.
        std::map<std::string, aiTextureType> slotOfImage;
        for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
            const aiMaterial* material = scene->mMaterials[m];
            if (material->GetTextureCount(aiTextureType_DIFFUSE) == 0) continue;  // the importer's unused default
            // A fourth image would land on unit 3, the shadow cube map's.
            EXPECT_EQ(material->GetTextureCount(aiTextureType_AMBIENT), 0u);
            for (aiTextureType slot : {aiTextureType_DIFFUSE, aiTextureType_SPECULAR, aiTextureType_HEIGHT}) {
                ASSERT_EQ(material->GetTextureCount(slot), 1u) << "slot " << slot;
                aiString path;
                material->GetTexture(slot, 0, &path);
                const auto [first, inserted] = slotOfImage.emplace(path.C_Str(), slot);
                EXPECT_TRUE(inserted || first->second == slot) << path.C_Str() << " serves two slots";
                int width = 0;
                int height = 0;
                stbi_uc* pixels = stbi_load((kCommittedModels / path.C_Str()).string().c_str(), &width, &height,
                                            nullptr, 3);
                ASSERT_NE(pixels, nullptr) << path.C_Str() << " does not decode";
                stbi_image_free(pixels);
                // Rows of 3-byte pixels stay 4-byte aligned, as GL's default unpacking expects.
                EXPECT_EQ(width % 4, 0) << path.C_Str();
            }
        }
    }
}

TEST(GeneratedAssets, ShadowCastersAreClosedSolidsWoundOutward) {
    for (const std::string& model : kShadowCasters) {
        SCOPED_TRACE(model);
        const std::vector<Triangle> triangles = importTriangles(model);
        ASSERT_FALSE(triangles.empty());
        // Closed and consistently wound: every directed edge appears once and
        // its reverse once, in another triangle.
        std::map<std::pair<Point, Point>, int> edges;
        double signedVolume = 0.0;
        for (const Triangle& t : triangles) {
            for (int i = 0; i < 3; ++i) ++edges[{key(t.corner[i]), key(t.corner[(i + 1) % 3])}];
            signedVolume += glm::dot(t.corner[0], glm::cross(t.corner[1], t.corner[2])) / 6.0;
        }
        int badEdges = 0;
        for (const auto& [edge, count] : edges) {
            const auto reverse = edges.find({edge.second, edge.first});
            if (count != 1 || reverse == edges.end() || reverse->second != 1) ++badEdges;
        }
        EXPECT_EQ(badEdges, 0);
        EXPECT_GT(signedVolume, 0.0) << "wound inside out";
    }
}

TEST(GeneratedAssets, FacesAreWoundTowardTheirNormalsExceptTheGlassLitFromInside) {
    for (const auto& entry : kTriangleBudgets) {
        SCOPED_TRACE(entry.first);
        int against = 0;
        for (const Triangle& t : importTriangles(entry.first)) {
            if (t.material == kGlassMaterial) {
                // Wound to face out, so it survives back-face culling, yet
                // shaded with normals toward the light, so the light inside lights it.
                if (glm::dot(t.faceNormal(), t.centroid() - kLocalLightPoint) <= 0.0) ++against;
                if (glm::dot(t.meanNormal(), kLocalLightPoint - t.centroid()) <= 0.0) ++against;
            } else if (glm::dot(t.faceNormal(), t.meanNormal()) <= 0.0) {
                ++against;
            }
        }
        EXPECT_EQ(against, 0);
    }
}

TEST(GeneratedAssets, HallwayEnclosesTheTourAndItsShellFacesInward) {
    const std::vector<Triangle> triangles = importTriangles("hallway");
    ASSERT_FALSE(triangles.empty());
    glm::dvec3 low(kFar);
    glm::dvec3 high(-kFar);
    for (const Triangle& t : triangles) {
        for (const glm::dvec3& p : t.corner) {
            low = glm::min(low, p);
            high = glm::max(high, p);
        }
    }
    EXPECT_LE(low.x, kTourStartX - kEndWallClearance);
    EXPECT_GE(high.x, kTourEndX + kEndWallClearance);
    EXPECT_LE(low.z, -(kPipeRowZ + kPipeClearance));
    EXPECT_GE(high.z, kPipeRowZ + kPipeClearance);
    EXPECT_NEAR(low.y, kFloorY, kOnSurface);
    EXPECT_GE(high.y, kPipeTopY);

    // Each side of the box must be covered by triangles facing into the box,
    // or the clear colour shows through.
    const glm::dvec3 size = high - low;
    for (int axis = 0; axis < 3; ++axis) {
        for (double side : {low[axis], high[axis]}) {
            SCOPED_TRACE("axis " + std::to_string(axis) + " at " + std::to_string(side));
            double inwardArea = 0.0;
            for (const Triangle& t : triangles) {
                const bool onSide = std::fabs(t.corner[0][axis] - side) < kOnSurface &&
                                    std::fabs(t.corner[1][axis] - side) < kOnSurface &&
                                    std::fabs(t.corner[2][axis] - side) < kOnSurface;
                if (!onSide) continue;
                const double inward = side == low[axis] ? 1.0 : -1.0;
                EXPECT_GT(t.faceNormal()[axis] * inward, 0.0);
                inwardArea += 0.5 * glm::length(t.faceNormal());
            }
            const double faceArea = size[(axis + 1) % 3] * size[(axis + 2) % 3];
            EXPECT_NEAR(inwardArea, faceArea, faceArea * kOnSurface);
        }
    }
}

TEST(GeneratedAssets, HallwaySurfacesMeetEdgeToEdgeWithoutTJunctions) {
    // A rasteriser covers a seam exactly only where both sides share its two
    // vertices: no vertex may sit inside another triangle's edge.
    const std::vector<Triangle> triangles = importTriangles("hallway");
    std::set<Point> vertices;
    for (const Triangle& t : triangles) vertices.insert({key(t.corner[0]), key(t.corner[1]), key(t.corner[2])});
    int tJunctions = 0;
    for (const Triangle& t : triangles) {
        for (int i = 0; i < 3; ++i) {
            const glm::dvec3 a = t.corner[i];
            const glm::dvec3 edge = t.corner[(i + 1) % 3] - a;
            for (const auto& [x, y, z] : vertices) {
                const glm::dvec3 p(x, y, z);
                const double along = glm::dot(p - a, edge) / glm::dot(edge, edge);
                const bool inside = std::min(along, 1.0 - along) * glm::length(edge) > kOnSurface;
                if (inside && glm::distance(a + edge * along, p) < kOnSurface) ++tJunctions;
            }
        }
    }
    EXPECT_EQ(tJunctions, 0);
}

TEST(GeneratedAssets, BlockerHidesTheLightFromSomeDirectionsButNeverAll) {
    // The shields should throw broad beams and broad shadows; the cage only
    // thin bar shadows.
    constexpr double kShieldLeast = 0.2;
    constexpr double kShieldMost = 0.8;
    constexpr double kCageMost = 0.5;
    const double shield = shareOfLightHidden(importTriangles("alarmlightBlocker"));
    EXPECT_GT(shield, kShieldLeast);
    EXPECT_LT(shield, kShieldMost);
    const double cage = shareOfLightHidden(importTriangles("alarmlightBlockerGrid"));
    EXPECT_GT(cage, 0.0);
    EXPECT_LT(cage, kCageMost);
}

TEST(GeneratedAssets, BlockerThrowsTwoOppositeShadowsWithLightBetweenThem) {
    // Level with the light, heading by heading round it: the spinning blocker
    // should sweep two shadows and two beams of light, like a beacon, rather
    // than one half-plane of shadow. The same line through the light is what
    // the camera looks along in the god-ray image, so headings left clear
    // are the moments the glowing glass shows and the rays flare.
    constexpr int kHeadings = 72;
    constexpr double kPi = 3.141592653589793;
    const std::vector<Triangle> blocker = importTriangles("alarmlightBlocker");
    ASSERT_FALSE(blocker.empty());
    std::vector<bool> hidden;
    for (int i = 0; i < kHeadings; ++i) {
        const double heading = 2.0 * kPi * i / kHeadings;
        const glm::dvec3 direction(std::cos(heading), 0.0, std::sin(heading));
        hidden.push_back(std::any_of(blocker.begin(), blocker.end(),
                                     [&](const Triangle& t) { return rayHits(kLocalLightPoint, direction, t); }));
    }
    int unlikeTheOppositeHeading = 0;
    int edges = 0;
    for (int i = 0; i < kHeadings; ++i) {
        if (hidden[i] != hidden[(i + kHeadings / 2) % kHeadings]) ++unlikeTheOppositeHeading;
        if (hidden[i] != hidden[(i + 1) % kHeadings]) ++edges;
    }
    EXPECT_EQ(unlikeTheOppositeHeading, 0);
    EXPECT_EQ(edges, 4) << "two shadows and two beams make four edges";
}

// Lowest and highest y of a model's vertices.
std::pair<double, double> heightRange(const std::string& model) {
    std::pair<double, double> range{kFar, -kFar};
    for (const Triangle& t : importTriangles(model)) {
        for (const glm::dvec3& p : t.corner) {
            range.first = std::min(range.first, p.y);
            range.second = std::max(range.second, p.y);
        }
    }
    return range;
}

TEST(GeneratedAssets, PropsStandOnTheFloorAndPipesReachTheCeiling) {
    const auto pipe = heightRange("pipe");
    EXPECT_NEAR(pipe.first, kFloorY - kPropPlacementY, kOnSurface);
    EXPECT_NEAR(pipe.second, kCeilingY - kPropPlacementY, kOnSurface);
    EXPECT_NEAR(heightRange("slime").first, kFloorY - kPropPlacementY, kOnSurface);
}

}  // namespace
