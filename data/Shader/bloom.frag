#version 330 core
// Lays the blurred highlights over the scene. "BlendMode" picks how, each with a look of its own
// that a player tells apart at a glance:
//   0  the scene alone;
//   1  additive: a white glow around the light, strongest on what is lit, so shadows keep depth;
//   2  screen: golden sunlight through haze, warming what the glow covers;
//   3  soft light: contrast; the glow brightens what is lit and the rest of the picture deepens.
// Whatever the mode, what the scene kept below the lens flare's threshold stays below it: the glow
// of a sunlit cloud must not make the cloud flare like the sun.
// The picture may be drawn into a larger or smaller screen than the images, so they are read by
// their texture coordinate: the scene at its nearest texel, exact where the sizes match and as cheap
// as it gets, the glow filtered at the small level of its image where the bloom blur left it.

in vec2 uv;

uniform sampler2D postProTexture;
uniform sampler2D bloomTexture;
uniform int BlendMode;

out vec4 fragColor;

const vec3 lumaWeights = vec3(0.2126, 0.7152, 0.0722);
const float additiveGain = 4.64;
const float screenGain = 4.93;
const vec3 screenTint = vec3(1.0, 0.74, 0.42);
// The bloom blur leaves the glow at 1/16 of the picture's size: level 2 of the quarter-size bright
// image. One smooth fetch there serves every mode.
const float glowLod = 2.0;
const float softLightGain = 4.35;
// Where the glow is weaker than this, soft light darkens.
const float softLightPivot = 0.083;
// Just under the lens flare's threshold.
const float lensCeiling = 0.94;

vec3 softLight(vec3 base, vec3 blend) {
    vec3 dark = base - (1.0 - 2.0 * blend) * base * (1.0 - base);
    vec3 light = base + (2.0 * blend - 1.0) * (sqrt(base) - base);
    return mix(dark, light, step(0.5, blend));
}

// Rises towards the ceiling without reaching it where the scene lay below it; the sun, which lies
// above it, keeps its full brightness.
vec3 keepBelowCeiling(vec3 scene, vec3 colour) {
    vec3 room = max(vec3(lensCeiling) - scene, vec3(1e-4));
    vec3 lift = max(colour - scene, vec3(0.0));
    vec3 capped = min(colour, scene + room * (1.0 - exp(-lift / room)));
    return mix(capped, max(colour, scene), step(vec3(lensCeiling), scene));
}

void main() {
    ivec2 texel = ivec2(uv * vec2(textureSize(postProTexture, 0)));
    vec3 scene = texelFetch(postProTexture, texel, 0).rgb;
    vec3 glow = textureLod(bloomTexture, uv, glowLod).rgb;
    vec3 colour = scene;
    if (BlendMode == 1) {
        float lit = dot(scene, lumaWeights);
        colour = scene + glow * additiveGain * lit * lit;
    } else if (BlendMode == 2) {
        // Sunlight through haze: the glow turns what it covers golden, then is screened over it.
        vec3 haze = min(glow * screenGain, vec3(1.0));
        vec3 golden = scene * mix(vec3(1.0), screenTint, haze);
        colour = 1.0 - (1.0 - golden) * (1.0 - haze * screenTint);
    } else if (BlendMode == 3) {
        colour = softLight(scene, clamp(0.5 + (glow - softLightPivot) * softLightGain, 0.0, 1.0));
    }
    fragColor = vec4(keepBelowCeiling(scene, colour), 1.0);
}
