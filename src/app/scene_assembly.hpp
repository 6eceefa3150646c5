// Start-up assembly of the scene and its release at shutdown.
#pragma once

namespace vantor {

void assembleScene();
void cleanUp();

}  // namespace vantor
