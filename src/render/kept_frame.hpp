// A copy of the last finished frame (before the overlay), shown again while the game is paused.
// Paused frames draw no scene, and the back buffer after a swap holds nothing defined, so the
// overlay would otherwise land on stale or undefined pixels.
#pragma once

namespace vantor {

// Copies the default framebuffer's back buffer into the kept frame.
void keepFinishedFrame();
// Puts the kept frame back into the back buffer, or the clear colour if none was kept yet.
void restoreFinishedFrame();
void releaseKeptFrame();

}  // namespace vantor
