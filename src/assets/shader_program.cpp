// Builds a GLSL program from its two source files. The messages and their order are what a player
// or developer sees when a shader file is missing or broken, so each failure names its cause.
#include "assets/shader_program.hpp"

#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "platform/fatal_exit.hpp"
#include "platform/graphics.hpp"

namespace vantor::scene {

namespace {

// Every fragment shader writes its colour to this output, bound to colour number 0.
constexpr const char* fragmentOutputName = "fragColor";
constexpr GLuint fragmentOutputColour = 0;

}  // namespace

ShaderProgram::ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath)
    : program(0), vertexShader(0), fragmentShader(0) {
    program = glCreateProgram();
    if (program == 0) {
        std::cout << "could not retrieve program handle!" << std::endl;
        platform::pauseAndExit();
    }
    // The vertex stage is read and compiled before the fragment file is even opened.
    loadShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    loadShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    link();
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
}

void ShaderProgram::loadShader(const std::string& path, GLenum type, GLuint& shaderOut) {
    std::ifstream file(path);
    // Printed before the stream is tested, so that a missing file still shows its path.
    std::cout << "loading shader: " << path << std::endl;
    if (!file.good()) {
        std::cout << "failed to open shader file" << std::endl;
        platform::pauseAndExit();
    }
    const std::string source = platform::adaptShaderSource(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    file.close();

    shaderOut = glCreateShader(type);
    if (shaderOut == 0) {
        std::cout << "failed to create shader" << std::endl;
        platform::pauseAndExit();
    }
    const char* sourceText = source.c_str();
    glShaderSource(shaderOut, 1, &sourceText, nullptr);
    glCompileShader(shaderOut);

    GLint compiled = GL_FALSE;
    glGetShaderiv(shaderOut, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_FALSE || glIsShader(shaderOut) == GL_FALSE) {
        GLint logLength = 0;
        glGetShaderiv(shaderOut, GL_INFO_LOG_LENGTH, &logLength);
        // The reported length includes the terminating NUL; one byte more keeps an empty log
        // (length 0) a valid empty string.
        std::vector<char> log(static_cast<size_t>(logLength > 0 ? logLength : 1), '\0');
        glGetShaderInfoLog(shaderOut, logLength, nullptr, log.data());
        std::cout << "Failed to compile shader" << std::endl;
        std::cout << log.data() << std::endl;
        platform::pauseAndExit();
    }
}

void ShaderProgram::link() {
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    // Only takes effect for a link that follows it.
    glBindFragDataLocation(program, fragmentOutputColour, fragmentOutputName);
    glLinkProgram(program);

    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_FALSE) {
        GLint logLength = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &logLength);
        std::vector<char> log(static_cast<size_t>(logLength > 0 ? logLength : 1), '\0');
        glGetProgramInfoLog(program, logLength, nullptr, log.data());
        std::cout << "Failed to link shader program" << std::endl;
        std::cout << log.data() << std::endl;
        platform::pauseAndExit();
    }
}

}  // namespace vantor::scene
