// Image files uploaded as 8-bit RGBA GL textures; the image library behind ImageFile decodes them.
#include "assets/texture_loader.hpp"

#include <iostream>
#include <map>

#include "assets/image_file.hpp"

namespace vantor {

namespace {

// Every texture image lives in this folder; names are appended to it unchanged.
constexpr const char* textureFolder = "Models/";

// Converts the image to RGBA8 and defines level 0 of the bound GL texture from it. A conversion
// failure is refused: the upload would read RGBA rows from a smaller buffer.
bool upload(ImageFile& image) {
    if (!image.convertToRgba8()) {
        return false;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width(), image.height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image.pixels());
    return true;
}

}  // namespace

// The images decoded while an ImageDecodeCache lives, by name, converted to RGBA8 where they
// could be read (a conversion that fails leaves them as read, and fails again).
struct ImageDecodeCache::Images {
    std::map<std::string, std::unique_ptr<ImageFile>> byName;
};

namespace {

ImageDecodeCache::Images* activeImages = nullptr;

// The image, decoded now or, where a cache is active, by an earlier load of the same name.
ImageFile& decoded(const std::string& name, std::unique_ptr<ImageFile>& uncached) {
    std::unique_ptr<ImageFile>* slot = &uncached;
    if (activeImages != nullptr) {
        slot = &activeImages->byName[name];
    }
    if (*slot == nullptr) {
        *slot = std::make_unique<ImageFile>(textureFolder + name, RowOrder::AsStored);
    }
    return **slot;
}

}  // namespace

ImageDecodeCache::ImageDecodeCache() : images(std::make_unique<Images>()), outer(activeImages) {
    activeImages = images.get();
}

ImageDecodeCache::~ImageDecodeCache() {
    activeImages = outer;
}

GLuint loadTexture(const std::string& name) {
    std::unique_ptr<ImageFile> uncached;
    ImageFile& image = decoded(name, uncached);
    if (!image.loaded()) {
        std::cout << "The file for loadTexture was not successfully opened " << name << std::endl;
        return FAILED_TEXTURE;
    }
    std::cout << "The file for loadTexture was successfully opened " << name << std::endl;

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (!upload(image)) {
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
    // The overlay's texture coordinates count rows from the bottom of the image, whatever origin
    // the file itself declares; model textures keep the file's own order.
    ImageFile image(path, RowOrder::BottomFirst);
    return image.loaded() && upload(image);
}

}  // namespace vantor
