// PNG output of GL images. GL reads rows bottom first, which is the image library's lower-left
// origin, so the rows are handed over unchanged and the writer puts the top row first.
#include "assets/png_writer.hpp"

#include <GL/glew.h>
#include <IL/il.h>

#include <mutex>
#include <vector>

namespace vantor {

bool saveScreenshotPng(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    return savePixelsPng(path, width, height, 3, pixels.data());
}

bool savePixelsPng(const std::string& path, int width, int height, int channels,
                   const unsigned char* pixels) {
    if (width <= 0 || height <= 0 || (channels != 1 && channels != 3)) {
        return false;
    }
    static std::once_flag initialised;
    std::call_once(initialised, [] { ilInit(); });

    const ILuint image = ilGenImage();
    ilBindImage(image);
    bool saved = ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1,
                            static_cast<ILubyte>(channels), channels == 1 ? IL_LUMINANCE : IL_RGB,
                            IL_UNSIGNED_BYTE, const_cast<unsigned char*>(pixels)) == IL_TRUE;
    if (saved) {
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        ilEnable(IL_FILE_OVERWRITE);
        saved = ilSave(IL_PNG, path.c_str()) == IL_TRUE;
    }
    ilDeleteImage(image);
    // A failed save leaves an error on the library's stack; clear it so it cannot surface later.
    while (ilGetError() != IL_NO_ERROR) {
    }
    return saved;
}

}  // namespace vantor
