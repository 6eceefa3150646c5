// Single-precision vectors, column-major matrices, planes and the view frustum used by every part
// of the game. Matrices act on column vectors, angles are in degrees, and a mat4's 16 floats go to
// the GPU unchanged (glUniformMatrix4fv with transpose GL_FALSE).
#pragma once

#include <cstdint>
#include <cstring>

namespace vantor::scene {

struct vec2 {
    float x = 0.0f, y = 0.0f;

    constexpr vec2() = default;
    constexpr vec2(float x_, float y_) : x(x_), y(y_) {}
};

struct vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    constexpr vec3() = default;
    constexpr vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    vec3& operator+=(vec3 o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    vec3& operator-=(vec3 o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    vec3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
};

struct vec4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;

    constexpr vec4() = default;
    constexpr vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    constexpr vec4(vec3 v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}

    constexpr vec3 xyz() const { return {x, y, z}; }
};

struct mat4;

// Column-major 3x3: element (r, c) at index 3c + r.
struct mat3 {
    float m[9];

    // Identity.
    constexpr mat3() : m{1, 0, 0, 0, 1, 0, 0, 0, 1} {}
    // The upper-left 3x3 of m.
    explicit mat3(const mat4& m4);

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    const float* data() const { return m; }
    float* data() { return m; }
    vec3 column(int c) const { return {m[3 * c], m[3 * c + 1], m[3 * c + 2]}; }
};

// Column-major 4x4: element (r, c) at index 4c + r; column 3 of a model matrix is the position.
struct mat4 {
    float m[16];

    // Identity.
    constexpr mat4() : mat4(1.0f) {}
    // s on the diagonal, 0 elsewhere: mat4(1) is the identity, mat4(0) the zero matrix.
    constexpr explicit mat4(float s) : m{s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, 0, 0, 0, s} {}
    constexpr mat4(vec4 c0, vec4 c1, vec4 c2, vec4 c3)
        : m{c0.x, c0.y, c0.z, c0.w, c1.x, c1.y, c1.z, c1.w,
            c2.x, c2.y, c2.z, c2.w, c3.x, c3.y, c3.z, c3.w} {}

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    const float* data() const { return m; }
    float* data() { return m; }
    vec4 column(int c) const { return {m[4 * c], m[4 * c + 1], m[4 * c + 2], m[4 * c + 3]}; }
    // x, y, z of column 3: the world position of a model matrix.
    vec3 position() const { return {m[12], m[13], m[14]}; }
};

// One side of a view volume: a point p is inside when dot(normal, p) + d >= 0.
struct Plane {
    float d = 0.0f;
    vec3 normal;
};

// The six planes of a view volume in a fixed order. A new frustum is all zeros, so every point
// passes every plane until extractPlanes runs.
struct Frustum {
    enum Side { Right = 0, Left = 1, Top = 2, Bottom = 3, Far = 4, Near = 5 };
    static constexpr int planeCount = 6;

    Plane planes[planeCount];

    // Overwrites the planes with those of projection * view, normalised so that
    // dot(normal, p) + d is the signed world distance of p, positive inside.
    void extractPlanes(const mat4& projectionView);
};

// The float whose IEEE-754 bit pattern is bits, for constants that must be exact to the bit.
inline float floatFromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// --- vector operations ---

inline vec3 operator+(vec3 a, vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline vec3 operator-(vec3 a, vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline vec3 operator-(vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline vec3 operator*(vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline vec3 operator*(float s, vec3 a) {
    return a * s;
}
inline vec3 operator/(vec3 a, float s) {
    return {a.x / s, a.y / s, a.z / s};
}
inline bool operator==(vec3 a, vec3 b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(vec3 a, vec3 b) {
    return !(a == b);
}

inline vec4 operator+(vec4 a, vec4 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline vec4 operator-(vec4 a, vec4 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline vec4 operator*(vec4 a, float s) {
    return {a.x * s, a.y * s, a.z * s, a.w * s};
}
inline vec4 operator*(float s, vec4 a) {
    return a * s;
}

inline vec2 operator+(vec2 a, vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline vec2 operator-(vec2 a, vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline vec2 operator*(vec2 a, float s) {
    return {a.x * s, a.y * s};
}

inline float dot(vec3 a, vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline float dot(vec4 a, vec4 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
inline vec3 cross(vec3 a, vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Square roots are taken in double and rounded to float, like every root in this module.
float length(vec3 v);
// v divided by its length; the zero vector gives NaNs.
vec3 normalize(vec3 v);

// --- matrix operations ---

// R = A * B: applying R equals applying B first, then A.
inline mat4 operator*(const mat4& a, const mat4& b) {
    mat4 r(0.0f);
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            r.m[4 * c + row] = a.m[row] * b.m[4 * c] + a.m[4 + row] * b.m[4 * c + 1] +
                               a.m[8 + row] * b.m[4 * c + 2] + a.m[12 + row] * b.m[4 * c + 3];
        }
    }
    return r;
}

inline vec4 operator*(const mat4& a, vec4 v) {
    return {a.m[0] * v.x + a.m[4] * v.y + a.m[8] * v.z + a.m[12] * v.w,
            a.m[1] * v.x + a.m[5] * v.y + a.m[9] * v.z + a.m[13] * v.w,
            a.m[2] * v.x + a.m[6] * v.y + a.m[10] * v.z + a.m[14] * v.w,
            a.m[3] * v.x + a.m[7] * v.y + a.m[11] * v.z + a.m[15] * v.w};
}

inline vec3 operator*(const mat3& a, vec3 v) {
    return {a.m[0] * v.x + a.m[3] * v.y + a.m[6] * v.z, a.m[1] * v.x + a.m[4] * v.y + a.m[7] * v.z,
            a.m[2] * v.x + a.m[5] * v.y + a.m[8] * v.z};
}

mat3 operator*(const mat3& a, const mat3& b);

bool operator==(const mat4& a, const mat4& b);
inline bool operator!=(const mat4& a, const mat4& b) {
    return !(a == b);
}

// m * T(v): column 3 becomes col0*v.x + col1*v.y + col2*v.z + col3.
inline mat4 translate(const mat4& m, vec3 v) {
    mat4 r = m;
    for (int row = 0; row < 4; ++row) {
        r.m[12 + row] = m.m[row] * v.x + m.m[4 + row] * v.y + m.m[8 + row] * v.z + m.m[12 + row];
    }
    return r;
}

// m * R(angle, axis): angle in degrees, counter-clockwise looking down the axis towards the
// origin. The axis is normalised; a zero axis gives NaNs.
mat4 rotate(const mat4& m, float angleDegrees, vec3 axis);

// m * S(v): columns 0, 1, 2 multiplied by v.x, v.y, v.z.
inline mat4 scale(const mat4& m, vec3 v) {
    mat4 r = m;
    for (int row = 0; row < 4; ++row) {
        r.m[row] *= v.x;
        r.m[4 + row] *= v.y;
        r.m[8 + row] *= v.z;
    }
    return r;
}

// Adjugate over determinant. A singular matrix gives infinities or NaNs; nothing checks.
mat4 inverse(const mat4& m);
mat4 transpose(const mat4& m);
mat3 transpose(const mat3& m);

// Right-handed perspective projection, clip z in [-w, w]; fovy in degrees.
mat4 perspective(float fovyDegrees, float aspect, float nearPlane, float farPlane);
mat4 ortho(float left, float right, float bottom, float top, float nearPlane, float farPlane);

}  // namespace vantor::scene
