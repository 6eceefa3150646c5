#version 330 core
// Flare features from the blurred highlights on unit 0, which only the sun passes: two ghosts of it
// mirrored through the image centre, a large one and a small one near the centre, tinted with a
// rainbow ramp the way coated glass does, and a ring-shaped halo around the centre, lit on the
// sun's side, whose edges split into red outside and blue inside (chromatic distortion). All of
// them line up with the sun through the centre. Fetches are counted: each one is paid at every
// pixel of the screen, so the ghosts take one each and the halo one, its colour split coming from
// the ring's radius instead of three fetches.

in vec2 uv;

uniform sampler2D highlights;

out vec4 fragColor;

// A ghost at scale s shows the picture scaled by s about the centre: negative scales mirror it.
const float bigGhostScale = -1.0;
const float smallGhostScale = -2.6;
const float bigGhostStrength = 0.3;
const float smallGhostStrength = 0.5;
const float haloRadius = 0.42;
const float haloWidth = 0.07;
const float haloStrength = 0.35;
// The ring shows the picture scaled by this about the centre: it lights up on the sun's side.
const float haloScale = 0.75;
const float haloSplitStrength = 0.8;
// The glass tint goes from red at the centre to blue at the corner distance divided by this.
const float glassTintSpread = 1.6;
const float glassTintStrength = 0.6;
const float aspect = 1600.0 / 900.0;
// The lens blur leaves the highlights at 1/32 of the picture's size: level 3 of the quarter-size
// bright image, magnified smoothly by the bilinear fetch.
const float sourceLod = 3.0;
const float centreToCorner = 1.0198039;  // in units of the picture's height

// Rainbow over t in 0..1: red, yellow, green, cyan, blue.
vec3 rainbow(float t) {
    return clamp(vec3(1.5 - 3.0 * t, 1.5 - 3.0 * abs(t - 0.5), 3.0 * t - 1.5), 0.0, 1.0);
}

// Features fade out towards the border so that nothing is cut off by the edge of the screen.
float edgeFade(vec2 coord) {
    vec2 fromCentre = (coord - 0.5) * vec2(aspect, 1.0);
    return 1.0 - smoothstep(0.35, centreToCorner, length(fromCentre));
}

vec3 ghost(float scale) {
    vec2 coord = 0.5 + (uv - 0.5) * scale;
    return textureLod(highlights, coord, sourceLod).rgb * edgeFade(coord);
}

void main() {
    vec2 fromCentre = (uv - 0.5) * vec2(aspect, 1.0);
    float radius = length(fromCentre);
    vec3 glass = mix(vec3(1.0), rainbow(clamp(radius / centreToCorner * glassTintSpread, 0.0, 1.0)),
                     glassTintStrength);
    vec3 ghosts = (ghost(bigGhostScale) * bigGhostStrength +
                   ghost(smallGhostScale) * smallGhostStrength) * glass;

    // The halo: the picture, a little shrunk, seen through a ring around the centre.
    vec2 haloCoord = 0.5 + (uv - 0.5) * haloScale;
    float ring = 1.0 - smoothstep(0.0, haloWidth, abs(radius - haloRadius));
    vec3 split = rainbow(clamp(0.5 - (radius - haloRadius) / (2.0 * haloWidth), 0.0, 1.0));
    vec3 halo = textureLod(highlights, haloCoord, sourceLod).rgb * edgeFade(haloCoord) * ring *
                mix(vec3(1.0), split, haloSplitStrength) * haloStrength;

    fragColor = vec4(ghosts + halo, 1.0);
}
