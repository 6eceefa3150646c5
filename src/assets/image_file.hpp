// One image file decoded into memory through the image library of the build: the desktop's own,
// or in the browser a decoder that compiles to WebAssembly. Texture and font loading read images
// through it; the same file that implements it writes PNG files (png_writer.hpp).
#pragma once

#include <memory>
#include <string>

namespace vantor {

// The order of the decoded rows: as the file stores them, or the bottom row first whatever the
// file declares (GL's lower-left origin).
enum class RowOrder { AsStored, BottomFirst };

class ImageFile {
  public:
    // Reads and decodes the file; loaded() tells whether both worked.
    ImageFile(const std::string& path, RowOrder order);
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    bool loaded() const;
    // Converts the decoded image to four 8-bit channels; false when it cannot be.
    bool convertToRgba8();
    int width() const;
    int height() const;
    // The rows after convertToRgba8, in the order asked for.
    const unsigned char* pixels() const;

  private:
    struct Decoded;
    std::unique_ptr<Decoded> decoded;
};

}  // namespace vantor
