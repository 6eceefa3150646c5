// The output of every pass of one frame as PNG files, for looking at what each pass makes: a pass
// hook that reads back each target a pass reports, right after the pass drew it, and the extra
// frame that runs it.
#pragma once

#include <string>
#include <vector>

#include "render/pass_timer.hpp"

namespace vantor::bench {

// Installed as the frame's pass hook for one frame. Files are numbered in frame order and named
// after their pass: "04-scene.png", or "07-bloom-blur-2.png" for the second step of a pass that
// drew several times. Each image has its target's size. A two-channel shadow target holds depth
// moments, not colour: its first channel, the closeness to the light, is written as grey,
// stretched over the range the image holds, near light and far dark.
class PassDump : public PassTimer {
  public:
    explicit PassDump(std::string folder);

    void begin(const char* pass) override;
    void end(const char* pass) override;
    void drawn(const RenderTarget& target) override;

    // Writes the picture in the default framebuffer's back buffer as the next file.
    void writeScreen(const char* name);
    // The paths written so far, and whether every file could be written.
    const std::vector<std::string>& written() const { return files; }
    bool complete() const { return !failed; }

  private:
    struct Image {
        int width;
        int height;
        int channels;
        std::vector<unsigned char> pixels;
    };

    void write(const std::string& name, const Image& image);

    std::string folder;
    std::string pass;
    std::vector<Image> drawnInPass;
    std::vector<std::string> files;
    int numbered = 0;
    bool failed = false;
};

// Draws the world as it stands once more, overlay included, with a PassDump installed, into the
// folder (made if missing), and ends with the screen as "final". With `facingTheLight` the camera
// is turned for this frame alone to look past the figure towards the light, where every effect
// shows; the world, the camera and the flare sprites are as before afterwards. Returns the paths
// written, or nothing (after a line naming the problem) when a file could not be written.
std::vector<std::string> dumpFramePasses(const std::string& folder, bool facingTheLight);

}  // namespace vantor::bench
