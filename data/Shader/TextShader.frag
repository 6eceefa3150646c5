// Text overlay: white glyphs from the font's alpha channel with a soft dark outline and a drop
// shadow, so that the lines stay legible over bright sky and dark clouds alike.
#version 330 core

in vec2 UV;

out vec4 fragColor;

uniform sampler2D myTextureSampler;

const float gridCells = 16.0;
const vec3 glyphColour = vec3(1.0);
const vec3 outlineColour = vec3(0.0);
const float outlineOpacity = 0.75;

// Reads the glyph coverage at an offset, kept inside the current cell so that a neighbouring
// character's pixels never bleed in.
float coverage(vec2 offset, vec2 cellMin, vec2 cellMax) {
    return texture(myTextureSampler, clamp(UV + offset, cellMin, cellMax)).a;
}

void main() {
    vec2 texel = 1.0 / vec2(textureSize(myTextureSampler, 0));
    vec2 cellMin = floor(UV * gridCells) / gridCells + 0.5 * texel;
    vec2 cellMax = cellMin + vec2(1.0 / gridCells) - texel;

    float glyph = coverage(vec2(0.0), cellMin, cellMax);
    float outline = 0.0;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            outline = max(outline, coverage(vec2(dx, dy) * texel, cellMin, cellMax));
        }
    }
    // The shadow falls one more texel down and to the right (rows run upwards in the texture).
    outline = max(outline, coverage(vec2(-2.0, 2.0) * texel, cellMin, cellMax));

    float alpha = max(glyph, outline * outlineOpacity);
    vec3 colour = mix(outlineColour, glyphColour, glyph / max(alpha, 1e-4));
    fragColor = vec4(colour, alpha);
}
