// The desktop's image library behind ImageFile and savePixelsPng. This is the only file that
// talks to it.
#include <IL/il.h>

#include <mutex>

#include "assets/image_file.hpp"
#include "assets/png_writer.hpp"

namespace vantor {

namespace {

void initImageLibrary() {
    static std::once_flag initialised;
    std::call_once(initialised, [] { ilInit(); });
}

// Some decoders report a short read only through the error stack and still return success with
// half an image, so a reported error counts as a failure.
bool loadBoundImage(const std::string& path) {
    while (ilGetError() != IL_NO_ERROR) {
    }
    const bool loaded = ilLoadImage(path.c_str()) != IL_FALSE;
    return loaded && ilGetError() == IL_NO_ERROR;
}

}  // namespace

// One library image, released on every path out. The library works on the image bound last, and
// several may be alive at once: every call binds its own first.
struct ImageFile::Decoded {
    ILuint image = 0;
    bool bottomFirst = false;
    bool loaded = false;

    void bind() const { ilBindImage(image); }
};

ImageFile::ImageFile(const std::string& path, RowOrder order) : decoded(new Decoded) {
    initImageLibrary();
    ilGenImages(1, &decoded->image);
    ilBindImage(decoded->image);
    decoded->bottomFirst = order == RowOrder::BottomFirst;
    if (decoded->bottomFirst) {
        // Switched off again when the image is released: other images keep the file's order.
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    }
    decoded->loaded = loadBoundImage(path);
}

ImageFile::~ImageFile() {
    if (decoded->bottomFirst) {
        ilDisable(IL_ORIGIN_SET);
    }
    ilDeleteImages(1, &decoded->image);
}

bool ImageFile::loaded() const {
    return decoded->loaded;
}

bool ImageFile::convertToRgba8() {
    decoded->bind();
    return ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) != IL_FALSE;
}

int ImageFile::width() const {
    decoded->bind();
    return ilGetInteger(IL_IMAGE_WIDTH);
}

int ImageFile::height() const {
    decoded->bind();
    return ilGetInteger(IL_IMAGE_HEIGHT);
}

const unsigned char* ImageFile::pixels() const {
    decoded->bind();
    return ilGetData();
}

bool savePixelsPng(const std::string& path, int width, int height, int channels,
                   const unsigned char* pixels) {
    if (width <= 0 || height <= 0 || (channels != 1 && channels != 3)) {
        return false;
    }
    initImageLibrary();
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
