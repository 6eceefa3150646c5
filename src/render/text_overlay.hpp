// The text overlay: lines of text drawn over the finished frame from a 16x16 grid bitmap font.
// The geometry is built on the CPU per call; the GL resources live until the process ends.
#pragma once

#include <GL/glew.h>

#include <vector>

namespace vantor {

namespace scene {
class ShaderProgram;
}

// Overlay units: y from 0 to 600 (upwards) spans the picture's height and x starts at its left
// edge, each unit of x half as wide as one of y (the shape of the font's character cell), so a
// 16:9 picture is about 2133 units wide. Every line the game prints lies within x <= 800.
constexpr int overlayHeight = 600;

struct TextOverlay {
    GLuint fontTexture = 0;
    GLuint textVao = 0;
    GLuint textVertexBuffer = 0;
    GLuint textUvBuffer = 0;
    scene::ShaderProgram* textShader = nullptr;
    GLint textSamplerLocation = -1;
};

extern TextOverlay textOverlay;

struct TextPoint {
    float x;
    float y;
};

// Six positions and six texture coordinates per character: two triangles per glyph quad.
struct TextQuads {
    std::vector<TextPoint> positions;
    std::vector<TextPoint> uvs;
};

// The quads of one line with its first cell's bottom-left corner at (x, y); cells are size x size
// and follow each other to the right. Bytes are read as unsigned codes 0..255, so every code,
// including those above 127, selects a cell inside the grid.
TextQuads buildTextQuads(const char* text, int x, int y, int size);

// Makes the font texture, the vertex array, the two buffers and the text program, once per
// process: later calls keep the first set.
void initText();
// Reads "Models/Holstein.tga" into a new mipmapped texture and returns its name. A font that
// cannot be read is reported with its path and yields a complete, fully transparent texture.
GLuint loadFontTexture();
// Draws one line into the bound framebuffer in overlay units.
void printText(const char* text, int x, int y, int size);

}  // namespace vantor
