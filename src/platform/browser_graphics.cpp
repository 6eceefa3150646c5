// The browser's WebGL 2 context (OpenGL ES 3.0) against the game's OpenGL 3.3 core calls: the
// shaders in GLSL ES 3.00, render targets in formats it can draw into, and the two entry points it
// lacks (polygon mode through its extension, and the fragment output's binding, which GLSL ES
// makes unnecessary).
#include <emscripten.h>

#include "platform/graphics.hpp"

namespace vantor::platform {

namespace {

// The version line must open a GLSL ES source; fragment shaders have no default float precision,
// and high precision keeps the float shadow moments and texture coordinates what the desktop has.
constexpr const char* esPreamble =
    "#version 300 es\n"
    "precision highp float;\n"
    "precision highp int;\n"
    "precision highp sampler2D;\n";
constexpr const char* versionDirective = "#version";

// Where the line holding the version directive starts, or npos. The desktop also accepts comments
// before it, so it is looked for on every line.
std::size_t versionLine(const std::string& source) {
    std::size_t line = 0;
    while (line < source.size()) {
        std::size_t text = line;
        while (text < source.size() && (source[text] == ' ' || source[text] == '\t')) {
            ++text;
        }
        if (source.compare(text, std::char_traits<char>::length(versionDirective),
                           versionDirective) == 0) {
            return line;
        }
        const std::size_t end = source.find('\n', line);
        if (end == std::string::npos) {
            break;
        }
        line = end + 1;
    }
    return std::string::npos;
}

}  // namespace

std::string adaptShaderSource(const std::string& source) {
    std::string body = source;
    const std::size_t line = versionLine(body);
    if (line != std::string::npos) {
        // The line stays, emptied, so that the lines after it keep their numbers in a compile log
        // (less the preamble's four).
        body.erase(line, body.find('\n', line) - line);
    }
    return esPreamble + body;
}

TextureStorage renderableTexture(GLint internalFormat, GLenum format) {
    switch (internalFormat) {
        // Three-channel and unsized colour cannot be drawn into: the fourth channel is unused.
        case GL_RGB:
        case GL_RGB8:
        case GL_RGBA:
            return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
        case GL_RGB16F:
            return {GL_RGBA16F, GL_RGBA, GL_FLOAT};
        case GL_RGB32F:
            return {GL_RGBA32F, GL_RGBA, GL_FLOAT};
        // Float colour (drawable through EXT_color_buffer_float) is defined from float data.
        case GL_R16F:
        case GL_RG16F:
        case GL_RGBA16F:
        case GL_R32F:
        case GL_RG32F:
        case GL_RGBA32F:
            return {internalFormat, format, GL_FLOAT};
        default:
            return {internalFormat, format, GL_UNSIGNED_BYTE};
    }
}

GLenum renderableDepth(GLenum internalFormat) {
    // Depth renderbuffers need a sized format, and 24 bits is the largest fixed-point one.
    return internalFormat == GL_DEPTH_COMPONENT || internalFormat == GL_DEPTH_COMPONENT32
               ? GL_DEPTH_COMPONENT24
               : internalFormat;
}

}  // namespace vantor::platform

// WEBGL_polygon_mode takes the same face and mode values as the desktop call; without the
// extension the picture stays filled.
// clang-format off
EM_JS(void, setWebGlPolygonMode, (GLenum face, GLenum mode), {
    var extension = GLctx.getExtension('WEBGL_polygon_mode');
    if (extension) {
        extension.polygonModeWEBGL(face, mode);
    }
});
// clang-format on

extern "C" {

void glPolygonMode(GLenum face, GLenum mode) {
    setWebGlPolygonMode(face, mode);
}

// A GLSL ES fragment shader with one output writes colour number 0 without being told.
void glBindFragDataLocation(GLuint, GLuint, const GLchar*) {}

}  // extern "C"
