#version 330 core
// Vertex stage of every full-screen pass. The screen quad's texture coordinates decide both where a
// corner lands and what it samples, so the image can never come out mirrored whatever the quad file
// does with its positions or its v axis.

in vec2 UV;

out vec2 uv;

void main() {
    uv = UV;
    gl_Position = vec4(UV * 2.0 - 1.0, 0.0, 1.0);
}
