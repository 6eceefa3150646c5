#version 330 core
// Scene objects: lit in view space with a tangent frame for the normal map, and placed in the
// blurred shadow map through "DepthBiasMVP".

in vec3 position;
in vec3 normal;
in vec3 tangent;
in vec2 UV;

uniform mat4 MVP;
uniform mat4 MV;
uniform mat4 V;
uniform mat4 DepthBiasMVP;
uniform mat3 normalMatrix;
uniform vec3 LightInvDirection;

out vec2 uv;
out vec4 shadowCoord;
out vec3 viewPosition;
out vec3 viewNormal;
out vec3 viewTangent;
out vec3 viewToLight;
out float worldUp;

void main() {
    uv = UV;
    shadowCoord = DepthBiasMVP * vec4(position, 1.0);
    viewPosition = (MV * vec4(position, 1.0)).xyz;

    mat3 worldToView = mat3(V);
    vec3 worldNormal = normalize(normalMatrix * normal);
    viewNormal = worldToView * worldNormal;
    viewTangent = mat3(MV) * tangent;
    viewToLight = normalize(worldToView * LightInvDirection);
    worldUp = worldNormal.y;

    gl_Position = MVP * vec4(position, 1.0);
}
