// Creation and release of the render targets. Sizes and formats are fixed: nothing is re-created
// when the window changes.
#include "render/render_targets.hpp"

#include <iostream>

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
// mipmaps. The RGB images get theirs from the passes that read them at lower levels.
constexpr TextureFormat shadowMoments{GL_RG32F, GL_RG, GL_LINEAR, true};
constexpr TextureFormat sceneImage{GL_RGB, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, false};
constexpr TextureFormat postImage{GL_RGB, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, true};

enum class Depth { None, Renderbuffer };

const char* const shadowFailure = "GL_FRAMEBUFFER_COMPLETE failed for blur FBO, CANNOT use FBO";
const char* const imageFailure = "GL_FRAMEBUFFER_COMPLETE failed for bloom FBO, CANNOT use FBO";

void defineTexture(RenderTarget& target, const TextureFormat& format) {
    glGenTextures(1, &target.texture);
    glBindTexture(GL_TEXTURE_2D, target.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, format.minFilter);
    if (format.clampToEdge) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    const platform::TextureStorage storage =
        platform::renderableTexture(format.internalFormat, format.format);
    glTexImage2D(GL_TEXTURE_2D, 0, storage.internalFormat, target.width, target.height, 0,
                 storage.format, storage.type, nullptr);
    if (format.minFilter != GL_LINEAR) {
        // The passes rebuild the levels before they read them, but a pass that reads a texture
        // before any rebuild (the composition while bloom has been off since start-up) would
        // find it incomplete and sample black. An allocated chain makes it complete from the start.
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void attachDepth(RenderTarget& target) {
    glGenRenderbuffers(1, &target.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, target.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, platform::renderableDepth(GL_DEPTH_COMPONENT),
                          target.width, target.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              target.depthBuffer);
}

// An incomplete target is reported and still used every frame: start-up goes on.
void createTarget(RenderTarget& target, GLsizei width, GLsizei height, const TextureFormat& format,
                  Depth depth, const char* failureLine) {
    target.width = width;
    target.height = height;
    glGenFramebuffers(1, &target.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    defineTexture(target, format);
    if (depth == Depth::Renderbuffer) {
        attachDepth(target);
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << failureLine << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void deleteTarget(RenderTarget& target) {
    glDeleteFramebuffers(1, &target.framebuffer);
    glDeleteTextures(1, &target.texture);
    if (target.depthBuffer != 0) {
        glDeleteRenderbuffers(1, &target.depthBuffer);
    }
    target = RenderTarget{};
}

}  // namespace

void createRenderTargets() {
    RenderTargets& t = renderTargets;
    createTarget(t.shadow, shadowMapSize, shadowMapSize, shadowMoments, Depth::Renderbuffer,
                 shadowFailure);
    createTarget(t.shadowBlur, shadowMapSize, shadowMapSize, shadowMoments, Depth::None,
                 shadowFailure);
    createTarget(t.scene, screenWidth, screenHeight, sceneImage, Depth::Renderbuffer, imageFailure);
    createTarget(t.bright, screenWidth, screenHeight, postImage, Depth::None, imageFailure);
    createTarget(t.brightBlur, screenWidth, screenHeight, postImage, Depth::None, imageFailure);
    createTarget(t.compose, screenWidth, screenHeight, postImage, Depth::None, imageFailure);
}

void deleteRenderTargets() {
    RenderTargets& t = renderTargets;
    for (RenderTarget* target :
         {&t.shadow, &t.shadowBlur, &t.scene, &t.bright, &t.brightBlur, &t.compose}) {
        deleteTarget(*target);
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
