// The real start-up assembly on small level files: what lands in the registry, in which order,
// who is whose child, how a course without a goal or without a level file is handled, and that
// cleanUp releases every object exactly once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/character.hpp"
#include "app/end_platform.hpp"
#include "app/flag.hpp"
#include "app/game_state.hpp"
#include "app/platform.hpp"
#include "app/player_controller.hpp"
#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "app/world_update.hpp"
#include "assets/shader_program.hpp"
#include "gl/support/gl_test.hpp"
#include "platform/scripted_input.hpp"
#include "scene/camera.hpp"
#include "scene/lens_flare.hpp"
#include "scene/light.hpp"
#include "scene/skybox.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;
using scene::vec3;

// A working folder that looks like data/ but holds its own level file (or none).
class ScratchData {
  public:
    explicit ScratchData(const char* levelText) {
        char name[] = "/tmp/vantor_data_XXXXXX";
        root_ = mkdtemp(name);
        const fs::path data(VANTOR_DATA_DIR);
        fs::create_directory_symlink(data / "Shader", root_ / "Shader");
        fs::create_directory(root_ / "Models");
        for (const fs::directory_entry& entry : fs::directory_iterator(data / "Models")) {
            if (entry.path().filename() != "level.lvl") {
                fs::create_symlink(entry.path(), root_ / "Models" / entry.path().filename());
            }
        }
        if (levelText != nullptr) {
            std::ofstream(root_ / "Models" / "level.lvl") << levelText;
        }
        previous_ = fs::current_path();
        fs::current_path(root_);
    }
    ~ScratchData() {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }
    ScratchData(const ScratchData&) = delete;
    ScratchData& operator=(const ScratchData&) = delete;

  private:
    fs::path root_;
    fs::path previous_;
};

class SceneAssembly : public GlTest {
  protected:
    // Returns what the assembly wrote to standard output.
    std::string assemble(const char* levelText) {
        data_ = std::make_unique<ScratchData>(levelText);
        platform::useScriptedInput(&input);
        ::testing::internal::CaptureStdout();
        assembleScene();
        return ::testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        if (registry.character != nullptr) {
            cleanUp();
        }
        platform::useScriptedInput(nullptr);
        data_.reset();
        gameWon = false;
    }

    platform::ScriptedInput input;

  private:
    std::unique_ptr<ScratchData> data_;
};

TEST_F(SceneAssembly, ThreePlatformsAndAGoalFillTheListsInOrder) {
    assemble("p 1/0/0 0/0/0 1/1/1\np 2/0/0 0/0/0 1/1/1\np 3/0/0 0/0/0 1/1/1\ne 4/0/0 1/1/1\n");
    Registry& r = registry;
    ASSERT_EQ(r.drawList.size(), 6u);
    ASSERT_EQ(r.platforms.size(), 4u);
    EXPECT_EQ(r.drawList.front(), r.character);
    auto* flag = dynamic_cast<scene::Flag*>(r.drawList.back());
    ASSERT_NE(flag, nullptr);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.drawList[1 + i], r.platforms[i]);
    }
    EXPECT_FLOAT_EQ(r.platforms[0]->getModelMatrix().position().x, 1.0f);
    EXPECT_FLOAT_EQ(r.platforms[2]->getModelMatrix().position().x, 3.0f);
    EXPECT_EQ(r.platforms[3], r.endPlatform);
    EXPECT_FLOAT_EQ(r.endPlatform->getModelMatrix().position().x, 6.0f);
    EXPECT_EQ(flag->parent, r.endPlatform);
    EXPECT_EQ(r.endPlatform->children.count(flag), 1u);
}

TEST_F(SceneAssembly, ARecordPlacesItsCloudScaledThenMoved) {
    assemble("p 5/0/-3 0/0/0 2/1/2\ne 20/0/-20 1/1/1\n");
    const scene::mat4 expected(scene::vec4(2, 0, 0, 0), scene::vec4(0, 1, 0, 0),
                               scene::vec4(0, 0, 2, 0), scene::vec4(5, 0, -3, 1));
    EXPECT_EQ(registry.platforms[0]->getModelMatrix(), expected);
    EXPECT_EQ(registry.platforms[0]->velocity, vec3(0, 0, 0));
}

TEST_F(SceneAssembly, TheFigureCarriesCameraLightAndSkyAndTheLightCarriesTheFlares) {
    assemble("p 0/0/0 0/0/0 3/1/3\ne 20/0/-20 1/1/1\n");
    Registry& r = registry;
    EXPECT_EQ(r.character->getModelMatrix().position(), vec3(0, 4, 0));
    EXPECT_EQ(r.character->children.size(), 3u);
    EXPECT_EQ(r.camera->parent, r.character);
    EXPECT_EQ(r.light->parent, r.character);
    EXPECT_EQ(r.skybox->parent, r.character);
    // The camera's own reset puts it behind and above the figure.
    const vec3 camera = r.camera->getModelMatrix().position();
    EXPECT_GT(camera.y, 4.0f);
    EXPECT_GT(camera.z, 0.0f);

    ASSERT_EQ(r.flareList.size(), 4u);
    const scene::LensFlare* order[] = {r.bigGlow, r.smallGlow, r.hexaGlow, r.shinyGlow};
    const float factors[] = {0.15f, 0.175f, 0.285f, 0.39f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.flareList[i], order[i]);
        EXPECT_FLOAT_EQ(r.flareList[i]->positionFactor, factors[i]);
        EXPECT_EQ(r.flareList[i]->parent, r.light);
    }
    EXPECT_EQ(r.light->children.size(), 4u);
    EXPECT_EQ(r.bigGlow->color, vec3(1, 0, 0));
    EXPECT_EQ(r.smallGlow->color, vec3(0, 1, 0));
    EXPECT_EQ(r.hexaGlow->color, vec3(0, 0, 1));

    EXPECT_NE(r.controller, nullptr);
    EXPECT_FLOAT_EQ(r.controller->cameraPitch, -20.0f);
    EXPECT_NE(r.screenQuad, nullptr);
    EXPECT_NE(r.normalMapTexture, 0u);
    EXPECT_NE(r.normalMapTexture, 0xFFFFFFFFu);
    for (scene::ShaderProgram* program :
         {r.shadowMappingShader, r.skyboxShader, r.depthShader, r.blurXShader, r.blurYShader,
          r.flareSpriteShader, r.lensFlareShader, r.lensCombineShader, r.bloomShader,
          r.brightPassShader}) {
        ASSERT_NE(program, nullptr);
        EXPECT_TRUE(glIsProgram(program->program));
    }
}

TEST_F(SceneAssembly, CleanUpReleasesEveryObjectOnce) {
    assemble("p 0/0/0 0/0/0 3/1/3\np 9/0/0 0/0/0 3/1/3\np 0/0/9 0/0/0 3/1/3\ne 9/0/9 1/1/1\n");
    Registry& r = registry;
    // Each platform owns buffers of its own; all are gone once cleanUp has run, and a platform
    // destroyed twice (it is in two lists) would be a double free.
    std::vector<GLuint> buffers;
    for (scene::VisibleObject* object : r.drawList) {
        ASSERT_FALSE(object->meshes.empty());
        buffers.push_back(object->meshes.front()->vertexBuffer);
    }
    const GLuint program = r.depthShader->program;
    const GLuint normalMap = r.normalMapTexture;
    cleanUp();
    for (GLuint buffer : buffers) {
        EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
    }
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsTexture(normalMap));
    EXPECT_TRUE(r.drawList.empty());
    EXPECT_TRUE(r.platforms.empty());
    EXPECT_TRUE(r.flareList.empty());
    EXPECT_EQ(r.character, nullptr);
    EXPECT_EQ(r.endPlatform, nullptr);
    EXPECT_EQ(r.depthShader, nullptr);
}

TEST_F(SceneAssembly, ACourseWithoutGoalSaysSoAndRunsWithoutFlag) {
    const std::string output = assemble("# only one cloud\np 0/0/0 0/0/0 3/1/3\n");
    EXPECT_NE(
        output.find("Models/level.lvl: no goal record (e): the course has no goal and no flag\n"),
        std::string::npos)
        << output;
    EXPECT_EQ(registry.endPlatform, nullptr);
    ASSERT_EQ(registry.drawList.size(), 2u);
    EXPECT_EQ(dynamic_cast<scene::Flag*>(registry.drawList.back()), nullptr);
    for (int i = 0; i < 90; ++i) {
        updateWorld(1.0 / 60.0);
    }
    EXPECT_TRUE(registry.character->onGround);
    EXPECT_FALSE(gameWon);
}

TEST_F(SceneAssembly, AMissingLevelFileIsReportedAndNothingIsBuilt) {
    const std::string output = assemble(nullptr);
    EXPECT_NE(output.find("Could not open File: Models/level.lvl\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("no goal record"), std::string::npos) << "one message is enough";
    EXPECT_EQ(registry.drawList.size(), 1u);
    EXPECT_TRUE(registry.platforms.empty());
    EXPECT_EQ(registry.endPlatform, nullptr);
    updateWorld(1.0 / 60.0);
}

TEST_F(SceneAssembly, OfTwoGoalsTheLastWinsAndCarriesTheFlag) {
    assemble("e -8/0/0 4/1/4\ne 0/0/-30 1/1/1\n");  // the first starts under the figure
    Registry& r = registry;
    ASSERT_EQ(r.platforms.size(), 2u);
    EXPECT_EQ(r.endPlatform, r.platforms[1]);
    auto* first = dynamic_cast<scene::EndPlatform*>(r.platforms[0]);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->moving);
    auto* flag = dynamic_cast<scene::Flag*>(r.drawList.back());
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->parent, r.platforms[1]);

    // The figure lands on the first goal: it stands there, but that is not the win.
    for (int i = 0; i < 60; ++i) {
        updateWorld(1.0 / 60.0);
    }
    EXPECT_TRUE(r.character->onGround);
    EXPECT_EQ(r.character->parent, first);
    EXPECT_FALSE(gameWon);
}

}  // namespace
}  // namespace vantor::test
