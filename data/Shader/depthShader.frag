#version 330 core
// Writes the two moments of the occluder depth for the variance shadow test: closeness to the light
// (1 - depth, so that the cleared map reads as far away and casts nothing) and its square. The slope
// term widens the variance where the surface is steep to the light, which keeps self-shadowing off.

out vec4 fragColor;

void main() {
    float closeness = 1.0 - gl_FragCoord.z;
    float dx = dFdx(closeness);
    float dy = dFdy(closeness);
    fragColor = vec4(closeness, closeness * closeness + 0.25 * (dx * dx + dy * dy), 0.0, 1.0);
}
