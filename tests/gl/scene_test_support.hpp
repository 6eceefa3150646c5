// Helpers shared by the scene-object GL suites: a concrete visible object, a working folder (files
// are found relative to it), tiny shader programs and an off-screen target to read pixels from.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
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

inline std::string dataDir() {
    return VANTOR_DATA_DIR;
}
inline std::string sceneFixturesDir() {
    return std::string(VANTOR_FIXTURES_DIR) + "/scene_objects";
}

// A failure to compile or link fails the test with the program's log.
inline GLuint linkProgram(const char* vertexSource, const char* fragmentSource) {
    const GLuint program = glCreateProgram();
    for (const auto& [type, source] : {std::pair{GL_VERTEX_SHADER, vertexSource},
                                       std::pair{GL_FRAGMENT_SHADER, fragmentSource}}) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    char log[2048] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    EXPECT_EQ(linked, GL_TRUE) << log;
    return program;
}

// An RGBA8 colour target with a depth buffer, bound for drawing while the object lives.
class OffscreenTarget {
  public:
    OffscreenTarget(int width, int height) : width(width), height(height) {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(2, buffers);
        const GLenum formats[2][2] = {{GL_RGBA8, GL_COLOR_ATTACHMENT0},
                                      {GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT}};
        for (int i = 0; i < 2; ++i) {
            glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
            glRenderbufferStorage(GL_RENDERBUFFER, formats[i][0], width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, formats[i][1], GL_RENDERBUFFER, buffers[i]);
        }
        glViewport(0, 0, width, height);
    }
    ~OffscreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, buffers);
        glDeleteFramebuffers(1, &framebuffer);
    }

    // Rows bottom first, four bytes per pixel.
    std::vector<std::uint8_t> readPixels() const {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

  private:
    const int width, height;
    GLuint framebuffer = 0;
    GLuint buffers[2] = {};
};

}  // namespace vantor::test
