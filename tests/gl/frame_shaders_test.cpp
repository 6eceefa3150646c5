// Every program of the frame builds from the shipped sources, writes "fragColor", and declares the
// uniforms the passes set with the types they set them with (a type mismatch would make the set
// fail silently at run time).
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "assets/shader_program.hpp"
#include "gl/support/gl_test.hpp"

namespace vantor::test {
namespace {

struct UniformSpec {
    const char* name;
    GLenum type;
    bool used;  // false: the shader may leave it out, but if present it must have this type
};

struct ProgramSpec {
    const char* vertex;
    const char* fragment;
    std::vector<const char*> attributes;
    std::vector<UniformSpec> uniforms;
};

const std::vector<UniformSpec> screenBlur = {
    {"toBlur", GL_SAMPLER_2D, true}, {"texelSize", GL_FLOAT, true}, {"mipMap", GL_INT, true}};

const std::vector<ProgramSpec> framePrograms = {
    {"ShadowMapping.vert",
     "ShadowMapping.frag",
     {"position", "normal", "tangent", "UV"},
     {{"MVP", GL_FLOAT_MAT4, true},
      {"MV", GL_FLOAT_MAT4, true},
      {"M", GL_FLOAT_MAT4, false},
      {"V", GL_FLOAT_MAT4, true},
      {"DepthBiasMVP", GL_FLOAT_MAT4, true},
      {"normalMatrix", GL_FLOAT_MAT3, true},
      {"LightInvDirection", GL_FLOAT_VEC3, true},
      {"shadowMap", GL_SAMPLER_2D, true},
      {"normalMap", GL_SAMPLER_2D, true},
      {"texture0", GL_SAMPLER_2D, true}}},
    {"skyBox.vert",
     "skybox.frag",
     {"position", "UV"},
     {{"MVP", GL_FLOAT_MAT4, true}, {"texture0", GL_SAMPLER_2D, true}}},
    {"depthShader.vert",
     "depthShader.frag",
     {"position"},
     {{"dMV", GL_FLOAT_MAT4, false}, {"dMVP", GL_FLOAT_MAT4, true}}},
    {"passthrough.vert", "blurShaderX.frag", {"UV"}, screenBlur},
    {"passthrough.vert", "blurShaderY.frag", {"UV"}, screenBlur},
    {"ovinFlare.vert",
     "ovinFlare.frag",
     {"position", "UV"},
     {{"MVP", GL_FLOAT_MAT4, true},
      {"color", GL_FLOAT_VEC3, true},
      {"texture0", GL_SAMPLER_2D, true}}},
    {"passthrough.vert", "LensFlare.frag", {"UV"}, {}},
    {"passthrough.vert",
     "LensCombine.frag",
     {"UV"},
     {{"uInputTex", GL_SAMPLER_2D, true}, {"uLensFlareTex", GL_SAMPLER_2D, true}}},
    {"passthrough.vert",
     "bloom.frag",
     {"UV"},
     {{"postProTexture", GL_SAMPLER_2D, true},
      {"bloomTexture", GL_SAMPLER_2D, true},
      {"BlendMode", GL_INT, true}}},
    {"passthrough.vert",
     "brightPass.frag",
     {"UV"},
     {{"postProTexture", GL_SAMPLER_2D, true}, {"threshold", GL_FLOAT, true}}},
};

std::map<std::string, GLenum> activeUniforms(GLuint program) {
    std::map<std::string, GLenum> uniforms;
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[128] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type,
                           name);
        uniforms[name] = type;
    }
    return uniforms;
}

class FrameShadersTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        char buffer[PATH_MAX];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        previous = buffer;
        ASSERT_EQ(chdir(VANTOR_DATA_DIR), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(previous.c_str()), 0); }

    std::string previous;
};

TEST_F(FrameShadersTest, EveryProgramBuildsWithTheUniformsThePassesSet) {
    for (const ProgramSpec& entry : framePrograms) {
        SCOPED_TRACE(std::string(entry.vertex) + " + " + entry.fragment);
        // A failure to build ends the process with the compiler's log.
        scene::ShaderProgram shader(std::string("Shader/") + entry.vertex,
                                    std::string("Shader/") + entry.fragment);
        const GLuint program = shader.program;
        EXPECT_EQ(glGetFragDataLocation(program, "fragColor"), 0);
        for (const char* attribute : entry.attributes) {
            EXPECT_GE(glGetAttribLocation(program, attribute), 0) << attribute;
        }
        const std::map<std::string, GLenum> uniforms = activeUniforms(program);
        for (const UniformSpec& uniform : entry.uniforms) {
            const auto found = uniforms.find(uniform.name);
            if (found == uniforms.end()) {
                EXPECT_FALSE(uniform.used) << uniform.name << " is set but not used";
                continue;
            }
            EXPECT_EQ(found->second, uniform.type) << uniform.name;
        }
        if (entry.uniforms.empty()) {
            // The lens-flare feature pass gets no uniforms: its one sampler reads unit 0.
            ASSERT_EQ(uniforms.size(), 1u);
            EXPECT_EQ(uniforms.begin()->second, static_cast<GLenum>(GL_SAMPLER_2D));
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace vantor::test
