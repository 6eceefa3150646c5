#version 330 core
// Flare features from the blurred highlights on unit 0: ghosts of every bright spot mirrored through
// the image centre at growing distances, tinted with a rainbow ramp the way coated glass does, and
// a ring-shaped halo split into red, green and blue a little apart (chromatic distortion). Like a
// camera's exposure, the flare dims when much of the picture is bright: it belongs to small, intense
// lights such as the sun, not to a wide sunlit cloud. Fetches are counted: each one is paid at
// every pixel of the screen.

in vec2 uv;

uniform sampler2D highlights;

out vec4 fragColor;

const int ghostCount = 4;
const float ghostSpacing = 0.38;
const float haloRadius = 0.45;
const float ghostStrength = 0.35;
const float haloStrength = 0.25;
const float chromaticShift = 0.008;
const float aspect = 1600.0 / 900.0;
const float sourceLod = 2.0;
const float centreToCorner = 0.7071068;
const float exposureResponse = 40.0;

vec3 splitSample(vec2 coord, vec2 direction) {
    vec2 shift = direction * chromaticShift;
    return vec3(textureLod(highlights, coord + shift, sourceLod).r,
                textureLod(highlights, coord, sourceLod).g,
                textureLod(highlights, coord - shift, sourceLod).b);
}

// Features fade out towards the border so that nothing is cut off by the edge of the screen.
float edgeFade(vec2 coord) {
    return 1.0 - smoothstep(0.2, centreToCorner, length(vec2(0.5) - coord));
}

vec3 lensTint(vec2 coord) {
    float t = length(coord - vec2(0.5)) / centreToCorner;
    vec3 rainbow = 0.5 + 0.5 * cos(6.2831853 * (t + vec3(0.0, 0.33, 0.67)));
    return mix(vec3(1.0), rainbow, 0.7);
}

void main() {
    vec2 mirrored = vec2(1.0) - uv;
    vec2 ghostStep = (vec2(0.5) - mirrored) * ghostSpacing;
    vec2 screenStep = ghostStep * vec2(aspect, 1.0);
    vec2 direction = vec2(0.0);
    if (dot(screenStep, screenStep) > 1e-8) {
        direction = normalize(screenStep) / vec2(aspect, 1.0);
    }

    vec3 ghosts = vec3(0.0);
    for (int i = 0; i < ghostCount; ++i) {
        vec2 coord = mirrored + ghostStep * float(i);
        ghosts += textureLod(highlights, coord, sourceLod).rgb * edgeFade(coord) * ghostStrength;
    }

    vec2 haloCoord = mirrored + direction * haloRadius;
    vec3 halo = splitSample(haloCoord, direction) * edgeFade(haloCoord) * haloStrength;

    // The smallest level of the chain, one texel, is the mean of the whole picture: one unfiltered
    // fetch reads it.
    ivec2 size = textureSize(highlights, 0);
    int smallestLevel = int(log2(float(max(size.x, size.y))) + 0.001);
    vec3 mean = texelFetch(highlights, ivec2(0), smallestLevel).rgb;
    float exposure = 1.0 / (1.0 + exposureResponse * max(mean.r, max(mean.g, mean.b)));
    fragColor = vec4((ghosts * lensTint(uv) + halo) * exposure, 1.0);
}
