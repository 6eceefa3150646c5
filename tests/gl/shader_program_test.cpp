// ShaderProgram: a valid pair links with fragColor at colour 0; every failure prints its exact
// lines and ends the process with 255 without waiting, checked in a re-executed child process.
#include "assets/shader_program.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

using scene::ShaderProgram;

const std::string shaderDir = std::string(VANTOR_FIXTURES_DIR) + "/shaders/";
const std::string validVert = shaderDir + "valid.vert";
const std::string validFrag = shaderDir + "valid.frag";
const std::string missingFile = shaderDir + "does_not_exist.glsl";

class ShaderProgramTest : public GlTest {
  protected:
    static void SetUpTestSuite() {
        // A forked child would share the parent's display connection and driver threads; a
        // re-executed one opens its own context.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        GlTest::SetUpTestSuite();
    }

    void SetUp() override {
        GlTest::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        outputPath = ::testing::TempDir() + "shader_program_" + info->name() + ".out";
        std::remove(outputPath.c_str());
    }

    // Runs in the death-test child: standard output goes to a file the parent reads back, and
    // standard input is not a terminal, so the fatal exit must not wait.
    void buildRedirected(const std::string& vertexPath, const std::string& fragmentPath) {
        std::fflush(stdout);
        const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        dup2(out, STDOUT_FILENO);
        dup2(in, STDIN_FILENO);
        const ShaderProgram shader(vertexPath, fragmentPath);
        std::exit(0);  // not reached when building fails
    }

    std::string childOutput() const {
        std::ifstream file(outputPath);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string outputPath;
};

TEST_F(ShaderProgramTest, ValidSourcesLinkWithFragColorAtColourZero) {
    testing::internal::CaptureStdout();
    auto* shader = new ShaderProgram(validVert, shaderDir + "two_outputs.frag");
    const std::string output = testing::internal::GetCapturedStdout();

    EXPECT_EQ(output, "loading shader: " + validVert + "\nloading shader: " + shaderDir +
                          "two_outputs.frag\n");
    ASSERT_NE(shader->program, 0u);
    GLint linked = GL_FALSE;
    glGetProgramiv(shader->program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    EXPECT_EQ(glGetFragDataLocation(shader->program, "fragColor"), 0);

    // Both stages stay attached for the program's life.
    GLint attached = 0;
    glGetProgramiv(shader->program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
    EXPECT_TRUE(glIsShader(shader->vertexShader));
    EXPECT_TRUE(glIsShader(shader->fragmentShader));

    const GLuint program = shader->program;
    const GLuint vertexShader = shader->vertexShader;
    const GLuint fragmentShader = shader->fragmentShader;
    delete shader;
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsShader(vertexShader));
    EXPECT_FALSE(glIsShader(fragmentShader));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderProgramTest, MissingVertexFileEndsWith255) {
    EXPECT_EXIT(buildRedirected(missingFile, validFrag), ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(childOutput(), "loading shader: " + missingFile + "\nfailed to open shader file\n");
}

TEST_F(ShaderProgramTest, MissingFragmentFileIsReportedAfterTheVertexFileCompiled) {
    EXPECT_EXIT(buildRedirected(validVert, missingFile), ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(childOutput(), "loading shader: " + validVert + "\nloading shader: " + missingFile +
                                 "\nfailed to open shader file\n");
}

TEST_F(ShaderProgramTest, VertexCompileErrorPrintsTheLogBeforeTheFragmentFileIsOpened) {
    const std::string brokenVert = shaderDir + "syntax_error.vert";
    EXPECT_EXIT(buildRedirected(brokenVert, missingFile), ::testing::ExitedWithCode(255), "");
    const std::string output = childOutput();
    const std::string head = "loading shader: " + brokenVert + "\nFailed to compile shader\n";
    ASSERT_EQ(output.substr(0, head.size()), head) << output;
    const std::string log = output.substr(head.size());
    EXPECT_NE(log.find("error"), std::string::npos) << log;
    EXPECT_EQ(log.back(), '\n');
    EXPECT_EQ(log.find('\0'), std::string::npos) << "the log's terminating NUL was printed";
    EXPECT_EQ(output.find(missingFile), std::string::npos);
}

TEST_F(ShaderProgramTest, EmptyFileIsReadAndHandedToTheCompiler) {
    const std::string emptyFrag = shaderDir + "empty.frag";
    EXPECT_EXIT(buildRedirected(validVert, emptyFrag), ::testing::ExitedWithCode(255), "");
    const std::string head = "loading shader: " + validVert + "\nloading shader: " + emptyFrag +
                             "\nFailed to compile shader\n";
    const std::string output = childOutput();
    EXPECT_EQ(output.substr(0, head.size()), head) << output;
}

TEST_F(ShaderProgramTest, LinkErrorPrintsTheProgramLog) {
    const std::string noMainVert = shaderDir + "no_main.vert";
    EXPECT_EXIT(buildRedirected(noMainVert, validFrag), ::testing::ExitedWithCode(255), "");
    const std::string output = childOutput();
    const std::string head = "loading shader: " + noMainVert + "\nloading shader: " + validFrag +
                             "\nFailed to link shader program\n";
    ASSERT_EQ(output.substr(0, head.size()), head) << output;
    EXPECT_GT(output.size(), head.size() + 1) << "the program's info log is missing";
    EXPECT_EQ(output.back(), '\n');
}

}  // namespace
}  // namespace vantor::test
