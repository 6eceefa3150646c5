// Image files into GL textures through the image library: mipmapped RGBA8 textures for the models
// and the sky, and the font image loaded bottom row first into level 0 of the bound texture.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <string>

namespace vantor {

// The texture name handed out when an image cannot be read; callers store it unchanged.
constexpr GLuint FAILED_TEXTURE = 0xFFFFFFFF;

// Loads "Models/" + name into a new mipmapped, linearly filtered RGBA8 texture. Prints one line
// naming `name` either way; returns FAILED_TEXTURE when the file cannot be read or decoded.
GLuint loadTexture(const std::string& name);

// While one of these lives, each image file is decoded once: a later load of the same name uploads
// the pixels of the first decode. Every load still makes its own texture and prints its line, so
// nothing but the time differs. Model import holds one while its cache lives, since every cloud of
// a course shows the same image. Scopes may nest; the innermost is used.
class ImageDecodeCache {
  public:
    ImageDecodeCache();
    ~ImageDecodeCache();
    ImageDecodeCache(const ImageDecodeCache&) = delete;
    ImageDecodeCache& operator=(const ImageDecodeCache&) = delete;

    struct Images;  // opaque: only the loader reads it

  private:
    std::unique_ptr<Images> images;
    Images* outer;
};

// Defines level 0 of the texture bound to GL_TEXTURE_2D from the image at `path` (any format the
// image library reads), with the image's bottom row first. Returns false, leaving the texture
// untouched, when the file cannot be read.
bool loadTextureLevel0(const std::string& path);

}  // namespace vantor
