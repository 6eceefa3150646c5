#version 330 core
// A flare sprite, always turned towards the viewer: the sprite's centre goes through "MVP" and its
// corners are spread in clip space, so it keeps its size in the world but never shows its edge.
// The corners come from the texture coordinates, the size from how far the vertex lies from the
// sprite's origin.

in vec3 position;
in vec2 UV;

uniform mat4 MVP;

out vec2 uv;

// The camera's 45 degree vertical field of view over a 16:9 screen.
const vec2 projectionScale = vec2(2.4142136 / (1600.0 / 900.0), 2.4142136);

void main() {
    uv = UV;
    vec2 corner = UV * 2.0 - 1.0;
    float cornerLength = length(corner);
    float halfSize = cornerLength > 0.0 ? length(position) / cornerLength : 0.0;
    vec4 centre = MVP * vec4(0.0, 0.0, 0.0, 1.0);
    gl_Position = centre + vec4(corner * halfSize * projectionScale, 0.0, 0.0);
}
