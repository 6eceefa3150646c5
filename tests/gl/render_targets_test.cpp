// The six render targets: complete, with the formats, sizes, filters and depth buffers the passes
// rely on, and the GL state creation leaves behind; deletion releases every name.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "gl/support/gl_test.hpp"
#include "render/render_targets.hpp"

namespace vantor::test {
namespace {

using RenderTargetsTest = GlTest;

GLint levelParameter(GLuint texture, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint renderbufferParameter(GLuint renderbuffer, GLenum name) {
    GLint value = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, name, &value);
    return value;
}

struct Expected {
    const RenderTarget& target;
    GLsizei width;
    GLsizei height;
    GLint internalFormat;
    GLint minFilter;
    GLint wrap;
    bool depth;
};

TEST_F(RenderTargetsTest, CompleteWithTheirFormatsAndSizesAndNothingLeftBound) {
    glActiveTexture(GL_TEXTURE0);
    std::ostringstream printed;
    std::streambuf* const previous = std::cout.rdbuf(printed.rdbuf());
    createRenderTargets();
    std::cout.rdbuf(previous);
    EXPECT_EQ(printed.str(), "") << "no target may report itself incomplete here";

    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    GLint texture = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_EQ(texture, 0);

    const RenderTargets& t = renderTargets;
    const Expected expected[] = {
        {t.shadow, 1600, 1600, GL_RG32F, GL_LINEAR, GL_CLAMP_TO_EDGE, true},
        {t.shadowBlur, 1600, 1600, GL_RG32F, GL_LINEAR, GL_CLAMP_TO_EDGE, false},
        {t.scene, 1600, 900, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, GL_REPEAT, true},
        {t.bright, 1600, 900, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE, false},
        {t.brightBlur, 1600, 900, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE, false},
        {t.compose, 1600, 900, GL_RGB, GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE, false},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE("framebuffer " + std::to_string(e.target.framebuffer));
        glBindFramebuffer(GL_FRAMEBUFFER, e.target.framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        GLint attached = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
        EXPECT_EQ(static_cast<GLuint>(attached), e.target.texture);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);

        EXPECT_EQ(levelParameter(e.target.texture, GL_TEXTURE_WIDTH), e.width);
        EXPECT_EQ(levelParameter(e.target.texture, GL_TEXTURE_HEIGHT), e.height);
        EXPECT_EQ(levelParameter(e.target.texture, GL_TEXTURE_INTERNAL_FORMAT), e.internalFormat);
        EXPECT_EQ(textureParameter(e.target.texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(e.target.texture, GL_TEXTURE_MIN_FILTER), e.minFilter);
        EXPECT_EQ(textureParameter(e.target.texture, GL_TEXTURE_WRAP_S), e.wrap);
        EXPECT_EQ(textureParameter(e.target.texture, GL_TEXTURE_WRAP_T), e.wrap);
        EXPECT_EQ(e.target.width, e.width);
        EXPECT_EQ(e.target.height, e.height);
        if (e.depth) {
            ASSERT_NE(e.target.depthBuffer, 0u);
            // The depth buffer covers the whole colour image, so depth testing does too.
            EXPECT_EQ(renderbufferParameter(e.target.depthBuffer, GL_RENDERBUFFER_WIDTH), e.width);
            EXPECT_EQ(renderbufferParameter(e.target.depthBuffer, GL_RENDERBUFFER_HEIGHT),
                      e.height);
            EXPECT_GT(renderbufferParameter(e.target.depthBuffer, GL_RENDERBUFFER_DEPTH_SIZE), 0);
        } else {
            EXPECT_EQ(e.target.depthBuffer, 0u);
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const RenderTargets created = renderTargets;
    deleteRenderTargets();
    for (const RenderTarget* target : {&created.shadow, &created.shadowBlur, &created.scene,
                                       &created.bright, &created.brightBlur, &created.compose}) {
        EXPECT_FALSE(glIsFramebuffer(target->framebuffer));
        EXPECT_FALSE(glIsTexture(target->texture));
        if (target->depthBuffer != 0) {
            EXPECT_FALSE(glIsRenderbuffer(target->depthBuffer));
        }
    }
    EXPECT_EQ(renderTargets.scene.framebuffer, 0u);
}

// The scene image must be readable at full resolution even by a frame whose passes never rebuilt
// its mip chain (bloom off from the start): a mipmap-incomplete texture would sample black.
TEST_F(RenderTargetsTest, ImagesAreReadableBeforeAnyPassRebuildsTheirMipmaps) {
    createRenderTargets();
    for (const RenderTarget* target : {&renderTargets.scene, &renderTargets.bright,
                                       &renderTargets.brightBlur, &renderTargets.compose}) {
        glBindTexture(GL_TEXTURE_2D, target->texture);
        GLint smallestWidth = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 10, GL_TEXTURE_WIDTH, &smallestWidth);
        EXPECT_EQ(smallestWidth, 1) << "the chain down to 1x1 exists";
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    deleteRenderTargets();
}

}  // namespace
}  // namespace vantor::test
