#version 330 core
// Floor stand-in for the depth vertex stage: the position as the light sees it.

in vec3 position;

uniform mat4 dMVP;

void main() {
    gl_Position = dMVP * vec4(position, 1.0);
}
