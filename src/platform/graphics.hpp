// What the context the window gave needs done differently to the game's OpenGL 3.3 core calls:
// the dialect its shaders are compiled in and the storage its render targets can be drawn into.
// Each back end answers for its own context; on the desktop nothing changes.
#pragma once

#include <GL/glew.h>

#include <string>

namespace vantor::platform {

// A GLSL 3.30 core source, rewritten for the context's shading language where that differs.
std::string adaptShaderSource(const std::string& source);

// How one level of a render target's colour texture is defined with glTexImage2D.
struct TextureStorage {
    GLint internalFormat;
    GLenum format;
    GLenum type;
};

// The storage of a colour texture asked for as `internalFormat` and `format` without data: the
// same, or the nearest the context can render into.
TextureStorage renderableTexture(GLint internalFormat, GLenum format);
// The storage of a depth renderbuffer asked for as `internalFormat`, likewise.
GLenum renderableDepth(GLenum internalFormat);

}  // namespace vantor::platform
