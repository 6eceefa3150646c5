// The desktop's OpenGL 3.3 core context takes the game's shaders and formats as they are.
#include "platform/graphics.hpp"

namespace vantor::platform {

std::string adaptShaderSource(const std::string& source) {
    return source;
}

TextureStorage renderableTexture(GLint internalFormat, GLenum format) {
    return {internalFormat, format, GL_UNSIGNED_BYTE};
}

GLenum renderableDepth(GLenum internalFormat) {
    return internalFormat;
}

}  // namespace vantor::platform
