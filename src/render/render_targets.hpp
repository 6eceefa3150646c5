// The off-screen render targets of the frame, grouped by role: the two-moment shadow map and the
// two steps of its blur, the scene image, and the images of the post-processing chain. Each pass
// draws at the size at which its result is read: the shadow blur halves the map, and the bright
// images are a quarter of the picture's size, their blurs working in place at a smaller level.
#pragma once

#include <GL/glew.h>

#include <array>

namespace vantor {

// One framebuffer drawing into one mip level of its colour texture and, for the two targets that
// depth-test, its depth renderbuffer (0 where there is none). Width and height are the level's.
struct RenderTarget {
    GLuint framebuffer = 0;
    GLuint texture = 0;
    GLuint depthBuffer = 0;
    GLsizei width = 0;
    GLsizei height = 0;
    GLint level = 0;
};

constexpr GLsizei shadowMapSize = 1600;
constexpr GLsizei screenWidth = 1600;
constexpr GLsizei screenHeight = 900;

// The bright images lie this many mip levels below the picture (a quarter of its size each way),
// and the blurs read and draw down to 1/32 of it, the lens flare's level: a framebuffer draws into
// each of these levels.
constexpr int brightShrinkLevels = 2;
constexpr int brightLevelCount = 4;
using BrightLevels = std::array<RenderTarget, brightLevelCount>;

struct RenderTargets {
    RenderTarget shadow;      // RG32F moments, full size; the depth pass
    RenderTarget shadowBlur;  // RG32F, half the rows; the vertical blur step
    RenderTarget shadowSoft;  // RG32F, half size; the horizontal step; the scene reads it
    RenderTarget scene;       // sky box, objects and sprite flares
    BrightLevels bright;      // [0]: bright passes; a smaller level: the odd blur steps there
    BrightLevels brightBlur;  // [0]: lens-flare features; a smaller level: the even blur steps
    RenderTarget compose;     // scene and bloom, when the screen-space lens flare follows
};

extern RenderTargets renderTargets;

// The default framebuffer, the window, as a target the passes can bind like the others. Binding
// it sets the viewport to screenViewport(), not to the nominal size given here.
constexpr RenderTarget screenTarget{0, 0, 0, screenWidth, screenHeight, 0};

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

// Creates the targets in role order; an incomplete one is reported and kept in use. Leaves
// framebuffer 0 bound and no 2D texture bound on the active unit.
void createRenderTargets();
// Deletes every framebuffer, colour texture and depth renderbuffer made by createRenderTargets.
void deleteRenderTargets();

// Binds the target and sets the viewport to its size, or to screenViewport() for the screen.
void bindTarget(const RenderTarget& target);

}  // namespace vantor
