// Drawing with whatever program the caller made current, and the per-frame collision hand-over.
// Attribute and sampler locations are looked up on every draw because one mesh serves several
// programs (scene, shadow, sky box) that use different subsets of the vertex layout.
#include "scene/visible_object.hpp"

#include <array>
#include <cstdint>
#include <string>

#include "assets/texture_loader.hpp"

namespace vantor::scene {

namespace {

struct AttributeLayout {
    const char* name;
    GLint size;
    std::uintptr_t offset;
};

constexpr std::array<AttributeLayout, 5> attributeLayouts{{
    {"position", 3, offsetof(Vertex, position)},
    {"normal", 3, offsetof(Vertex, normal)},
    {"tangent", 3, offsetof(Vertex, tangent)},
    {"color", 3, offsetof(Vertex, color)},
    {"UV", 2, offsetof(Vertex, uv)},
}};

// "texture0".."texture9"; from ten on the unit number is written out in full.
std::string samplerName(int unit) {
    constexpr int digitCount = 10;
    if (unit < digitCount) {
        return std::string("texture") + static_cast<char>('0' + unit);
    }
    return "texture" + std::to_string(unit);
}

void drawMesh(const Mesh& mesh, GLuint program) {
    glBindVertexArray(mesh.vertexArray);

    std::array<GLint, attributeLayouts.size()> locations{};
    for (std::size_t a = 0; a < attributeLayouts.size(); ++a) {
        locations[a] = glGetAttribLocation(program, attributeLayouts[a].name);
    }

    for (std::size_t j = 0; j < mesh.textures.size(); ++j) {
        const int unit = static_cast<int>(j);
        glActiveTexture(GL_TEXTURE0 + unit);
        // A texture that failed to load keeps its failure name, which GL refuses to bind (an
        // error every frame); no texture is bound for it instead.
        const GLuint id = mesh.textures[j].id;
        glBindTexture(GL_TEXTURE_2D, id == FAILED_TEXTURE ? 0 : id);
        glUniform1i(glGetUniformLocation(program, samplerName(unit).c_str()), unit);
    }

    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);

    for (std::size_t a = 0; a < attributeLayouts.size(); ++a) {
        if (locations[a] == -1) {
            continue;
        }
        const auto location = static_cast<GLuint>(locations[a]);
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, attributeLayouts[a].size, GL_FLOAT, GL_FALSE,
                              sizeof(Vertex),
                              reinterpret_cast<const void*>(attributeLayouts[a].offset));
    }

    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_INT,
                   nullptr);

    for (GLint location : locations) {
        if (location != -1) {
            glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    glBindVertexArray(0);
}

}  // namespace

VisibleObject::VisibleObject(const mat4& initial) : SceneObject(initial) {}

VisibleObject::~VisibleObject() {
    for (Mesh* mesh : meshes) {
        delete mesh;
    }
    delete collisionModel;
    delete collisionShape;
}

void VisibleObject::update(double /*dt*/) {
    if (collisionShape == nullptr || collisionModel == nullptr) {
        return;
    }
    collisionShape->updateBounds(modelMatrix);
    collisionModel->setTransform(modelMatrix.data());
}

void VisibleObject::scale(vec3 factors, TransformSpace /*space*/) {
    float largest = factors.x;
    if (factors.y > largest) {
        largest = factors.y;
    }
    if (factors.z > largest) {
        largest = factors.z;
    }
    if (collisionShape != nullptr) {
        collisionShape->setScale(largest);
    }
}

void VisibleObject::draw(GLuint program) {
    for (const Mesh* mesh : meshes) {
        drawMesh(*mesh, program);
    }
}

bool VisibleObject::collidesWith(VisibleObject* other) {
    if (collisionModel == nullptr || other == nullptr || other->collisionModel == nullptr) {
        return false;
    }
    return collisionModel->collide(other->collisionModel, -1, 0, nullptr);
}

}  // namespace vantor::scene
