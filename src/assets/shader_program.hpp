// One GLSL program built from a vertex and a fragment source file. Every failure while building is
// fatal: the message is printed and the process ends through the platform's fatal exit.
#pragma once

#include <GL/glew.h>

#include <string>

namespace vantor::scene {

class ShaderProgram {
  public:
    // Returns only with a linked program; any failure ends the process with status -1.
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath);
    // Deletes the program, then the vertex shader, then the fragment shader.
    ~ShaderProgram();

    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    GLuint program;
    GLuint vertexShader;
    GLuint fragmentShader;

  private:
    void loadShader(const std::string& path, GLenum type, GLuint& shaderOut);
    void link();
};

}  // namespace vantor::scene
