// What the default framebuffer shows, read back for a PNG file. GL reads rows bottom first, the
// order savePixelsPng takes. Rows are read as RGBA, the one read-back format every context
// offers (OpenGL ES offers RGB only where the driver chooses to), and packed to RGB.
#include "assets/png_writer.hpp"

#include <GL/glew.h>

#include <vector>

namespace vantor {

bool saveScreenshotPng(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const std::size_t pixelCount = static_cast<std::size_t>(width) * height;
    std::vector<unsigned char> pixels(pixelCount * 4);
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    for (std::size_t i = 0; i < pixelCount; ++i) {
        for (std::size_t channel = 0; channel < 3; ++channel) {
            pixels[i * 3 + channel] = pixels[i * 4 + channel];
        }
    }
    return savePixelsPng(path, width, height, 3, pixels.data());
}

}  // namespace vantor
