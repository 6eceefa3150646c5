// The matrix operations too large to inline: rotation, inverse, projections and frustum planes.
// Trigonometry and square roots run in double and are rounded to float, so every platform gets
// the same single-precision results.
#include "scene/math.hpp"

#include <cmath>

namespace vantor::scene {

namespace {

// pi / 180 as the float every angle conversion uses.
constexpr float degreesToRadians = 0.017453292f;

float sqrtf64(float v) {
    return static_cast<float>(std::sqrt(static_cast<double>(v)));
}

}  // namespace

float length(vec3 v) {
    return sqrtf64(dot(v, v));
}

vec3 normalize(vec3 v) {
    return v / length(v);
}

mat3::mat3(const mat4& m4)
    : m{m4.m[0], m4.m[1], m4.m[2], m4.m[4], m4.m[5], m4.m[6], m4.m[8], m4.m[9], m4.m[10]} {}

mat3 operator*(const mat3& a, const mat3& b) {
    mat3 r;
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) {
            r.m[3 * c + row] = a.m[row] * b.m[3 * c] + a.m[3 + row] * b.m[3 * c + 1] +
                               a.m[6 + row] * b.m[3 * c + 2];
        }
    }
    return r;
}

bool operator==(const mat4& a, const mat4& b) {
    for (int i = 0; i < 16; ++i) {
        if (a.m[i] != b.m[i]) {
            return false;
        }
    }
    return true;
}

mat4 rotate(const mat4& m, float angleDegrees, vec3 axis) {
    const float a = angleDegrees * degreesToRadians;
    const float c = static_cast<float>(std::cos(static_cast<double>(a)));
    const float s = static_cast<float>(std::sin(static_cast<double>(a)));
    const vec3 n = normalize(axis);
    const vec3 t = n * (1.0f - c);

    const vec3 r[3] = {
        {c + t.x * n.x, t.x * n.y + s * n.z, t.x * n.z - s * n.y},
        {t.y * n.x - s * n.z, c + t.y * n.y, t.y * n.z + s * n.x},
        {t.z * n.x + s * n.y, t.z * n.y - s * n.x, c + t.z * n.z},
    };

    mat4 result = m;
    for (int k = 0; k < 3; ++k) {
        for (int row = 0; row < 4; ++row) {
            result.m[4 * k + row] =
                m.m[row] * r[k].x + m.m[4 + row] * r[k].y + m.m[8 + row] * r[k].z;
        }
    }
    return result;
}

mat4 inverse(const mat4& m) {
    // Cofactor expansion: adj is the adjugate (transposed cofactor matrix), stored column-major.
    const float* a = m.m;
    mat4 adj(0.0f);
    float* inv = adj.m;

    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
             a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
             a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
             a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
              a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
             a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
             a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
             a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
              a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
             a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
              a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
              a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
             a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    // Column 0 of m against row 0 of the adjugate.
    const float det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    for (float& v : adj.m) {
        v /= det;
    }
    return adj;
}

mat4 transpose(const mat4& m) {
    mat4 r(0.0f);
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            r.m[4 * row + c] = m.m[4 * c + row];
        }
    }
    return r;
}

mat3 transpose(const mat3& m) {
    mat3 r;
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) {
            r.m[3 * row + c] = m.m[3 * c + row];
        }
    }
    return r;
}

mat4 perspective(float fovyDegrees, float aspect, float nearPlane, float farPlane) {
    const float halfAngle = (fovyDegrees / 2.0f) * degreesToRadians;
    const float range = static_cast<float>(std::tan(static_cast<double>(halfAngle))) * nearPlane;
    mat4 p(0.0f);
    p.m[0] = 2.0f * nearPlane / (2.0f * range * aspect);
    p.m[5] = 2.0f * nearPlane / (2.0f * range);
    p.m[10] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    p.m[11] = -1.0f;
    p.m[14] = -2.0f * farPlane * nearPlane / (farPlane - nearPlane);
    return p;
}

mat4 ortho(float left, float right, float bottom, float top, float nearPlane, float farPlane) {
    mat4 p;
    p.m[0] = 2.0f / (right - left);
    p.m[5] = 2.0f / (top - bottom);
    p.m[10] = -2.0f / (farPlane - nearPlane);
    p.m[12] = -(right + left) / (right - left);
    p.m[13] = -(top + bottom) / (top - bottom);
    p.m[14] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    return p;
}

void Frustum::extractPlanes(const mat4& projectionView) {
    const float* m = projectionView.m;
    const vec4 row[4] = {
        {m[0], m[4], m[8], m[12]},
        {m[1], m[5], m[9], m[13]},
        {m[2], m[6], m[10], m[14]},
        {m[3], m[7], m[11], m[15]},
    };
    const vec4 raw[planeCount] = {
        row[3] - row[0], row[3] + row[0],  // right, left
        row[3] - row[1], row[3] + row[1],  // top, bottom
        row[3] - row[2], row[3] + row[2],  // far, near
    };
    for (int i = 0; i < planeCount; ++i) {
        const float len = length(raw[i].xyz());
        planes[i].normal = raw[i].xyz() / len;
        planes[i].d = raw[i].w / len;
    }
}

}  // namespace vantor::scene
