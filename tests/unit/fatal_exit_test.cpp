// The fatal start-up exit on a terminal: a prompt, a wait for Enter, then status 255 (-1).
#include "platform/fatal_exit.hpp"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace vantor::platform {
namespace {

TEST(FatalExit, OnATerminalPromptsAndExitsAt255OnlyAfterEnter) {
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_NE(child, -1);
    if (child == 0)
        pauseAndExit();
    std::string seen;
    char buffer[256];
    for (ssize_t n = 1; n > 0 && seen.find("Enter") == std::string::npos;) {
        n = read(terminal, buffer, sizeof buffer);
        seen.append(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    EXPECT_NE(seen.find("Press Enter"), std::string::npos) << seen;
    // The child's state in /proc: 'S' while it sleeps in the read of Enter, 'Z' once it exited.
    char state = '?';
    for (int look = 0; look < 1000000 && state != 'S' && state != 'Z'; ++look) {
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string line;
        std::getline(stat, line);
        state = line.size() > line.rfind(')') + 2 ? line[line.rfind(')') + 2] : '?';
    }
    EXPECT_EQ(state, 'S') << "exited without waiting for Enter";
    int status = 0;
    ASSERT_EQ(write(terminal, "\n", 1), 1);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255) << status;
    close(terminal);
}

}  // namespace
}  // namespace vantor::platform
