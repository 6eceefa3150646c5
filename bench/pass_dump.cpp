// Reading back pass outputs. Only the read framebuffer binding and the pack alignment are touched,
// and both are put back, so the frame draws exactly what it would draw without the dump.
#include "pass_dump.hpp"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <utility>

#include "app/character.hpp"
#include "app/main_loop.hpp"
#include "app/registry.hpp"
#include "app/world_update.hpp"
#include "assets/png_writer.hpp"
#include "render/frame.hpp"
#include "render/render_targets.hpp"
#include "scene/camera.hpp"
#include "scene/light.hpp"

namespace vantor::bench {

namespace {

constexpr int greyLevels = 255;

bool holdsMoments(const RenderTarget& target) {
    const RenderTargets& t = renderTargets;
    return target.texture == t.shadow.texture || target.texture == t.shadowBlur.texture ||
           target.texture == t.shadowSoft.texture;
}

// The first moment, closeness to the light, stretched so that the nearest texel is white and the
// farthest (the cleared background, where nothing casts) is black.
std::vector<unsigned char> greyFromMoments(const std::vector<float>& moments) {
    float nearest = -std::numeric_limits<float>::infinity();
    float farthest = std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < moments.size(); i += 2) {
        if (std::isfinite(moments[i])) {
            nearest = std::max(nearest, moments[i]);
            farthest = std::min(farthest, moments[i]);
        }
    }
    std::vector<unsigned char> grey(moments.size() / 2, 0);
    if (!(nearest > farthest)) {
        return grey;
    }
    const float scale = greyLevels / (nearest - farthest);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const float closeness = moments[2 * i];
        if (std::isfinite(closeness)) {
            grey[i] = static_cast<unsigned char>(std::lround((closeness - farthest) * scale));
        }
    }
    return grey;
}

std::string fileStem(std::string pass) {
    std::replace(pass.begin(), pass.end(), ' ', '-');
    return pass;
}

using scene::vec3;
using scene::vec4;

// Where the camera stands for the view towards the light: as far from the figure as the game's
// camera and a little above it, on the side away from the light but swung aside, so that the
// figure does not hide the light.
constexpr float viewDistance = 10.0f;
constexpr float viewHeight = 2.0f;
constexpr float viewSwingDegrees = 25.0f;
// How far the view turns away from the light: left and down, which puts the light right of and
// above the middle of the picture, so its ghosts (mirrored through the middle) cross the picture.
constexpr float lightLeftOfViewDegrees = 14.0f;
constexpr float lightAboveViewDegrees = 6.0f;

constexpr vec3 worldUp{0.0f, 1.0f, 0.0f};
constexpr float radiansPerDegree = 3.14159265f / 180.0f;

// Turned counter-clockwise as seen from above: to the left for something looking along it.
vec3 turnedAboutVertical(vec3 v, float degrees) {
    const float c = std::cos(degrees * radiansPerDegree);
    const float s = std::sin(degrees * radiansPerDegree);
    return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}

// A camera's model matrix: it looks along `forward` with the world's up above.
scene::mat4 lookingAlong(vec3 position, vec3 forward) {
    const vec3 back = -scene::normalize(forward);
    const vec3 right = scene::normalize(scene::cross(worldUp, back));
    const vec3 up = scene::cross(back, right);
    return {vec4(right, 0.0f), vec4(up, 0.0f), vec4(back, 0.0f), vec4(position, 1.0f)};
}

void faceTheLight() {
    scene::Camera& camera = *registry.camera;
    const vec3 figure = registry.character->getModelMatrix().position();
    const vec3 light = registry.light->getModelMatrix().position();
    vec3 away = figure - light;
    away.y = 0.0f;
    away = turnedAboutVertical(scene::normalize(away), viewSwingDegrees);
    const vec3 position = figure + away * viewDistance + worldUp * viewHeight;

    vec3 forward = turnedAboutVertical(scene::normalize(light - position), lightLeftOfViewDegrees);
    const vec3 right = scene::normalize(scene::cross(forward, worldUp));
    const vec3 up = scene::cross(right, forward);
    const float down = lightAboveViewDegrees * radiansPerDegree;
    forward = forward * std::cos(down) - up * std::sin(down);
    camera.modelMatrix = lookingAlong(position, forward);
    camera.inverseModelMatrix = scene::inverse(camera.modelMatrix);
}

}  // namespace

PassDump::PassDump(std::string folder_) : folder(std::move(folder_)) {}

void PassDump::begin(const char* name) {
    pass = name;
    drawnInPass.clear();
}

void PassDump::end(const char*) {
    const std::string stem = fileStem(pass);
    for (std::size_t i = 0; i < drawnInPass.size(); ++i) {
        write(drawnInPass.size() == 1 ? stem : stem + "-" + std::to_string(i + 1), drawnInPass[i]);
    }
    drawnInPass.clear();
}

void PassDump::drawn(const RenderTarget& target) {
    GLint readFramebuffer = 0;
    GLint packAlignment = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    // The window holds the picture in its letterbox, wherever the screen's shape put that.
    const Viewport area =
        target.framebuffer == 0 ? screenViewport() : Viewport{0, 0, target.width, target.height};
    Image image{area.width, area.height, 3, {}};
    const std::size_t texels = static_cast<std::size_t>(area.width) * area.height;
    if (holdsMoments(target)) {
        std::vector<float> moments(texels * 2);
        glReadPixels(0, 0, area.width, area.height, GL_RG, GL_FLOAT, moments.data());
        image.channels = 1;
        image.pixels = greyFromMoments(moments);
    } else {
        image.pixels.resize(texels * 3);
        glReadPixels(area.x, area.y, area.width, area.height, GL_RGB, GL_UNSIGNED_BYTE,
                     image.pixels.data());
    }

    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    drawnInPass.push_back(std::move(image));
}

void PassDump::writeScreen(const char* name) {
    begin(name);
    drawn(screenTarget);
    end(name);
}

void PassDump::write(const std::string& name, const Image& image) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d-", ++numbered);
    const std::string path = folder + "/" + number + name + ".png";
    if (savePixelsPng(path, image.width, image.height, image.channels, image.pixels.data())) {
        files.push_back(path);
    } else {
        std::printf("vantor-bench: could not write %s\n", path.c_str());
        failed = true;
    }
}

std::vector<std::string> dumpFramePasses(const std::string& folder, bool facingTheLight) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    scene::Camera& camera = *registry.camera;
    const scene::mat4 model = camera.modelMatrix;
    const scene::mat4 view = camera.inverseModelMatrix;
    if (facingTheLight) {
        faceTheLight();
        // A step of no time moves nothing; it refreshes the frustum and places the flare sprites
        // for the turned camera.
        updateWorld(0.0);
    }

    PassDump dump(folder);
    passTimer = &dump;
    renderFrame();
    drawOverlay();
    passTimer = nullptr;
    dump.writeScreen("final");

    if (facingTheLight) {
        camera.modelMatrix = model;
        camera.inverseModelMatrix = view;
        updateWorld(0.0);
    }
    if (!dump.complete()) {
        return {};
    }
    return dump.written();
}

}  // namespace vantor::bench
