// Text overlay: maps overlay units (x 0..800, y 0..600 upwards) onto the whole window.
#version 330 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 vertexUV;

out vec2 UV;

const vec2 overlaySize = vec2(800.0, 600.0);

void main() {
    gl_Position = vec4(position / overlaySize * 2.0 - 1.0, 0.0, 1.0);
    UV = vertexUV;
}
