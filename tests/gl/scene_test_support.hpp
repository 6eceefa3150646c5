// Helpers shared by the asset and scene-object GL suites: a concrete visible object, a working
// folder (files are found relative to it) and a texture level read back as RGBA8 texels.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "scene/visible_object.hpp"

namespace vantor::test {

// The smallest concrete VisibleObject: a model file and nothing else.
struct ModelObject : scene::VisibleObject {
    explicit ModelObject(const char* path, const scene::mat4& initial = scene::mat4())
        : VisibleObject(initial) {
        if (path != nullptr) {
            loadModel(path);
        }
    }
    void setColliding(bool /*touching*/) override {}
};

// Works in another folder while it lives.
struct WorkingDirectory {
    const std::filesystem::path previous = std::filesystem::current_path();
    explicit WorkingDirectory(const std::filesystem::path& path) {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous); }
};

struct Rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// Level `number` of a texture, left bound, rows in GL order (the first row is at t = 0).
inline std::vector<Rgba> level(GLuint texture, GLint number) {
    GLint size[2] = {};
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, number, GL_TEXTURE_WIDTH, &size[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, number, GL_TEXTURE_HEIGHT, &size[1]);
    std::vector<Rgba> texels(static_cast<std::size_t>(size[0] * size[1]));
    glGetTexImage(GL_TEXTURE_2D, number, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

}  // namespace vantor::test
