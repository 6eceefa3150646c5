// Small GL conveniences shared by the frame passes: uniforms set by name on a program (a name the
// program lacks is ignored) and a texture bound to a given unit.
#pragma once

#include <GL/glew.h>

#include "scene/math.hpp"

namespace vantor {

void setUniform(GLuint program, const char* name, int value);
void setUniform(GLuint program, const char* name, float value);
void setUniform(GLuint program, const char* name, scene::vec3 value);
void setUniform(GLuint program, const char* name, const scene::mat3& value);
void setUniform(GLuint program, const char* name, const scene::mat4& value);

// Makes the unit active and binds the 2D texture to it; the unit stays active.
void bindTexture(int unit, GLuint texture);

}  // namespace vantor
