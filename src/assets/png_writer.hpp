// Writing what the default framebuffer shows, or any image read back from GL, into a PNG file,
// through the build's image library (savePixelsPng lives in its file, beside ImageFile).
#pragma once

#include <string>

namespace vantor {

// Reads the back buffer of the default framebuffer (width x height from the lower left corner)
// and writes it to `path` as an RGB PNG, top row first, replacing any file there. False when the
// file cannot be written; prints nothing.
bool saveScreenshotPng(const std::string& path, int width, int height);

// Writes width x height pixels of `channels` bytes each (1: grey, 3: RGB), rows bottom first as
// glReadPixels returns them, to `path` as a PNG, top row first, replacing any file there. False
// when the file cannot be written or the arguments describe no image; prints nothing.
bool savePixelsPng(const std::string& path, int width, int height, int channels,
                   const unsigned char* pixels);

}  // namespace vantor
