// Image decoding through the image library, uploaded as 8-bit RGBA GL textures. This is the only
// file that talks to the image library.
#include "assets/texture_loader.hpp"

#include <IL/il.h>

#include <iostream>
#include <mutex>

namespace vantor {

namespace {

// Every texture image lives in this folder; names are appended to it unchanged.
constexpr const char* textureFolder = "Models/";

void initImageLibrary() {
    static std::once_flag initialised;
    std::call_once(initialised, [] { ilInit(); });
}

// One image-library image for the length of a load, released on every path out.
class ScopedImage {
  public:
    ScopedImage() {
        ilGenImages(1, &image);
        ilBindImage(image);
    }
    ~ScopedImage() { ilDeleteImages(1, &image); }
    ScopedImage(const ScopedImage&) = delete;
    ScopedImage& operator=(const ScopedImage&) = delete;

  private:
    ILuint image = 0;
};

// Reads the file into the bound image. Some decoders report a short read only through the error
// stack and still return success with half an image, so a reported error counts as a failure.
bool loadBoundImage(const std::string& path) {
    while (ilGetError() != IL_NO_ERROR) {
    }
    const bool loaded = ilLoadImage(path.c_str()) != IL_FALSE;
    return loaded && ilGetError() == IL_NO_ERROR;
}

// Converts the bound image to RGBA8 and defines level 0 of the bound GL texture from it. A
// conversion failure is refused: the upload would read RGBA rows from a smaller buffer.
bool uploadBoundImage() {
    if (ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_FALSE) {
        return false;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, ilGetInteger(IL_IMAGE_WIDTH),
                 ilGetInteger(IL_IMAGE_HEIGHT), 0, GL_RGBA, GL_UNSIGNED_BYTE, ilGetData());
    return true;
}

}  // namespace

GLuint loadTexture(const std::string& name) {
    initImageLibrary();
    ScopedImage image;
    const std::string path = textureFolder + name;
    if (!loadBoundImage(path)) {
        std::cout << "The file for loadTexture was not successfully opened " << name << std::endl;
        return FAILED_TEXTURE;
    }
    std::cout << "The file for loadTexture was successfully opened " << name << std::endl;

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (!uploadBoundImage()) {
        std::cout << "The file for loadTexture could not be converted to RGBA " << name
                  << std::endl;
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
        return FAILED_TEXTURE;
    }
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

bool loadTextureLevel0(const std::string& path) {
    initImageLibrary();
    ScopedImage image;
    // The overlay's texture coordinates count rows from the bottom of the image, whatever
    // origin the file itself declares. Model textures keep the file's own order, so the
    // setting is switched off again before returning.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const bool loaded = loadBoundImage(path) && uploadBoundImage();
    ilDisable(IL_ORIGIN_SET);
    return loaded;
}

}  // namespace vantor
