#version 330 core
// A flare sprite: white light shaped by the glow texture's alpha. The sprites are blended over the
// picture (source alpha, one minus source alpha), which moves what lies under them towards their
// colour. White is the one colour that moves everything only upwards: the sky brightens and the
// white sun keeps all it has. Any hue below white would dim the sun wherever the sprite covers it,
// so the flare's "color" is not used here.

in vec2 uv;

uniform sampler2D texture0;

out vec4 fragColor;

const float glowStrength = 0.9;

void main() {
    fragColor = vec4(1.0, 1.0, 1.0, clamp(texture(texture0, uv).a * glowStrength, 0.0, 1.0));
}
