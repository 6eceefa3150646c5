// Writes small uncompressed 32-bit TGA images for texture tests, with either row order the format
// allows, so that tests can check which row ends up first in a texture.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

namespace vantor::test {

struct Rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

enum class TgaOrigin { BottomLeft, TopLeft };

// `pixel(x, yFromTop)` gives each pixel as it appears in the picture.
inline void writeTga(const std::string& path, int width, int height, TgaOrigin origin,
                     const std::function<Rgba(int, int)>& pixel) {
    constexpr char uncompressedTrueColour = 2;
    constexpr char bitsPerPixel = 32;
    constexpr char alphaBits = 8;
    constexpr char topLeftFlag = 0x20;
    std::string bytes(18, '\0');
    bytes[2] = uncompressedTrueColour;
    for (const auto& [at, value] : {std::pair{12, width}, {14, height}}) {
        bytes[at] = static_cast<char>(value & 0xFF);
        bytes[at + 1] = static_cast<char>(value >> 8);
    }
    bytes[16] = bitsPerPixel;
    bytes[17] = alphaBits | (origin == TgaOrigin::TopLeft ? topLeftFlag : 0);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const Rgba p = pixel(x, origin == TgaOrigin::TopLeft ? row : height - 1 - row);
            bytes += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r),
                      static_cast<char>(p.a)};
        }
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace vantor::test
