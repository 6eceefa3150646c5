// The text overlay: each printText call builds one line's glyph quads on the CPU, uploads them
// into the two shared buffers and draws them in one call with alpha blending.
#include "render/text_overlay.hpp"

#include <iostream>

#include "assets/shader_program.hpp"
#include "assets/texture_loader.hpp"

namespace vantor {

TextOverlay textOverlay;

namespace {

constexpr const char* fontImagePath = "Models/Holstein.tga";
constexpr const char* textVertexShaderPath = "Shader/TextShader.vert";
constexpr const char* textFragmentShaderPath = "Shader/TextShader.frag";
constexpr const char* fontSamplerName = "myTextureSampler";

// The font image is a 16x16 grid of equal cells, rows counted from its top.
constexpr int fontGridCells = 16;
constexpr float fontCellSpan = 1.0f / fontGridCells;
constexpr GLuint positionAttribute = 0;
constexpr GLuint uvAttribute = 1;

void uploadPoints(GLuint buffer, const std::vector<TextPoint>& points) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(points.size() * sizeof(TextPoint)),
                 points.data(), GL_STATIC_DRAW);
}

void bindPointAttribute(GLuint attribute, GLuint buffer) {
    glEnableVertexAttribArray(attribute);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(attribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
}

}  // namespace

static_assert(sizeof(TextPoint) == 2 * sizeof(float), "the GL attributes read packed float pairs");

TextQuads buildTextQuads(const char* text, int x, int y, int size) {
    TextQuads quads;
    for (int i = 0; text[i] != '\0'; ++i) {
        const float left = static_cast<float>(x + i * size);
        const float right = static_cast<float>(x + (i + 1) * size);
        const float bottom = static_cast<float>(y);
        const float top = static_cast<float>(y + size);

        // char is signed here: read the byte as 0..255 so that row code/16 stays within 0..15.
        const int code = static_cast<unsigned char>(text[i]);
        const int column = code % fontGridCells;
        const int row = code / fontGridCells;
        const float u0 = static_cast<float>(column) / fontGridCells;
        const float u1 = u0 + fontCellSpan;
        const float vTop = 1.0f - static_cast<float>(row) / fontGridCells;
        const float vBottom = 1.0f - (static_cast<float>(row) / fontGridCells + fontCellSpan);

        quads.positions.insert(quads.positions.end(), {{left, top},
                                                       {left, bottom},
                                                       {right, top},
                                                       {right, bottom},
                                                       {right, top},
                                                       {left, bottom}});
        quads.uvs.insert(
            quads.uvs.end(),
            {{u0, vTop}, {u0, vBottom}, {u1, vTop}, {u1, vBottom}, {u1, vTop}, {u0, vBottom}});
    }
    return quads;
}

GLuint loadFontTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (!loadTextureLevel0(fontImagePath)) {
        // Without level 0 the texture would be incomplete, sample as opaque black and fail its
        // mipmap generation; one clear texel keeps it complete, so text simply does not show.
        std::cout << "The font for printText was not successfully opened " << fontImagePath
                  << " (no text is shown)" << std::endl;
        const GLubyte clearTexel[4] = {0, 0, 0, 0};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, clearTexel);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    return texture;
}

void initText() {
    // The resources live until the process ends, so a second assembly in the same process (the
    // tests assemble several times) keeps the first set instead of leaking another.
    if (textOverlay.textShader != nullptr) {
        return;
    }
    textOverlay.fontTexture = loadFontTexture();
    glGenVertexArrays(1, &textOverlay.textVao);
    glBindVertexArray(textOverlay.textVao);
    glGenBuffers(1, &textOverlay.textVertexBuffer);
    glGenBuffers(1, &textOverlay.textUvBuffer);
    textOverlay.textShader = new scene::ShaderProgram(textVertexShaderPath, textFragmentShaderPath);
    textOverlay.textSamplerLocation =
        glGetUniformLocation(textOverlay.textShader->program, fontSamplerName);
    glBindVertexArray(0);
}

void printText(const char* text, int x, int y, int size) {
    glBindVertexArray(textOverlay.textVao);
    const TextQuads quads = buildTextQuads(text, x, y, size);
    uploadPoints(textOverlay.textVertexBuffer, quads.positions);
    uploadPoints(textOverlay.textUvBuffer, quads.uvs);

    glUseProgram(textOverlay.textShader->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textOverlay.fontTexture);
    glUniform1i(textOverlay.textSamplerLocation, 0);

    bindPointAttribute(positionAttribute, textOverlay.textVertexBuffer);
    bindPointAttribute(uvAttribute, textOverlay.textUvBuffer);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(quads.positions.size()));
    glDisable(GL_BLEND);

    glDisableVertexAttribArray(positionAttribute);
    glDisableVertexAttribArray(uvAttribute);
    glBindVertexArray(0);
}

}  // namespace vantor
