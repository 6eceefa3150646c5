// Reading frames back for the frame suites: an RGB image of the default framebuffer or of a
// texture, region averages and differences for tolerant checks, and a dump for looking at them.
#pragma once

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace vantor::test {

struct Rgb {
    double r = 0, g = 0, b = 0;
    double brightness() const { return (r + g + b) / 3.0; }
};

// Rows bottom first, as GL returns them; three bytes per pixel.
struct FrameImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* at(int x, int y) const {
        return &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
    }

    // Mean colour of the rectangle [x0, x1) x [y0, y1), y counted from the bottom.
    Rgb mean(int x0, int y0, int x1, int y1) const {
        Rgb sum;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const std::uint8_t* p = at(x, y);
                sum.r += p[0];
                sum.g += p[1];
                sum.b += p[2];
            }
        }
        const double n = static_cast<double>(x1 - x0) * (y1 - y0);
        return {sum.r / n, sum.g / n, sum.b / n};
    }

    // Standard deviation of the brightness over the whole image.
    double brightnessSpread() const;

    // Pixels whose channels differ from other's by more than tolerance in any channel.
    int countDifferent(const FrameImage& other, int tolerance) const;
};

inline double FrameImage::brightnessSpread() const {
    double sum = 0;
    double sumSq = 0;
    const std::size_t n = pixels.size() / 3;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = (pixels[3 * i] + pixels[3 * i + 1] + pixels[3 * i + 2]) / 3.0;
        sum += v;
        sumSq += v * v;
    }
    const double mean = sum / n;
    return std::sqrt(std::max(sumSq / n - mean * mean, 0.0));
}

inline int FrameImage::countDifferent(const FrameImage& other, int tolerance) const {
    int count = 0;
    for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(pixels[i + c] - other.pixels[i + c]) > tolerance) {
                ++count;
                break;
            }
        }
    }
    return count;
}

inline FrameImage readScreen(int width, int height) {
    FrameImage image{width, height, {}};
    image.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

inline FrameImage readTexture(GLuint texture, int width, int height) {
    FrameImage image{width, height, {}};
    image.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

// Writes the image as a binary PPM (top row first) into the folder named by VANTOR_FRAME_DUMP, if
// set, so that a person can look at what a check saw.
inline void dumpFrame(const FrameImage& image, const std::string& name) {
    const char* folder = std::getenv("VANTOR_FRAME_DUMP");
    if (folder == nullptr) {
        return;
    }
    std::ofstream out(std::string(folder) + "/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (int y = image.height - 1; y >= 0; --y) {
        out.write(reinterpret_cast<const char*>(image.at(0, y)), image.width * 3);
    }
}

}  // namespace vantor::test
