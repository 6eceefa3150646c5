// Creation and release of the render targets. Sizes and formats are fixed: nothing is re-created
// when the window changes.
#include "render/render_targets.hpp"

#include <algorithm>
#include <iostream>
#include <vector>

#include "platform/graphics.hpp"
#include "platform/platform.hpp"

namespace vantor {

RenderTargets renderTargets;

namespace {

struct TextureFormat {
    GLint internalFormat;
    GLenum format;
    GLint minFilter;
    bool clampToEdge;  // otherwise the GL default, repeat
};

// The shadow map is blurred like an image and read with plain bilinear filtering: it has no
// mipmaps. The RGB images keep a mipmapped filter, but only the bright images have levels below
// their own, down to the smallest the blurs read; the others are complete without any.
constexpr TextureFormat shadowMoments{GL_RG32F, GL_RG, GL_LINEAR, true};
constexpr TextureFormat sceneImage{GL_RGB, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, false};
constexpr TextureFormat postImage{GL_RGB, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, true};

enum class Depth { None, Renderbuffer };

const char* const shadowFailure = "GL_FRAMEBUFFER_COMPLETE failed for blur FBO, CANNOT use FBO";
const char* const imageFailure = "GL_FRAMEBUFFER_COMPLETE failed for bloom FBO, CANNOT use FBO";

// The texture's levels 0 to lastLevel, allocated without content. A pass may read an image before
// anything drew it (the composition while bloom has been off since start-up): every level its
// filter may reach is defined, so that the texture is complete and samples black rather than
// nothing.
GLuint defineTexture(GLsizei width, GLsizei height, const TextureFormat& format, int lastLevel) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, format.minFilter);
    if (format.clampToEdge) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, lastLevel);
    const platform::TextureStorage storage =
        platform::renderableTexture(format.internalFormat, format.format);
    for (int level = 0; level <= lastLevel; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, storage.internalFormat, std::max(width >> level, 1),
                     std::max(height >> level, 1), 0, storage.format, storage.type, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

void attachDepth(RenderTarget& target) {
    glGenRenderbuffers(1, &target.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, target.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, platform::renderableDepth(GL_DEPTH_COMPONENT),
                          target.width, target.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              target.depthBuffer);
}

// A framebuffer drawing into the given level of the texture. An incomplete one is reported and
// still used every frame: start-up goes on.
RenderTarget attachLevel(GLuint texture, int level, GLsizei width, GLsizei height, Depth depth,
                         const char* failureLine) {
    RenderTarget target{0, texture, 0, width, height, level};
    glGenFramebuffers(1, &target.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    if (depth == Depth::Renderbuffer) {
        attachDepth(target);
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << failureLine << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return target;
}

RenderTarget createTarget(GLsizei width, GLsizei height, const TextureFormat& format, Depth depth,
                          const char* failureLine) {
    const GLuint texture = defineTexture(width, height, format, 0);
    return attachLevel(texture, 0, width, height, depth, failureLine);
}

// A quarter-size post-processing image with a framebuffer on each of its levels.
BrightLevels createBrightLevels() {
    constexpr GLsizei width = screenWidth >> brightShrinkLevels;
    constexpr GLsizei height = screenHeight >> brightShrinkLevels;
    const GLuint texture = defineTexture(width, height, postImage, brightLevelCount - 1);
    BrightLevels levels;
    for (int level = 0; level < brightLevelCount; ++level) {
        levels[level] = attachLevel(texture, level, std::max(width >> level, 1),
                                    std::max(height >> level, 1), Depth::None, imageFailure);
    }
    return levels;
}

// Every target, each level's framebuffer on its own.
std::vector<RenderTarget*> allTargets(RenderTargets& t) {
    std::vector<RenderTarget*> targets{&t.shadow, &t.shadowBlur, &t.shadowSoft, &t.scene,
                                       &t.compose};
    for (BrightLevels* levels : {&t.bright, &t.brightBlur}) {
        for (RenderTarget& level : *levels) {
            targets.push_back(&level);
        }
    }
    return targets;
}

}  // namespace

void createRenderTargets() {
    RenderTargets& t = renderTargets;
    constexpr GLsizei half = shadowMapSize / 2;
    t.shadow = createTarget(shadowMapSize, shadowMapSize, shadowMoments, Depth::Renderbuffer,
                            shadowFailure);
    t.shadowBlur = createTarget(shadowMapSize, half, shadowMoments, Depth::None, shadowFailure);
    t.shadowSoft = createTarget(half, half, shadowMoments, Depth::None, shadowFailure);
    t.scene =
        createTarget(screenWidth, screenHeight, sceneImage, Depth::Renderbuffer, imageFailure);
    t.bright = createBrightLevels();
    t.brightBlur = createBrightLevels();
    t.compose = createTarget(screenWidth, screenHeight, postImage, Depth::None, imageFailure);
}

void deleteRenderTargets() {
    for (RenderTarget* target : allTargets(renderTargets)) {
        // The levels of one image share its texture: the first of them deletes it.
        if (target->level == 0) {
            glDeleteTextures(1, &target->texture);
        }
        glDeleteFramebuffers(1, &target->framebuffer);
        if (target->depthBuffer != 0) {
            glDeleteRenderbuffers(1, &target->depthBuffer);
        }
        *target = RenderTarget{};
    }
}

Viewport letterbox(int framebufferWidth, int framebufferHeight) {
    const long long w = framebufferWidth;
    const long long h = framebufferHeight;
    Viewport area;
    if (w * screenHeight > h * screenWidth) {
        area.height = framebufferHeight;
        area.width = static_cast<GLsizei>((h * screenWidth + screenHeight / 2) / screenHeight);
        area.x = static_cast<GLint>((w - area.width) / 2);
    } else {
        area.width = framebufferWidth;
        area.height = static_cast<GLsizei>((w * screenHeight + screenWidth / 2) / screenWidth);
        area.y = static_cast<GLint>((h - area.height) / 2);
    }
    return area;
}

Viewport screenViewport() {
    int width = 0;
    int height = 0;
    platform::getFramebufferSize(&width, &height);
    if (width <= 0 || height <= 0) {
        return {0, 0, screenWidth, screenHeight};
    }
    return letterbox(width, height);
}

void bindTarget(const RenderTarget& target) {
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    if (target.framebuffer == 0) {
        const Viewport area = screenViewport();
        glViewport(area.x, area.y, area.width, area.height);
    } else {
        glViewport(0, 0, target.width, target.height);
    }
}

}  // namespace vantor
