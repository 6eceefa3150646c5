// F12's screenshot: the folder, the file name and the one line that reports it. A failure is
// reported and play goes on.
#include "app/screenshot.hpp"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "assets/png_writer.hpp"
#include "platform/platform.hpp"

namespace vantor {

namespace {

constexpr const char* screenshotFolder = "screenshots";
constexpr int maxScreenshots = 9999;

}  // namespace

std::string nextScreenshotPath(const std::string& folder) {
    for (int number = 1; number <= maxScreenshots; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "vantor-%04d.png", number);
        const std::string path = folder + "/" + name;
        std::error_code error;
        if (!std::filesystem::exists(path, error) && !error) {
            return path;
        }
    }
    return {};
}

std::string takeScreenshot() {
    std::error_code error;
    std::filesystem::create_directories(screenshotFolder, error);
    if (error) {
        std::cout << "screenshot not written: cannot make folder " << screenshotFolder << std::endl;
        return {};
    }
    const std::string path = nextScreenshotPath(screenshotFolder);
    if (path.empty()) {
        std::cout << "screenshot not written: " << screenshotFolder << " is full" << std::endl;
        return {};
    }
    int width = 0;
    int height = 0;
    platform::getFramebufferSize(&width, &height);
    if (!saveScreenshotPng(path, width, height)) {
        std::cout << "screenshot not written: " << path << std::endl;
        return {};
    }
    std::cout << "screenshot written: " << path << std::endl;
    platform::offerFile(path.c_str());
    return path;
}

}  // namespace vantor
