// The end of a fatal start-up error: wait for the player to read the message, then exit with -1.
#pragma once

namespace vantor::platform {

// Waits for Enter when standard input is a terminal (a console's "press a key" prompt has no
// equivalent here otherwise), then ends the process with status -1 (255 in the shell).
[[noreturn]] void pauseAndExit();

}  // namespace vantor::platform
