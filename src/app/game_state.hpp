// The game state the main loop shows: the frame rate and whether the goal has been reached.
// The world update writes both; the overlay reads them.
#pragma once

namespace vantor {

extern double fps;
extern bool gameWon;

}  // namespace vantor
