// Start-up assembly of the scene into the registry, and its release at shutdown.
#pragma once

namespace vantor {

// Programs, figure with light, camera, controller and sky box, text overlay, flare sprites,
// normal map, screen quad, the level's platforms and goal, and the flag on the goal.
void assembleScene();
// Render targets and normal map, programs, controller, camera, light, screen quad, sky box,
// flares, then everything in drawList, each object once.
void cleanUp();

}  // namespace vantor
