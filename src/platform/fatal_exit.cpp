// Fatal start-up exit: an optional wait for Enter on a terminal, then status -1.
#include "platform/fatal_exit.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace vantor::platform {

void pauseAndExit() {
    std::cout.flush();
    if (isatty(STDIN_FILENO)) {
        std::cout << "Press Enter to exit." << std::endl;
        int c;
        do {
            c = std::getchar();
        } while (c != '\n' && c != EOF);
    }
    std::exit(-1);
}

}  // namespace vantor::platform
