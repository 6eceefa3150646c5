// Helpers shared by the scene-object GL suites: a concrete visible object, a working-directory
// guard (models and images are found relative to it), tiny shader programs and an off-screen
// target to read pixels back from.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/mesh.hpp"
#include "scene/visible_object.hpp"

namespace vantor::test {

// The smallest concrete VisibleObject: a model file and nothing else.
class ModelObject : public scene::VisibleObject {
  public:
    explicit ModelObject(const char* path, const scene::mat4& initial = scene::mat4())
        : VisibleObject(initial) {
        if (path != nullptr) {
            loadModel(path);
        }
    }
    void setColliding(bool /*touching*/) override {}
};

class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::string& path) {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer) != nullptr) {
            previous = buffer;
        }
        EXPECT_EQ(chdir(path.c_str()), 0) << path;
    }
    ~WorkingDirectory() {
        if (!previous.empty()) {
            EXPECT_EQ(chdir(previous.c_str()), 0);
        }
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  private:
    std::string previous;
};

inline std::string dataDir() {
    return VANTOR_DATA_DIR;
}
inline std::string sceneFixturesDir() {
    return std::string(VANTOR_FIXTURES_DIR) + "/scene_objects";
}

inline GLuint compileStage(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::array<char, 2048> log{};
        glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        ADD_FAILURE() << "shader did not compile: " << log.data();
    }
    return shader;
}

// Links a program; attribute locations may be pinned so tests can inspect them by number.
inline GLuint linkProgram(const char* vertexSource, const char* fragmentSource,
                          const std::vector<std::pair<GLuint, const char*>>& pinned = {}) {
    const GLuint program = glCreateProgram();
    const GLuint vs = compileStage(GL_VERTEX_SHADER, vertexSource);
    const GLuint fs = compileStage(GL_FRAGMENT_SHADER, fragmentSource);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    for (const auto& [location, name] : pinned) {
        glBindAttribLocation(program, location, name);
    }
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::array<char, 2048> log{};
        glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, log.data());
        ADD_FAILURE() << "program did not link: " << log.data();
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

// An RGBA8 colour target with depth, bound for drawing while the object lives.
class OffscreenTarget {
  public:
    OffscreenTarget(int width, int height) : width(width), height(height) {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(1, &color);
        glBindRenderbuffer(GL_RENDERBUFFER, color);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, width, height);
    }
    ~OffscreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(1, &color);
        glDeleteRenderbuffers(1, &depth);
        glDeleteFramebuffers(1, &framebuffer);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Rows bottom first, four bytes per pixel.
    std::vector<std::uint8_t> readPixels() const {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    std::array<int, 4> pixel(int x, int y) const {
        const std::vector<std::uint8_t> all = readPixels();
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
        return {all[i], all[i + 1], all[i + 2], all[i + 3]};
    }

    const int width;
    const int height;

  private:
    GLuint framebuffer = 0;
    GLuint color = 0;
    GLuint depth = 0;
};

// A quad covering clip space at depth z, every vertex with the given colour.
inline scene::Mesh* makeScreenQuadMesh(scene::vec3 color, float z = 0.0f,
                                       const std::vector<scene::Texture>* textures = nullptr) {
    std::vector<scene::Vertex> vertices;
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
        scene::Vertex v{};
        v.position = {c[0], c[1], z};
        v.normal = {0, 0, 1};
        v.tangent = {1, 0, 0};
        v.color = color;
        v.uv = {(c[0] + 1) / 2, (c[1] + 1) / 2};
        vertices.push_back(v);
    }
    const std::vector<std::uint32_t> indices = {0, 1, 2, 0, 2, 3};
    return new scene::Mesh(vertices, indices, textures);
}

// A 1x1 RGBA texture of one colour.
inline GLuint makeSolidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    GLuint texture = 0;
    const std::uint8_t texel[4] = {r, g, b, 255};
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

}  // namespace vantor::test
