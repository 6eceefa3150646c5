// Vertex, Texture and Mesh: the CPU copy of one imported mesh and the GL buffers it is drawn from.
// The vertex layout is fixed here because every shader binds its attributes by these offsets.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/math.hpp"

namespace vantor::scene {

struct Vertex {
    vec3 position;
    vec3 normal;
    vec3 tangent;
    vec3 color;
    vec2 uv;
};

// The draw code hands these byte offsets and the stride to glVertexAttribPointer.
static_assert(sizeof(Vertex) == 56, "Vertex must be 14 packed floats");
static_assert(offsetof(Vertex, position) == 0);
static_assert(offsetof(Vertex, normal) == 12);
static_assert(offsetof(Vertex, tangent) == 24);
static_assert(offsetof(Vertex, color) == 36);
static_assert(offsetof(Vertex, uv) == 48);

struct Texture {
    std::uint32_t id;
    std::uint32_t type;
};

// Owns its vertex array, both buffers and the GL textures named in `textures`.
class Mesh {
  public:
    // textures may be null: the mesh then has none.
    Mesh(const std::vector<Vertex>& vertices, const std::vector<std::uint32_t>& indices,
         const std::vector<Texture>* textures);
    ~Mesh();

    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    std::vector<Vertex> vertices;
    std::vector<Texture> textures;
    std::vector<std::uint32_t> indices;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint vertexArray = 0;
};

}  // namespace vantor::scene
