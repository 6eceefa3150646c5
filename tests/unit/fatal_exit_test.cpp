// The fatal start-up exit: status 255 at once without a terminal; on a terminal, a prompt and a
// wait for Enter first.
#include "platform/fatal_exit.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vantor::platform {
namespace {

TEST(FatalExitTest, WithoutATerminalExitsAt255WithoutWaiting) {
    EXPECT_EXIT(
        {
            freopen("/dev/null", "r", stdin);
            pauseAndExit();
        },
        testing::ExitedWithCode(255), "");
}

// Reads what the child wrote to the terminal until the text appears or a few seconds pass.
std::string readUntil(int fd, const std::string& wanted) {
    std::string seen;
    char buffer[256];
    pollfd waiting{fd, POLLIN, 0};
    while (seen.find(wanted) == std::string::npos && poll(&waiting, 1, 5000) > 0) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        seen.append(buffer, static_cast<size_t>(n));
    }
    return seen;
}

TEST(FatalExitTest, OnATerminalPromptsAndWaitsForEnter) {
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_NE(child, -1);
    if (child == 0) {
        pauseAndExit();
    }
    EXPECT_NE(readUntil(terminal, "Enter").find("Enter"), std::string::npos);

    int status = 0;
    usleep(200 * 1000);
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "exited without waiting for Enter";

    ASSERT_EQ(write(terminal, "\n", 1), 1);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
    close(terminal);
}

}  // namespace
}  // namespace vantor::platform
