#version 330 core
// Scene objects: the object's texture lit by the low sun along "LightInvDirection" and a sky-tinted
// ambient, with the shared normal map on unit 20 bending the normal in tangent space. Sun light is
// scaled by a variance shadow test over the blurred two-moment map on unit 10, read through a smooth
// cubic filter: soft edges without steps, no acne.
// With no shadow map bound (shadow mapping switched off) the sun reaches everything.

in vec2 uv;
in vec4 shadowCoord;
in vec3 viewPosition;
in vec3 viewNormal;
in vec3 viewTangent;
in vec3 viewToLight;
in float worldUp;

uniform sampler2D texture0;
uniform sampler2D normalMap;
uniform sampler2D shadowMap;

out vec4 fragColor;

const vec3 sunColour = vec3(1.3, 1.14, 0.92);
const vec3 skyAmbient = vec3(0.50, 0.56, 0.70);
const vec3 groundAmbient = vec3(0.24, 0.23, 0.28);
const float normalMapStrength = 0.6;
// Light wraps a little past the terminator, as it does through the soft edge of a cloud.
const float wrap = 0.3;
const float specularStrength = 0.2;
// The variance never drops below this, so flat receivers do not fight their own occluder depth.
const float minVariance = 0.00002;
// Chebyshev's bound lets light bleed through where two occluders overlap; cutting the lowest part of
// the bound off and stretching the rest removes that halo at the cost of slightly harder edges.
const float bleedCut = 0.3;
// Highlights roll off towards a ceiling instead of clipping: a sunlit cloud keeps its shape, its
// brightest parts reach the bloom threshold (0.8), and none of it reaches the lens flare's (0.95),
// which only the sun in the sky passes.
const float shoulderStart = 0.6;
const float shoulderCeiling = 0.93;

vec3 rollOffHighlights(vec3 colour) {
    float range = shoulderCeiling - shoulderStart;
    vec3 rolled = shoulderStart + range * (1.0 - exp(-(colour - shoulderStart) / range));
    return mix(colour, rolled, step(shoulderStart, colour));
}

// The highlight's tightness, the power of 32, taken by squaring five times: the same value as pow()
// at a fraction of its cost, paid at every lit pixel.
float tightHighlight(float x) {
    x *= x;
    x *= x;
    x *= x;
    x *= x;
    return x * x;
}

float chebyshevUpperBound(vec2 moments, float closeness) {
    if (closeness >= moments.x) {
        return 1.0;
    }
    float variance = max(moments.y - moments.x * moments.x, minVariance);
    float gap = moments.x - closeness;
    float pMax = variance / (variance + gap * gap);
    return clamp((pMax - bleedCut) / (1.0 - bleedCut), 0.0, 1.0);
}

// The blurred moments under a cubic B-spline: four bilinear fetches, each weighing two by two
// texels so that together they weigh the four by four around the point. Moments filter linearly,
// and unlike plain bilinear filtering this reconstruction has no kinks at texel edges, which the
// shadow test's contrast would otherwise show as steps along a shadow's edge.
vec2 smoothMoments(vec2 coord) {
    vec2 size = vec2(textureSize(shadowMap, 0));
    vec2 texel = coord * size - 0.5;
    vec2 base = floor(texel);
    vec2 f = texel - base;
    vec2 f2 = f * f;
    vec2 f3 = f2 * f;
    vec2 w0 = (1.0 - 3.0 * f + 3.0 * f2 - f3) / 6.0;
    vec2 w1 = (4.0 - 6.0 * f2 + 3.0 * f3) / 6.0;
    vec2 w2 = (1.0 + 3.0 * f + 3.0 * f2 - 3.0 * f3) / 6.0;
    vec2 w3 = f3 / 6.0;
    vec2 nearWeight = w0 + w1;
    vec2 farWeight = w2 + w3;
    vec2 nearCoord = (base - 0.5 + w1 / nearWeight) / size;
    vec2 farCoord = (base + 1.5 + w3 / farWeight) / size;
    return nearWeight.y * (nearWeight.x * texture(shadowMap, nearCoord).rg +
                           farWeight.x * texture(shadowMap, vec2(farCoord.x, nearCoord.y)).rg) +
           farWeight.y * (nearWeight.x * texture(shadowMap, vec2(nearCoord.x, farCoord.y)).rg +
                          farWeight.x * texture(shadowMap, farCoord).rg);
}

float sunVisibility() {
    vec3 coord = shadowCoord.xyz / shadowCoord.w;
    if (any(lessThan(coord, vec3(0.0))) || any(greaterThan(coord, vec3(1.0)))) {
        return 1.0;  // outside the light's shadow volume nothing is known to block it
    }
    vec2 moments = smoothMoments(coord.xy);
    if (moments.x <= 0.0 && moments.y <= 0.0) {
        return 1.0;  // an empty unit samples as zero: there is no shadow map this frame
    }
    return chebyshevUpperBound(moments, 1.0 - coord.z);
}

vec3 surfaceNormal() {
    vec3 n = normalize(viewNormal);
    vec3 t = viewTangent - n * dot(n, viewTangent);
    if (dot(t, t) < 1e-8) {
        return n;
    }
    t = normalize(t);
    mat3 tangentToView = mat3(t, cross(n, t), n);
    vec3 bump = texture(normalMap, uv).xyz * 2.0 - 1.0;
    bump.xy *= normalMapStrength;
    return normalize(tangentToView * bump);
}

void main() {
    vec4 albedo = texture(texture0, uv);
    vec3 n = surfaceNormal();
    vec3 toLight = viewToLight;  // the same unit vector at every vertex of a draw
    vec3 toEye = normalize(-viewPosition);

    float facing = dot(n, toLight);
    float sunlit = sunVisibility() * max((facing + wrap) / (1.0 + wrap), 0.0);
    float specular = tightHighlight(max(dot(n, normalize(toLight + toEye)), 0.0)) * specularStrength;
    vec3 ambient = mix(groundAmbient, skyAmbient, 0.5 + 0.5 * worldUp);

    vec3 colour = albedo.rgb * (ambient + sunColour * sunlit) +
                  sunColour * specular * sunlit * step(0.0, facing);
    fragColor = vec4(rollOffHighlights(colour), albedo.a);
}
