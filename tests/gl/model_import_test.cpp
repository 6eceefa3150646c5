// Model import from small fixture files (defaults, odd primitives, bad indices, texture order,
// missing files, the import cache) and from every model the game ships, checked against counts
// read from the files.
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "assets/model_import.hpp"
#include "collision/c_box.hpp"
#include "collision/coldet/collision_model_3d_impl.hpp"
#include "gl/scene_test_support.hpp"
#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

using scene::vec3;
using scene::Vertex;

class ModelImportTest : public GlTest {
  protected:
    WorkingDirectory cwd{sceneFixturesDir()};
};

class ShippedModelTest : public GlTest {
  protected:
    WorkingDirectory cwd{dataDir()};
};

void expectVec3Near(vec3 actual, vec3 expected, float tolerance, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// A box of zero size stands in when the shape is missing, so that the failure is reported once.
const scene::collision::CBox& boxOf(const scene::VisibleObject& object) {
    static const scene::collision::CBox missingBox({0, 0, 0}, {0, 0, 0});
    const auto* box = dynamic_cast<const scene::collision::CBox*>(object.collisionShape);
    EXPECT_NE(box, nullptr) << "no collision shape";
    return box == nullptr ? missingBox : *box;
}

int triangleCount(const scene::VisibleObject& object) {
    const auto* model = dynamic_cast<const COLDET::CollisionModel3DImpl*>(object.collisionModel);
    EXPECT_NE(model, nullptr);
    return model == nullptr ? -1 : model->triangleCount();
}

// The first texel of a GL texture, RGBA.
std::array<int, 4> firstTexel(GLuint texture) {
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    if (texels.empty()) {
        return {-1, -1, -1, -1};
    }
    return {texels[0], texels[1], texels[2], texels[3]};
}

TEST_F(ModelImportTest, MissingAttributesGetTheirDefaults) {
    ModelObject quad("Models/no_uv.obj");
    ASSERT_EQ(quad.meshes.size(), 1u);
    const scene::Mesh& mesh = *quad.meshes[0];
    EXPECT_EQ(mesh.indices.size(), 6u) << "one quad, triangulated";
    EXPECT_TRUE(mesh.textures.empty());
    ASSERT_FALSE(mesh.vertices.empty());
    for (const Vertex& v : mesh.vertices) {
        expectVec3Near(v.tangent, {1, 0, 0}, 0.0f, "tangent");
        expectVec3Near(v.color, {0.7f, 0.7f, 0.7f}, 0.0f, "colour");
        EXPECT_EQ(v.uv.x, 0.0f);
        EXPECT_EQ(v.uv.y, 0.0f);
        expectVec3Near(v.normal, {0, 0, 1}, 1e-5f, "generated normal");
    }
    const auto& box = boxOf(quad);
    expectVec3Near(box.corners[0].xyz(), {-1, -1, 0}, 0.0f, "min corner");
    expectVec3Near(box.corners[7].xyz(), {1, 1, 0}, 0.0f, "max corner");
    EXPECT_EQ(triangleCount(quad), 2);
}

TEST_F(ModelImportTest, VertexColoursAndFlippedTextureCoordinatesAreRead) {
    ModelObject triangle("Models/vertex_colors.obj");
    ASSERT_EQ(triangle.meshes.size(), 1u);
    const auto& vertices = triangle.meshes[0]->vertices;
    ASSERT_EQ(vertices.size(), 3u);
    const vec3 colours[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const float flippedV[3] = {1, 1, 0};
    for (std::size_t i = 0; i < 3; ++i) {
        expectVec3Near(vertices[i].color, colours[i], 0.0f, "colour " + std::to_string(i));
        EXPECT_NEAR(vertices[i].uv.y, flippedV[i], 1e-6f) << i;
    }
}

TEST_F(ModelImportTest, PointsAndLinesGiveZeroNormalsAndNoTriangles) {
    ModelObject wires("Models/points_lines.obj");
    ASSERT_FALSE(wires.meshes.empty());
    for (const scene::Mesh* mesh : wires.meshes) {
        EXPECT_TRUE(mesh->indices.empty()) << "points and lines are not triangles";
        for (const Vertex& v : mesh->vertices) {
            expectVec3Near(v.normal, {0, 0, 0}, 0.0f, "normal");
        }
    }
    // No triangle: still a collision model and an empty box at the origin.
    EXPECT_EQ(triangleCount(wires), 0);
    const auto& box = boxOf(wires);
    for (const auto& corner : box.corners) {
        expectVec3Near(corner.xyz(), {0, 0, 0}, 0.0f, "empty box");
    }
}

TEST_F(ModelImportTest, ALineBeforeATriangleDoesNotShiftTheTriangle) {
    ModelObject mixed("Models/mixed_faces.obj");
    ASSERT_EQ(mixed.meshes.size(), 1u);
    const scene::Mesh& mesh = *mixed.meshes[0];
    ASSERT_EQ(mesh.indices.size(), 3u);
    const vec3 expected[3] = {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}};
    for (int k = 0; k < 3; ++k) {
        expectVec3Near(mesh.vertices[mesh.indices[k]].position, expected[k], 0.0f, "corner");
    }
    for (const Vertex& v : mesh.vertices) {
        EXPECT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) &&
                    std::isfinite(v.normal.z));
    }
    const auto& box = boxOf(mixed);
    expectVec3Near(box.corners[0].xyz(), {1, 1, 1}, 0.0f, "min: the line's end is not a triangle");
    expectVec3Near(box.corners[7].xyz(), {2, 2, 1}, 0.0f, "max");
}

TEST_F(ModelImportTest, AFileWithOutOfRangeIndicesIsRefusedLikeAnUnreadableOne) {
    testing::internal::CaptureStdout();
    ModelObject broken("Models/bad_index.ply");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "The file wasn't successfully opened Models/bad_index.ply\n");
    EXPECT_TRUE(broken.meshes.empty());
    EXPECT_EQ(broken.collisionModel, nullptr);
    EXPECT_EQ(broken.collisionShape, nullptr);
}

TEST_F(ModelImportTest, TwoMeshesKeepWalkOrderInMeshesAndCollisionTriangles) {
    ModelObject pair("Models/two_meshes.obj");
    ASSERT_EQ(pair.meshes.size(), 2u);
    EXPECT_EQ(pair.meshes[0]->vertices[0].position.z, 0.0f);
    EXPECT_EQ(pair.meshes[1]->vertices[0].position.z, 5.0f);

    const auto* model = dynamic_cast<const COLDET::CollisionModel3DImpl*>(pair.collisionModel);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->triangleCount(), 2);
    for (const COLDET::LeafTriangle& t : model->tree().triangles()) {
        EXPECT_EQ(t.corners[0].z, t.index == 0 ? 0.0f : 5.0f) << "triangle " << t.index;
    }
    const auto& box = boxOf(pair);
    expectVec3Near(box.corners[0].xyz(), {0, 0, 0}, 0.0f, "min");
    expectVec3Near(box.corners[7].xyz(), {2, 3, 5}, 0.0f, "max");
}

TEST_F(ModelImportTest, TwoDiffuseTexturesArriveInMaterialOrder) {
    testing::internal::CaptureStdout();
    ModelObject textured("Models/two_textures.x");
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_EQ(textured.meshes.size(), 1u) << output;
    const auto& textures = textured.meshes[0]->textures;
    ASSERT_EQ(textures.size(), 2u) << output;
    EXPECT_LT(output.find("green.png"), output.find("blue.png")) << output;
    for (const scene::Texture& t : textures) {
        EXPECT_NE(t.id, 0xFFFFFFFFu);
        EXPECT_EQ(t.type, 0u);
    }
    const auto first = firstTexel(textures[0].id);
    const auto second = firstTexel(textures[1].id);
    EXPECT_EQ(first[1], 255) << "green first";
    EXPECT_EQ(second[2], 255) << "blue second";
    EXPECT_EQ(first[2], 0);
    EXPECT_EQ(second[1], 0);
}

TEST_F(ModelImportTest, AMissingFileIsReportedWithItsPathAndLeavesNothing) {
    testing::internal::CaptureStdout();
    ModelObject missing("Models/no such model.obj");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "The file wasn't successfully opened Models/no such model.obj\n");
    EXPECT_TRUE(missing.meshes.empty());
    EXPECT_EQ(missing.collisionModel, nullptr);
    EXPECT_EQ(missing.collisionShape, nullptr);
}

// Inside a cache scope a file is read once, yet each object still owns everything it releases
// and each load says what it said the first time, failures included.
TEST_F(ModelImportTest, ACachedModelStillGivesEachObjectItsOwnCopyAndEveryMessage) {
    const scene::ModelImportCache cache;
    std::string output[2];
    std::unique_ptr<ModelObject> loaded[2];
    for (int k = 0; k < 2; ++k) {
        testing::internal::CaptureStdout();
        loaded[k] = std::make_unique<ModelObject>("Models/two_textures.x");
        ModelObject missing("Models/no such model.obj");
        output[k] = testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(output[1], output[0]);
    EXPECT_NE(output[0].find("blue.png"), std::string::npos) << output[0];
    EXPECT_NE(output[0].find("Models/no such model.obj"), std::string::npos) << output[0];

    const ModelObject& first = *loaded[0];
    const ModelObject& second = *loaded[1];
    ASSERT_EQ(first.meshes.size(), 1u);
    ASSERT_EQ(second.meshes.size(), 1u);
    const scene::Mesh& a = *first.meshes[0];
    const scene::Mesh& b = *second.meshes[0];
    EXPECT_EQ(a.indices, b.indices);
    ASSERT_EQ(a.vertices.size(), b.vertices.size());
    for (std::size_t i = 0; i < a.vertices.size(); ++i) {
        expectVec3Near(b.vertices[i].position, a.vertices[i].position, 0.0f, "position");
    }
    EXPECT_NE(a.vertexArray, b.vertexArray);
    EXPECT_NE(a.vertexBuffer, b.vertexBuffer);
    ASSERT_EQ(a.textures.size(), 2u);
    ASSERT_EQ(b.textures.size(), 2u);
    EXPECT_NE(a.textures[0].id, b.textures[0].id);
    EXPECT_EQ(firstTexel(b.textures[1].id), firstTexel(a.textures[1].id));
    EXPECT_NE(first.collisionModel, second.collisionModel);
    EXPECT_EQ(triangleCount(second), triangleCount(first));
}

// The same relative name means another file from another folder, and a file changed after the
// scope has ended is read afresh.
TEST_F(ModelImportTest, TheCacheKnowsFilesByWhereTheyAreAndOnlyWhileItLives) {
    {
        const scene::ModelImportCache cache;
        EXPECT_EQ(boxOf(ModelObject("Models/customskybox.obj")).corners[7].x, 1.0f);
        const WorkingDirectory data(dataDir());
        EXPECT_EQ(boxOf(ModelObject("Models/customskybox.obj")).corners[7].x, 2.0f)
            << "the shipped sky box, not the fixture's";
    }
    char folder[] = "/tmp/vantor-import-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/model.obj";
    const auto writeTriangles = [&path](int count) {
        std::ofstream file(path);
        for (int t = 0; t < count; ++t) {
            file << "v 0 0 " << t << "\nv 1 0 " << t << "\nv 0 1 " << t << "\nf -3 -2 -1\n";
        }
    };
    {
        const scene::ModelImportCache cache;
        writeTriangles(1);
        EXPECT_EQ(triangleCount(ModelObject(path.c_str())), 1);
    }
    writeTriangles(2);
    {
        const scene::ModelImportCache cache;
        EXPECT_EQ(triangleCount(ModelObject(path.c_str())), 2);
    }
    std::remove(path.c_str());
    rmdir(folder);
}

// Triangle count and bounds of an OBJ file, read straight from its text.
struct ObjFacts {
    int triangles = 0;
    vec3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
             std::numeric_limits<float>::max()};
    vec3 max{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
             -std::numeric_limits<float>::max()};
    bool namesTexture = false;
};

ObjFacts readObjFacts(const std::string& path) {
    ObjFacts facts;
    std::vector<vec3> positions;
    std::ifstream file(path);
    EXPECT_TRUE(file.good()) << path;
    std::string line;
    std::vector<std::string> faces;
    std::string materialLibrary;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string tag;
        in >> tag;
        if (tag == "v") {
            vec3 p;
            in >> p.x >> p.y >> p.z;
            positions.push_back(p);
        } else if (tag == "f") {
            faces.push_back(line.substr(1));
        } else if (tag == "mtllib") {
            std::getline(in >> std::ws, materialLibrary);
        }
    }
    for (const std::string& face : faces) {
        std::istringstream in(face);
        std::string corner;
        int corners = 0;
        while (in >> corner) {
            long index = std::stol(corner);
            index = index > 0 ? index - 1 : static_cast<long>(positions.size()) + index;
            const vec3 p = positions.at(static_cast<std::size_t>(index));
            facts.min = {std::min(facts.min.x, p.x), std::min(facts.min.y, p.y),
                         std::min(facts.min.z, p.z)};
            facts.max = {std::max(facts.max.x, p.x), std::max(facts.max.y, p.y),
                         std::max(facts.max.z, p.z)};
            ++corners;
        }
        facts.triangles += corners - 2;
    }
    if (!materialLibrary.empty()) {
        const std::string folder = path.substr(0, path.find_last_of('/') + 1);
        std::ifstream materials(folder + materialLibrary);
        while (std::getline(materials, line)) {
            facts.namesTexture = facts.namesTexture || line.find("map_Kd") != std::string::npos;
        }
    }
    return facts;
}

struct ShippedModel {
    const char* path;
    int minTriangles;
    int maxTriangles;
};

const ShippedModel shippedModels[] = {
    {"Models/Mark 5.obj", 2000, 6000}, {"Models/cloudPlatform.obj", 2000, 4000},
    {"Models/flag.obj", 10, 6000},     {"Models/customskybox.obj", 12, 20000},
    {"Models/plane.obj", 2, 2},        {"Models/bigGlow.obj", 2, 2},
    {"Models/smallGlow.obj", 2, 2},    {"Models/hexaGlow.obj", 2, 2},
    {"Models/shinyGlow.obj", 2, 2},
};

void PrintTo(const ShippedModel& model, std::ostream* out) {
    *out << model.path;
}

class EveryShippedModel : public ShippedModelTest,
                          public testing::WithParamInterface<ShippedModel> {};

TEST_P(EveryShippedModel, LoadsWithTheTrianglesAndBoundsOfItsFile) {
    const ShippedModel& shipped = GetParam();
    testing::internal::CaptureStdout();
    ModelObject object(shipped.path);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.find("wasn't successfully opened"), std::string::npos) << output;
    EXPECT_EQ(output.find("not successfully opened"), std::string::npos) << output;
    ASSERT_FALSE(object.meshes.empty());

    const ObjFacts facts = readObjFacts(shipped.path);
    std::size_t indexCount = 0;
    std::size_t textureCount = 0;
    for (const scene::Mesh* mesh : object.meshes) {
        indexCount += mesh->indices.size();
        textureCount += mesh->textures.size();
        for (std::uint32_t index : mesh->indices) {
            ASSERT_LT(index, mesh->vertices.size());
        }
    }
    EXPECT_EQ(indexCount, 3u * facts.triangles);
    EXPECT_EQ(triangleCount(object), facts.triangles);
    EXPECT_GE(facts.triangles, shipped.minTriangles);
    EXPECT_LE(facts.triangles, shipped.maxTriangles);
    EXPECT_EQ(textureCount > 0, facts.namesTexture);

    const auto& box = boxOf(object);
    expectVec3Near(box.corners[0].xyz(), facts.min, 1e-5f, "min corner");
    expectVec3Near(box.corners[7].xyz(), facts.max, 1e-5f, "max corner");
}

std::string modelTestName(const testing::TestParamInfo<ShippedModel>& info) {
    std::string name;
    for (const char* c = info.param.path + sizeof("Models/") - 1; *c != '.'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) {
            name += *c;
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Data, EveryShippedModel, testing::ValuesIn(shippedModels), modelTestName);

TEST_F(ShippedModelTest, TheFiguresFitTheLevel) {
    testing::internal::CaptureStdout();
    ModelObject figure("Models/Mark 5.obj");
    ModelObject cloud("Models/cloudPlatform.obj");
    ModelObject plane("Models/plane.obj");
    testing::internal::GetCapturedStdout();

    const vec3 figureSize = boxOf(figure).corners[7].xyz() - boxOf(figure).corners[0].xyz();
    EXPECT_GT(figureSize.y, 1.5f) << "about two units tall";
    EXPECT_LT(figureSize.y, 2.5f);
    EXPECT_LT(figureSize.x, figureSize.y);

    const vec3 cloudSize = boxOf(cloud).corners[7].xyz() - boxOf(cloud).corners[0].xyz();
    EXPECT_NEAR(cloudSize.x, 2.0f, 0.5f);
    EXPECT_NEAR(cloudSize.y, 0.6f, 0.3f);
    EXPECT_NEAR(cloudSize.z, 2.0f, 0.5f);

    // Full-screen passes draw the quad without matrices: it must span clip space in x and y.
    expectVec3Near(boxOf(plane).corners[0].xyz(), {-1, -1, 0}, 1e-6f, "plane min");
    expectVec3Near(boxOf(plane).corners[7].xyz(), {1, 1, 0}, 1e-6f, "plane max");
}

}  // namespace
}  // namespace vantor::test
