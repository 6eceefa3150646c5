// The screenshot key's file: the next free numbered PNG in a screenshots folder of the working
// directory.
#pragma once

#include <string>

namespace vantor {

// The first "<folder>/vantor-NNNN.png" (NNNN from 0001) that does not exist yet; empty when all
// 9999 are taken.
std::string nextScreenshotPath(const std::string& folder);

// Writes the back buffer (the finished frame) to the next free file under "screenshots", making
// the folder when missing, and prints one line naming the file or saying why none was written.
// Returns the path written, or an empty string.
std::string takeScreenshot();

}  // namespace vantor
