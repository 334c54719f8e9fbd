// Conversion of imported meshes without a GL context: OBJ fixtures read
// through the import library as the model reads them, plus hand-built scenes
// for the malformed input a file cannot express.
#include "loading/kept_memory.h"
#include "loading/work/assimp_import.h"
#include "loading/work/mesh_conversion.h"
#include "support/temp_dir.h"

#include <assimp/Importer.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct ImportedObj {
    ImportedObj(const TempDir& dir, const std::string& obj, const std::string& mtl = "")
    {
        dir.write("model.obj", obj);
        dir.write("model.mtl", mtl);
        configureImporter(importer);
        scene = importer.ReadFile(dir.file("model.obj"), kImportFlags);
    }
    const aiMesh& mesh(unsigned int index) const { return *scene->mMeshes[index]; }

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
};

// A mesh without texture coordinates gets zero ones; a mesh without normals
// gets them made from its faces, so it is lit rather than drawn flat.
TEST(MeshConversion, MissingTextureCoordinatesBecomeZeroAndMissingNormalsAreGenerated)
{
    TempDir dir;
    ImportedObj noUv(dir, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    ASSERT_FALSE(importFailed(noUv.scene));
    for (const Vertex& vertex : convertVertices(noUv.mesh(0))) {
        EXPECT_EQ(vertex.uv, glm::vec2(0.0f));
        EXPECT_EQ(vertex.normal, glm::vec3(0.0f, 0.0f, 1.0f));
    }

    ImportedObj noNormals(dir,
                          "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n");
    ASSERT_FALSE(importFailed(noNormals.scene));
    const std::vector<Vertex> vertices = convertVertices(noNormals.mesh(0));
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[1].position, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(vertices[1].uv, glm::vec2(1.0f, 1.0f));  // v flipped by the import
    for (const Vertex& vertex : vertices) {
        // Counter-clockwise seen from +z.
        EXPECT_NEAR(glm::distance(vertex.normal, glm::vec3(0.0f, 0.0f, 1.0f)), 0.0f, 1e-6f);
        EXPECT_GT(glm::length(vertex.tangent), 0.5f);
    }

    // Normals on some faces only: the others get their own face's.
    ImportedObj partly(dir, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvn 0 0 1\nf 1//1 2//1 3//1\nf 1 3 4\n");
    ASSERT_FALSE(importFailed(partly.scene));
    const ConvertedMesh both = convertSceneMesh(partly.mesh(0), *partly.scene);
    EXPECT_EQ(both.vertices[0].normal, glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(both.vertices[3].normal, glm::vec3(1.0f, 0.0f, 0.0f));
}

TEST(MeshConversion, PointsAndLinesAreLeftOutOfTheIndexList)
{
    TempDir dir;
    ImportedObj obj(dir,
                    "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                    "f 1 2 3\n"
                    "p 4\n"
                    "l 1 4\n"
                    "f 1 2 4 3\n");
    ASSERT_FALSE(importFailed(obj.scene));
    const aiMesh& mesh = obj.mesh(0);

    const std::vector<unsigned int> indices = convertTriangleIndices(mesh);

    // One triangle plus the quad's two; the point and the line add nothing.
    ASSERT_EQ(indices.size(), 9u);
    for (unsigned int index : indices) {
        EXPECT_LT(index, mesh.mNumVertices);
    }
}

TEST(MeshConversion, TexturesAreRequestedInSlotOrderWhateverTheMaterialOrder)
{
    TempDir dir;
    ImportedObj obj(dir,
                    "mtllib model.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl all\nf 1 2 3\n",
                    "newmtl all\n"
                    "map_Ka ambient.png\nmap_Bump bump.png\nmap_Ks shine.png\nmap_Kd colour.png\n");
    ASSERT_FALSE(importFailed(obj.scene));

    const ConvertedMesh converted = convertSceneMesh(obj.mesh(0), *obj.scene);

    ASSERT_EQ(converted.textures.size(), 4u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"colour.png", "material.diffuse"},
        {"shine.png", "material.specular"},
        {"bump.png", "material.normal"},
        {"ambient.png", "material.height"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(converted.textures[i].materialPath, expected[i].first);
        EXPECT_EQ(converted.textures[i].samplerUniform, expected[i].second);
    }
}

// Shapes a file cannot express but a damaged one might: a face naming a
// vertex that does not exist, and a material slot that is empty or absent.
TEST(MeshConversion, MalformedMeshKeepsOnlyWhatItCanUse)
{
    aiScene scene;
    scene.mNumMeshes = 1;
    scene.mMeshes = new aiMesh*[1]{new aiMesh};
    aiMesh& mesh = *scene.mMeshes[0];
    mesh.mNumVertices = 3;
    mesh.mVertices = new aiVector3D[3];
    mesh.mNumFaces = 2;
    mesh.mFaces = new aiFace[2];
    mesh.mFaces[0].mNumIndices = 3;
    mesh.mFaces[0].mIndices = new unsigned int[3]{0, 1, 2};
    mesh.mFaces[1].mNumIndices = 3;
    mesh.mFaces[1].mIndices = new unsigned int[3]{0, 1, 3};
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial*[1]{nullptr};

    for (unsigned int materialIndex : {0u, 5u}) {
        mesh.mMaterialIndex = materialIndex;
        const ConvertedMesh converted = convertSceneMesh(mesh, scene);
        EXPECT_EQ(converted.vertices.size(), 3u);
        EXPECT_EQ(converted.indices, (std::vector<unsigned int>{0, 1, 2}));
        // Without a material: default colours and a flat normal, never a file.
        ASSERT_EQ(converted.textures.size(), 3u) << materialIndex;
        for (const TextureRequest& texture : converted.textures) {
            EXPECT_TRUE(texture.solidColour.has_value()) << materialIndex;
        }
    }
}

// A damaged tree may name meshes the scene lacks: the walk skips them and
// meets every other reference, each node before its children.
TEST(MeshConversion, NodeWalkMeetsEveryReferenceNodeFirstAndSkipsMissingMeshes)
{
    aiScene scene;
    scene.mNumMeshes = 3;
    scene.mMeshes = new aiMesh*[3]{new aiMesh, new aiMesh, nullptr};
    scene.mRootNode = new aiNode;
    scene.mRootNode->mNumMeshes = 2;
    scene.mRootNode->mMeshes = new unsigned int[2]{9, 1};
    aiNode* child = new aiNode;
    child->mNumMeshes = 3;
    child->mMeshes = new unsigned int[3]{2, 0, 1};
    scene.mRootNode->addChildren(1, &child);

    const std::vector<const aiMesh*> met = nodeMeshes(scene.mRootNode, scene);
    const aiMesh* zero = scene.mMeshes[0];
    const aiMesh* one = scene.mMeshes[1];
    EXPECT_EQ(met, (std::vector<const aiMesh*>{one, zero, one}));
}

TEST(SceneImport, OnlyNullRootlessOrExactlyIncompleteScenesFail)
{
    EXPECT_TRUE(importFailed(nullptr));

    aiScene scene;
    scene.mRootNode = new aiNode;
    EXPECT_FALSE(importFailed(&scene));
    scene.mFlags = AI_SCENE_FLAGS_INCOMPLETE;
    EXPECT_TRUE(importFailed(&scene));
    // The test is on the whole word, so an incomplete scene flagged with
    // anything else as well is used.
    scene.mFlags = AI_SCENE_FLAGS_INCOMPLETE | AI_SCENE_FLAGS_NON_VERBOSE_FORMAT;
    EXPECT_FALSE(importFailed(&scene));

    scene.mFlags = 0;
    delete scene.mRootNode;
    scene.mRootNode = nullptr;
    EXPECT_TRUE(importFailed(&scene));
}

TEST(SceneImport, DirectoryIsThePathBeforeItsLastSlashOrTheWholePath)
{
    EXPECT_EQ(modelDirectory("data/models/hallway.obj"), "data/models");
    EXPECT_EQ(modelDirectory("hallway.obj"), "hallway.obj");
    EXPECT_EQ(modelDirectory("/hallway.obj"), "");
}

// A CAD-shaped file that switches material before every face: past the
// threshold each textured material's meshes merge, and every plain one's
// become one mesh whose corners point at their material's atlas texel.
TEST(MeshConversion, ManyMeshesAreMergedPerTexturedMaterialAndPlainOnesIntoOneAtlasMesh)
{
    constexpr std::size_t kMaterials = 300;
    constexpr std::size_t kFaces = 1200;
    std::string obj = "mtllib model.mtl\n";
    std::string mtl;
    for (std::size_t m = 0; m < kMaterials; ++m) {
        mtl += "newmtl m" + std::to_string(m) + "\nKd " + std::to_string(m / 300.0) + " 0.5 0.25\n" +
               (m % 2 == 0 ? "map_Kd paint.png\n" : "");
    }
    for (std::size_t f = 0; f < kFaces; ++f) {
        const std::string x = std::to_string(f);
        obj += "v " + x + " 0 0\nv " + x + " 1 0\nv " + x + " 0 1\nusemtl m" + std::to_string(f % kMaterials) +
               "\nf -3 -2 -1\n";
    }
    TempDir dir;
    ImportedObj cad(dir, obj, mtl);
    ASSERT_GT(nodeMeshes(cad.scene->mRootNode, *cad.scene).size(), kMergeAboveMeshes);
    const std::vector<ConvertedMesh> meshes = convertSceneMeshes(*cad.scene);
    // Material 0 is textured and met first, material 1 the first plain one.
    ASSERT_EQ(meshes.size(), kMaterials / 2 + 1);
    const std::vector<Texel>& diffuse = meshes[1].textures.at(0).atlas;
    ASSERT_EQ(diffuse.size(), kMaterials / 2);
    const ColourAtlasSize atlas = colourAtlasSize(diffuse.size());
    std::size_t corners = 0;
    for (const ConvertedMesh& mesh : meshes) {
        for (const unsigned int index : mesh.indices) {
            const Vertex& corner = mesh.vertices[index];
            const auto face = static_cast<std::size_t>(corner.position.x);
            const auto texel = static_cast<std::size_t>(corner.uv.y * static_cast<float>(atlas.height)) * kColourAtlasWidth +
                               static_cast<std::size_t>(corner.uv.x * static_cast<float>(atlas.width));
            EXPECT_TRUE(&mesh == &meshes[1] ? diffuse.at(texel)[0] == std::lround(face % kMaterials / 300.0 * 255)
                                            : face % 2 == 0);
        }
        corners += mesh.indices.size();
        EXPECT_GE(keptMeshCost(mesh), kKeptMeshRecordBytes + mesh.textures.size() * kKeptTextureRecordBytes);
    }
    EXPECT_EQ(corners, 3 * kFaces);
}

}  // namespace
