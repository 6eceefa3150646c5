// Program entry: start-up, then the main loop until Escape or a closed window.
#include "app/main_loop.hpp"

int main() {
    vantor::initialize();
    return vantor::runMainLoop();
}
