// The six off-screen render targets of the frame, grouped by role: the two-moment shadow map and
// its blur partner, the scene image, and the three images of the post-processing chain.
#pragma once

#include <GL/glew.h>

namespace vantor {

// One framebuffer with its colour texture and, for the two targets that depth-test, its depth
// renderbuffer (0 where there is none).
struct RenderTarget {
    GLuint framebuffer = 0;
    GLuint texture = 0;
    GLuint depthBuffer = 0;
    GLsizei width = 0;
    GLsizei height = 0;
};

struct RenderTargets {
    RenderTarget shadow;      // RG32F moments; depth pass, second shadow blur
    RenderTarget shadowBlur;  // RG32F; first shadow blur
    RenderTarget scene;       // sky box, objects and sprite flares
    RenderTarget bright;      // bright passes, odd blur passes
    RenderTarget brightBlur;  // even blur passes, lens-flare features
    RenderTarget compose;     // scene and bloom, when the screen-space lens flare follows
};

constexpr GLsizei shadowMapSize = 1600;
constexpr GLsizei screenWidth = 1600;
constexpr GLsizei screenHeight = 900;

extern RenderTargets renderTargets;

// The default framebuffer, the window, as a target the passes can bind like the others. Binding
// it sets the viewport to screenViewport(), not to the nominal size given here.
constexpr RenderTarget screenTarget{0, 0, 0, screenWidth, screenHeight};

struct Viewport {
    GLint x = 0;
    GLint y = 0;
    GLsizei width = 0;
    GLsizei height = 0;
};

// The largest rectangle of the images' 16:9 shape centred in a framebuffer of the given size.
Viewport letterbox(int framebufferWidth, int framebufferHeight);
// Where the picture goes in the window: the letterbox of the framebuffer full screen really gave
// (of the nominal 1600 x 900 while no window is open).
Viewport screenViewport();

// Creates the six targets in role order; an incomplete one is reported and kept in use. Leaves
// framebuffer 0 bound and no 2D texture bound on the active unit.
void createRenderTargets();
// Deletes every framebuffer, colour texture and depth renderbuffer made by createRenderTargets.
void deleteRenderTargets();

// Binds the target and sets the viewport to its size, or to screenViewport() for the screen.
void bindTarget(const RenderTarget& target);

}  // namespace vantor
