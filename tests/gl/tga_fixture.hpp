// Writes small uncompressed 32-bit TGA images for texture tests, with either row order the format
// allows, so that tests can check which row ends up first in a texture.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vantor::test {

struct Rgba {
    std::uint8_t r, g, b, a;
};

enum class TgaOrigin { BottomLeft, TopLeft };

// `pixel(x, yFromTop)` gives each pixel as it appears in the picture.
inline void writeTga(const std::string& path, int width, int height, TgaOrigin origin,
                     const std::function<Rgba(int, int)>& pixel) {
    constexpr std::uint8_t uncompressedTrueColour = 2;
    constexpr std::uint8_t alphaBits = 8;
    constexpr std::uint8_t topLeftFlag = 0x20;
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = uncompressedTrueColour;
    bytes[12] = static_cast<std::uint8_t>(width & 0xFF);
    bytes[13] = static_cast<std::uint8_t>(width >> 8);
    bytes[14] = static_cast<std::uint8_t>(height & 0xFF);
    bytes[15] = static_cast<std::uint8_t>(height >> 8);
    bytes[16] = 32;
    bytes[17] = alphaBits | (origin == TgaOrigin::TopLeft ? topLeftFlag : 0);
    for (int row = 0; row < height; ++row) {
        const int yFromTop = origin == TgaOrigin::TopLeft ? row : height - 1 - row;
        for (int x = 0; x < width; ++x) {
            const Rgba p = pixel(x, yFromTop);
            bytes.insert(bytes.end(), {p.b, p.g, p.r, p.a});
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vantor::test
