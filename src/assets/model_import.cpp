// Reads a model file into a VisibleObject: one Mesh per mesh reference in node-walk order, the
// diffuse textures of each material, then the collision model and bounding box from the same
// triangles. Reading yields plain arrays first (no GL objects, no output), which a
// ModelImportCache may keep for the next object made from the same file.
#include "assets/model_import.hpp"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/DefaultLogger.hpp>
#include <assimp/Importer.hpp>
#include <assimp/LogStream.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "assets/texture_loader.hpp"
#include "collision/c_box.hpp"
#include "collision/coldet/collision_model_3d_impl.hpp"
#include "scene/visible_object.hpp"

static_assert(vantor::modelImportFlags == (aiProcess_CalcTangentSpace | aiProcess_Triangulate |
                                           aiProcess_GenSmoothNormals | aiProcess_FlipUVs),
              "import flags drifted from the library's post-processing steps");

namespace vantor::scene {

namespace {

const vec3 defaultTangent{1.0f, 0.0f, 0.0f};
const vec3 defaultColor{0.7f, 0.7f, 0.7f};
constexpr unsigned int triangleIndexCount = 3;

vec3 toVec3(const aiVector3D& v) {
    return vec3{v.x, v.y, v.z};
}

// Normal generation marks the vertices of point and line faces with NaN; they have no normal.
vec3 importNormal(const aiMesh& mesh, unsigned int i) {
    if (!mesh.HasNormals()) {
        return vec3{0.0f, 0.0f, 0.0f};
    }
    const aiVector3D& n = mesh.mNormals[i];
    if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) {
        return vec3{0.0f, 0.0f, 0.0f};
    }
    return toVec3(n);
}

Vertex importVertex(const aiMesh& mesh, unsigned int i) {
    Vertex vertex{};
    vertex.position = toVec3(mesh.mVertices[i]);
    vertex.normal = importNormal(mesh, i);
    vertex.tangent = mesh.HasTangentsAndBitangents() ? toVec3(mesh.mTangents[i]) : defaultTangent;
    if (mesh.HasVertexColors(0)) {
        const aiColor4D& c = mesh.mColors[0][i];
        vertex.color = vec3{c.r, c.g, c.b};
    } else {
        vertex.color = defaultColor;
    }
    if (mesh.HasTextureCoords(0)) {
        vertex.uv = vec2{mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y};
    } else {
        vertex.uv = vec2{0.0f, 0.0f};
    }
    return vertex;
}

// Only triangle faces are kept: every consumer reads the index array in threes, so a point or
// line face would shift all later triangles.
std::vector<std::uint32_t> importTriangles(const aiMesh& mesh) {
    std::vector<std::uint32_t> indices;
    indices.reserve(static_cast<std::size_t>(mesh.mNumFaces) * triangleIndexCount);
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == triangleIndexCount) {
            indices.insert(indices.end(), face.mIndices, face.mIndices + triangleIndexCount);
        }
    }
    return indices;
}

// Some readers pass face indices through unchecked; the post-processing steps would then read and
// write past the vertex arrays, so such a file is refused before they run.
bool indicesInRange(const aiScene& scene) {
    for (unsigned int m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh* mesh = scene.mMeshes[m];
        if (mesh == nullptr) {
            continue;
        }
        for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            for (unsigned int k = 0; k < face.mNumIndices; ++k) {
                if (face.mIndices[k] >= mesh->mNumVertices) {
                    return false;
                }
            }
        }
    }
    return true;
}

// One mesh reference as read, before any GL object exists.
struct ImportedMesh {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<std::string> diffuseTextures;  // names under "Models/", in the material's order
};

std::vector<std::string> diffuseTextureNames(const aiMaterial* material) {
    std::vector<std::string> names;
    if (material == nullptr) {
        return names;
    }
    for (unsigned int t = 0; t < aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE); ++t) {
        aiString name;
        aiGetMaterialTexture(material, aiTextureType_DIFFUSE, t, &name, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr);
        names.emplace_back(name.C_Str());
    }
    return names;
}

ImportedMesh processMesh(const aiMesh& mesh, const aiScene& scene) {
    const aiMaterial* material =
        mesh.mMaterialIndex < scene.mNumMaterials ? scene.mMaterials[mesh.mMaterialIndex] : nullptr;

    ImportedMesh imported;
    imported.vertices.reserve(mesh.mNumVertices);
    for (unsigned int i = 0; i < mesh.mNumVertices; ++i) {
        imported.vertices.push_back(importVertex(mesh, i));
    }
    imported.indices = importTriangles(mesh);
    imported.diffuseTextures = diffuseTextureNames(material);
    return imported;
}

void processNode(const aiNode& node, const aiScene& scene, std::vector<ImportedMesh>& meshes) {
    for (unsigned int m = 0; m < node.mNumMeshes; ++m) {
        const unsigned int meshIndex = node.mMeshes[m];
        if (meshIndex < scene.mNumMeshes && scene.mMeshes[meshIndex] != nullptr) {
            meshes.push_back(processMesh(*scene.mMeshes[meshIndex], scene));
        }
    }
    for (unsigned int c = 0; c < node.mNumChildren; ++c) {
        processNode(*node.mChildren[c], scene, meshes);
    }
}

// Running bounds in double so that many small coordinates do not drift; narrowed once at the end.
struct Bounds {
    double min[3] = {0.0, 0.0, 0.0};
    double max[3] = {0.0, 0.0, 0.0};
    bool hasPoint = false;

    void add(const vec3& p) {
        const double c[3] = {p.x, p.y, p.z};
        if (!hasPoint) {
            for (int a = 0; a < 3; ++a) {
                min[a] = max[a] = c[a];
            }
            hasPoint = true;
        }
        for (int a = 0; a < 3; ++a) {
            if (min[a] > c[a]) {
                min[a] = c[a];
            }
            if (c[a] > max[a]) {
                max[a] = c[a];
            }
        }
    }
};

// The import library's warnings and errors during one read (a material library it could not find
// or parse, say), kept so that they can be printed with the path of the model they concern.
class ImportLog : public Assimp::LogStream {
  public:
    static constexpr unsigned int severities = Assimp::Logger::Warn | Assimp::Logger::Err;

    ImportLog() {
        Assimp::DefaultLogger::create("", Assimp::Logger::NORMAL, 0);
        Assimp::DefaultLogger::get()->attachStream(this, severities);
    }
    ~ImportLog() override {
        // Detached first: the logger would otherwise delete this stream when it is killed.
        Assimp::DefaultLogger::get()->detachStream(this, severities);
        Assimp::DefaultLogger::kill();
    }
    ImportLog(const ImportLog&) = delete;
    ImportLog& operator=(const ImportLog&) = delete;

    // Lines arrive as "Error, T0: text\n"; only the text is kept.
    void write(const char* message) override {
        std::string line(message);
        const std::size_t text = line.find(": ");
        line.erase(0, text == std::string::npos ? 0 : text + 2);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        lines.push_back(line);
    }

    std::vector<std::string> lines;
};

// A text model cut short (a half-copied download) usually stops in the middle of a line, and the
// reader takes what is there without complaint; a last line without its line end betrays it.
bool endsMidLine(const char* path) {
    const std::string name(path);
    const std::string textExtension = ".obj";
    if (name.size() < textExtension.size() ||
        name.compare(name.size() - textExtension.size(), textExtension.size(), textExtension) !=
            0) {
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    const bool cut = std::fseek(file, -1, SEEK_END) == 0 && std::fgetc(file) != '\n';
    std::fclose(file);
    return cut;
}

// Everything one read of a model file yields; an unreadable file yields readable = false.
struct ImportedModel {
    bool readable = false;
    std::vector<ImportedMesh> meshes;
    std::vector<std::string> doubts;  // what the reader let through, without the path
    bool lastLineUnended = false;
};

ImportedModel importModel(const char* path) {
    ImportedModel model;
    Assimp::Importer importer;
    // Read first and post-process after the index check; the steps are those of the flag word.
    // Only the reading is logged: what post-processing says is about our flags, not the file.
    const aiScene* scene = nullptr;
    {
        ImportLog log;
        scene = importer.ReadFile(path, 0);
        model.doubts = std::move(log.lines);
    }
    if (scene != nullptr && indicesInRange(*scene)) {
        scene = importer.ApplyPostProcessing(modelImportFlags);
    } else {
        scene = nullptr;
    }
    // Only a scene flagged incomplete and nothing else is refused; other flag bits alongside it
    // still describe usable geometry.
    if (scene == nullptr || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE ||
        scene->mRootNode == nullptr) {
        return model;
    }
    model.readable = true;
    processNode(*scene->mRootNode, *scene, model.meshes);
    model.lastLineUnended = endsMidLine(path);
    return model;
}

std::size_t triangleTotal(const ImportedModel& model) {
    std::size_t indices = 0;
    for (const ImportedMesh& mesh : model.meshes) {
        indices += mesh.indices.size();
    }
    return indices / triangleIndexCount;
}

// What the import let through without failing, each line naming the model.
void reportDoubts(const char* path, const ImportedModel& model) {
    for (const std::string& line : model.doubts) {
        std::cout << path << ": " << line << std::endl;
    }
    if (model.lastLineUnended) {
        std::cout << path << ": the last line has no line end; the file may be cut short"
                  << std::endl;
    }
    if (triangleTotal(model) == 0) {
        std::cout << path << ": the model has no triangles; it is not drawn" << std::endl;
    }
}

}  // namespace

// The models read while a ModelImportCache lives, by the file's canonical path: a relative path
// names different files from different working folders.
struct ModelImportCache::Models {
    std::map<std::string, ImportedModel> byPath;
};

namespace {

ModelImportCache::Models* activeCache = nullptr;

const ImportedModel& cachedImport(const char* path, ImportedModel& uncached) {
    std::error_code error;
    const std::filesystem::path file =
        activeCache == nullptr ? std::filesystem::path() : std::filesystem::canonical(path, error);
    if (file.empty() || error) {
        uncached = importModel(path);
        return uncached;
    }
    std::map<std::string, ImportedModel>& models = activeCache->byPath;
    const auto known = models.find(file.string());
    if (known != models.end()) {
        return known->second;
    }
    return models.emplace(file.string(), importModel(path)).first->second;
}

}  // namespace

ModelImportCache::ModelImportCache() : models(std::make_unique<Models>()), outer(activeCache) {
    activeCache = models.get();
}

ModelImportCache::~ModelImportCache() {
    activeCache = outer;
}

void VisibleObject::loadModel(const char* path) {
    ImportedModel uncached;
    const ImportedModel& model = cachedImport(path, uncached);
    if (!model.readable) {
        std::cout << modelOpenFailedMessage << path << std::endl;
        return;
    }
    // Every object gets its own buffers and textures, so that each can be released with it.
    for (const ImportedMesh& mesh : model.meshes) {
        std::vector<Texture> textures;
        for (const std::string& name : mesh.diffuseTextures) {
            textures.push_back(Texture{loadTexture(name), 0});
        }
        meshes.push_back(new Mesh(mesh.vertices, mesh.indices, &textures));
    }
    reportDoubts(path, model);
    buildCollision();
}

void VisibleObject::buildCollision() {
    collisionModel = new COLDET::CollisionModel3DImpl();
    Bounds bounds;
    for (const Mesh* mesh : meshes) {
        for (std::size_t t = 0; t + 2 < mesh->indices.size(); t += 3) {
            float corners[3][3];
            for (int k = 0; k < 3; ++k) {
                const vec3& p = mesh->vertices[mesh->indices[t + k]].position;
                bounds.add(p);
                corners[k][0] = p.x;
                corners[k][1] = p.y;
                corners[k][2] = p.z;
            }
            collisionModel->addTriangle(corners[0], corners[1], corners[2]);
        }
    }
    // A model without triangles gets an empty box at the origin.
    const vec3 low{static_cast<float>(bounds.min[0]), static_cast<float>(bounds.min[1]),
                   static_cast<float>(bounds.min[2])};
    const vec3 high{static_cast<float>(bounds.max[0]), static_cast<float>(bounds.max[1]),
                    static_cast<float>(bounds.max[2])};
    collisionShape = new collision::CBox(low, high);
    collisionModel->finalize();
}

}  // namespace vantor::scene
