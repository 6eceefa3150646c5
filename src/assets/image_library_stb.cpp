// The browser's image library behind ImageFile and savePixelsPng: the single-file stb decoder and
// PNG writer, which compile to WebAssembly. This is the only file that talks to them.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "assets/image_file.hpp"
#include "assets/png_writer.hpp"

namespace vantor {

namespace {

constexpr int rgbaChannels = 4;

}  // namespace

// Decoded straight to four 8-bit channels, top row first unless the bottom is asked for.
struct ImageFile::Decoded {
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
};

ImageFile::ImageFile(const std::string& path, RowOrder order) : decoded(new Decoded) {
    int fileChannels = 0;
    stbi_set_flip_vertically_on_load(order == RowOrder::BottomFirst ? 1 : 0);
    decoded->pixels =
        stbi_load(path.c_str(), &decoded->width, &decoded->height, &fileChannels, rgbaChannels);
}

ImageFile::~ImageFile() {
    stbi_image_free(decoded->pixels);
}

bool ImageFile::loaded() const {
    return decoded->pixels != nullptr;
}

bool ImageFile::convertToRgba8() {
    return loaded();
}

int ImageFile::width() const {
    return decoded->width;
}

int ImageFile::height() const {
    return decoded->height;
}

const unsigned char* ImageFile::pixels() const {
    return decoded->pixels;
}

bool savePixelsPng(const std::string& path, int width, int height, int channels,
                   const unsigned char* pixels) {
    if (width <= 0 || height <= 0 || (channels != 1 && channels != 3)) {
        return false;
    }
    // The rows come bottom first; the file starts with the top row.
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(path.c_str(), width, height, channels, pixels, width * channels) != 0;
}

}  // namespace vantor
