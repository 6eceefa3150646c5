// Helpers for the game's GL suites: running in the data folder (models are found relative to
// it), a level file written for one test, and a world built into the registry from it with the
// real assembly steps, without the renderer's programs and targets.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/player_controller.hpp"
#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "gl/support/gl_test.hpp"
#include "platform/scripted_input.hpp"
#include "scene/math.hpp"

namespace vantor::test {

class InDataDirectory {
  public:
    InDataDirectory() {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer) != nullptr) {
            previous_ = buffer;
        }
        EXPECT_EQ(chdir(VANTOR_DATA_DIR), 0) << VANTOR_DATA_DIR;
    }
    ~InDataDirectory() {
        if (!previous_.empty()) {
            EXPECT_EQ(chdir(previous_.c_str()), 0);
        }
    }
    InDataDirectory(const InDataDirectory&) = delete;
    InDataDirectory& operator=(const InDataDirectory&) = delete;

  private:
    std::string previous_;
};

// A level file in the temporary folder, removed again at the end of the test.
class LevelFile {
  public:
    explicit LevelFile(const std::string& text) {
        char name[] = "/tmp/vantor_level_XXXXXX";
        const int fd = mkstemp(name);
        EXPECT_NE(fd, -1);
        close(fd);
        path_ = name;
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~LevelFile() { std::remove(path_.c_str()); }
    LevelFile(const LevelFile&) = delete;
    LevelFile& operator=(const LevelFile&) = delete;

    const char* path() const { return path_.c_str(); }

  private:
    std::string path_;
};

// The world of the game from a level text, driven by scripted input. Torn down by cleanUp.
class GameWorldTest : public GlTest {
  protected:
    void buildWorld(const std::string& levelText) {
        level_ = std::make_unique<LevelFile>(levelText);
        platform::useScriptedInput(&input);
        assembleFigure();
        assembleFlares();
        assembleCourse(level_->path());
        // The pointer rests at the centre, as the main loop leaves it before the first frame.
        input.mouseX = registry.controller->windowWidth / 2;
        input.mouseY = registry.controller->windowHeight / 2;
    }

    void TearDown() override {
        cleanUp();
        platform::useScriptedInput(nullptr);
    }

    InDataDirectory inData;
    platform::ScriptedInput input;

  private:
    std::unique_ptr<LevelFile> level_;
};

}  // namespace vantor::test
