// Uniform and texture-unit helpers of the frame passes. Locations are looked up on every set: the
// passes set few uniforms per draw and the programs never change.
#include "render/gl_helpers.hpp"

namespace vantor {

void setUniform(GLuint program, const char* name, int value) {
    glUniform1i(glGetUniformLocation(program, name), value);
}

void setUniform(GLuint program, const char* name, float value) {
    glUniform1f(glGetUniformLocation(program, name), value);
}

void setUniform(GLuint program, const char* name, scene::vec3 value) {
    glUniform3f(glGetUniformLocation(program, name), value.x, value.y, value.z);
}

void setUniform(GLuint program, const char* name, const scene::mat3& value) {
    glUniformMatrix3fv(glGetUniformLocation(program, name), 1, GL_FALSE, value.data());
}

void setUniform(GLuint program, const char* name, const scene::mat4& value) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, value.data());
}

void bindTexture(int unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace vantor
