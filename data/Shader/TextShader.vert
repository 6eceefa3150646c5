// Text overlay: maps overlay units onto the picture's 16:9 area, y from 0 to 600 up its height and x
// from 0 at its left edge, each unit of x half as wide as one of y. A character cell, square in
// units, comes out as tall and as wide as the font's own character cell, so the letters keep their
// natural shapes and spacing whatever the screen's size.
#version 330 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 vertexUV;

out vec2 UV;

const float overlayHeight = 600.0;
const float aspect = 16.0 / 9.0;
const float cellWidthOverHeight = 0.5;

void main() {
    vec2 span = vec2(overlayHeight * aspect / cellWidthOverHeight, overlayHeight);
    gl_Position = vec4(position / span * 2.0 - 1.0, 0.0, 1.0);
    UV = vertexUV;
}
