// Writing what the default framebuffer shows into a PNG file, through the image library.
#pragma once

#include <string>

namespace vantor {

// Reads the back buffer of the default framebuffer (width x height from the lower left corner)
// and writes it to `path` as an RGB PNG, top row first, replacing any file there. False when the
// file cannot be written; prints nothing.
bool saveScreenshotPng(const std::string& path, int width, int height);

}  // namespace vantor
