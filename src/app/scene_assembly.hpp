// Start-up assembly of the scene into the registry, and its release at shutdown.
#pragma once

namespace vantor {

// Programs, figure with light, camera, controller and sky box, text overlay, flare sprites,
// normal map, screen quad, the level's platforms and goal, and the flag on the goal.
void assembleScene();
// Render targets and normal map, programs, controller, camera, light, screen quad, sky box,
// flares, then everything in drawList, each object once.
void cleanUp();

// The steps of the assembly that make the world but no render resources of their own, so that
// tests can build and run the world without the renderer.
// The character at its start, with the light, the camera and the sky box as its children, and
// the steering controller.
void assembleFigure();
// The four flare sprites, children of the light.
void assembleFlares();
// The level's platforms and goal, then the flag on the goal (none when the level has no goal).
void assembleCourse(const char* levelPath);

}  // namespace vantor
