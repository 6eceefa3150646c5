// Test fixture for suites that need GL: one hidden 1600x900 3.3 core context per test process,
// opened on first use and current for every test. Needs a display (Xvfb in CI).
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace vantor::test {

constexpr int contextWidth = 1600;
constexpr int contextHeight = 900;

class GlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

// Opens the process's hidden context if it is not open yet; ends the process when none can be made.
void ensureGlContext();

}  // namespace vantor::test
