// The collision library's own small float vector and 4x4 matrix (column-major, column vectors),
// so that it stands alone; every operation is spelled out so its rounding is the same everywhere.
#pragma once

namespace COLDET {

struct Vector3D {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    Vector3D() = default;
    Vector3D(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}
    explicit Vector3D(const float* v) : x(v[0]), y(v[1]), z(v[2]) {}

    float operator[](int axis) const { return axis == 0 ? x : (axis == 1 ? y : z); }
    float& operator[](int axis) { return axis == 0 ? x : (axis == 1 ? y : z); }
};

inline Vector3D operator+(Vector3D a, Vector3D b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3D operator-(Vector3D a, Vector3D b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3D operator-(Vector3D a) {
    return {-a.x, -a.y, -a.z};
}
inline Vector3D operator*(Vector3D a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float dot(Vector3D a, Vector3D b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vector3D cross(Vector3D a, Vector3D b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// 16 floats in the game's model-matrix layout: element (row r, column c) at index 4c + r.
struct Matrix3D {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// M * (p, 1), dropping w: the summation order is fixed so that every caller rounds alike.
inline Vector3D transformPoint(const Matrix3D& t, Vector3D p) {
    const float* m = t.m;
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

// M * (v, 0): the upper-left 3x3 only.
inline Vector3D transformVector(const Matrix3D& t, Vector3D v) {
    const float* m = t.m;
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

}  // namespace COLDET
