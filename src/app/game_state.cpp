// The one shared instance of the game state.
#include "app/game_state.hpp"

namespace vantor {

double fps = 0.0;
bool gameWon = false;

}  // namespace vantor
