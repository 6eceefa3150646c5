// The kept frame: one colour renderbuffer the size of the window's framebuffer, copied to and
// from the back buffer with framebuffer blits. Made on first use, released at shutdown.
#include "render/kept_frame.hpp"

#include <GL/glew.h>

#include "platform/platform.hpp"

namespace vantor {

namespace {

struct KeptFrame {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLint width = 0;
    GLint height = 0;
    bool holdsFrame = false;
};

KeptFrame kept;

void makeKeptFrame(GLint width, GLint height) {
    releaseKeptFrame();
    glGenRenderbuffers(1, &kept.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, kept.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &kept.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, kept.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, kept.colour);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    kept.width = width;
    kept.height = height;
}

// Blits colour only; the scissor test would clip a blit, so it is off for the copy.
void copyColour(GLuint from, GLuint to) {
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    glBlitFramebuffer(0, 0, kept.width, kept.height, 0, 0, kept.width, kept.height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (scissor) {
        glEnable(GL_SCISSOR_TEST);
    }
}

}  // namespace

void keepFinishedFrame() {
    int width = 0;
    int height = 0;
    platform::getFramebufferSize(&width, &height);
    if (kept.framebuffer == 0 || width != kept.width || height != kept.height) {
        makeKeptFrame(width, height);
    }
    copyColour(0, kept.framebuffer);
    kept.holdsFrame = true;
}

void restoreFinishedFrame() {
    if (!kept.holdsFrame) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    copyColour(kept.framebuffer, 0);
}

void releaseKeptFrame() {
    if (kept.framebuffer != 0) {
        glDeleteFramebuffers(1, &kept.framebuffer);
    }
    if (kept.colour != 0) {
        glDeleteRenderbuffers(1, &kept.colour);
    }
    kept = KeptFrame{};
}

}  // namespace vantor
