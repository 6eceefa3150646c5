// The geometric predicates behind every query: oriented box overlap, triangle contact (interval
// test with a 1e-6 plane-distance rule), sphere and ray against a triangle, segment against box,
// and the 4x4 inverse and product that place one model in the other's space. All pure functions.
#pragma once

#include <cmath>

#include "vector_3d.hpp"

namespace COLDET {

struct Box;

Matrix3D inverse(const Matrix3D& m);
Matrix3D product(const Matrix3D& a, const Matrix3D& b);

// Placement of the other model in this model's space, with what the box test needs per query.
// The placement may scale and shear, so B's faces are not perpendicular to B's axes: their normals
// are the cofactor columns, normal_j = axis_(j+1) x axis_(j+2), along which B reaches b_j |det|.
struct RelativePlacement {
    Matrix3D relative;
    float axis[3][3];       // axis[k][j]: component k of the image of the other model's axis j
    float absAxis[3][3];    // |axis[k][j]|
    float normal[3][3];     // normal[k][j]: component k of the normal of B's faces across axis j
    float absNormal[3][3];  // |normal[k][j]|
    float absDeterminant;   // |axis_j . normal_j|, the same for every j
    // Allowance for rounding, added to every reach: per family of axes, scaled to the axis length.
    float slackA;
    float slackB[3];
    float slackCross[3][3];

    // `slack` is an absolute distance in this model's space; 0 gives the strict test.
    explicit RelativePlacement(const Matrix3D& placement, float slack = 0.0f);
};

// Separating-axis test of box A (this model's space) against box B (the other's space, placed by
// the relative matrix; `placedCenter` is B's centre already placed): A's three axes, then the
// normals of B's faces, then the nine edge-edge axes A_k x B_j; strict comparisons, so boxes that
// merely touch overlap. For a rigid placement the face normals are B's axes and this is the classic
// oriented-box test; with a scaling placement B's reach has to be measured along the true face
// normals, or boxes that overlap would be reported apart. Forced inline: it is the inner loop.
// Without `edgeAxes` only the six face axes are tried: a cheaper test that prunes less.
template <bool edgeAxes = true>
[[gnu::always_inline]] inline bool placedBoxesSeparated(Vector3D aCenter, Vector3D a,
                                                        Vector3D placedCenter, Vector3D b,
                                                        const RelativePlacement& p) {
    const float(&r)[3][3] = p.axis;
    const float(&q)[3][3] = p.absAxis;
    const float(&n)[3][3] = p.normal;
    const float(&qn)[3][3] = p.absNormal;
    const float t[3] = {placedCenter.x - aCenter.x, placedCenter.y - aCenter.y,
                        placedCenter.z - aCenter.z};
    const float aa[3] = {a.x, a.y, a.z};
    const float ba[3] = {b.x, b.y, b.z};
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        const float reach = aa[k] + (ba[0] * q[k][0] + ba[1] * q[k][1] + ba[2] * q[k][2]);
        if (std::fabs(t[k]) > reach + p.slackA)
            return true;
    }
#pragma GCC unroll 3
    for (int j = 0; j < 3; ++j) {
        const float projected = n[0][j] * t[0] + n[1][j] * t[1] + n[2][j] * t[2];
        const float reach = aa[0] * qn[0][j] + aa[1] * qn[1][j] + aa[2] * qn[2][j];
        if (std::fabs(projected) > reach + ba[j] * p.absDeterminant + p.slackB[j])
            return true;
    }
    if (!edgeAxes)
        return false;
        // Edge-edge axes A_k x B_j: with k1 = k+1, k2 = k+2, j1 = j+1, j2 = j+2 (mod 3).
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        const int k1 = k == 2 ? 0 : k + 1;
        const int k2 = k1 == 2 ? 0 : k1 + 1;
#pragma GCC unroll 3
        for (int j = 0; j < 3; ++j) {
            const int j1 = j == 2 ? 0 : j + 1;
            const int j2 = j1 == 2 ? 0 : j1 + 1;
            const float distance = std::fabs(t[k2] * r[k1][j] - t[k1] * r[k2][j]);
            const float reach = aa[k1] * q[k2][j] + aa[k2] * q[k1][j] + ba[j1] * qn[k][j2] +
                                ba[j2] * qn[k][j1] + p.slackCross[k][j];
            if (distance > reach)
                return true;
        }
    }
    return false;
}

inline bool boxesSeparated(Vector3D aCenter, Vector3D a, Vector3D bCenter, Vector3D b,
                           const RelativePlacement& p) {
    return placedBoxesSeparated(aCenter, a, transformPoint(p.relative, bCenter), b, p);
}

bool boxesOverlap(const Box& a, const Box& b, const RelativePlacement& placement);

// The slack for a model-against-model walk: box centres are placed with a few roundings, the
// triangles' corners with others, and a box test that pruned by a rounding-sized gap could drop a
// pair the triangle test accepts. Bounds every coordinate the test handles (this model's corners
// within `radius`, the other's placed ones) and grants a small fraction of it.
float roundingSlack(const Matrix3D& relative, float radius, float otherRadius);

// The plane of a triangle as the triangle test uses it: normal (p1 - p0) x (p2 - p0), unnormalised,
// and offset -normal . p0.
struct TrianglePlane {
    Vector3D normal;
    float offset;
};

inline TrianglePlane planeOf(Vector3D p0, Vector3D p1, Vector3D p2) {
    const Vector3D normal = cross(p1 - p0, p2 - p0);
    return {normal, -dot(normal, p0)};
}

bool coplanarTrianglesTouch(Vector3D normal, const Vector3D v[3], const Vector3D u[3]);

namespace detail {

// Plane distances this small count as on the plane; compared in double.
constexpr double planeEpsilon = 1e-6;

inline float snapToPlane(float distance) {
    return std::fabs(static_cast<double>(distance)) < planeEpsilon ? 0.0f : distance;
}

// The interval of one triangle on the line where the planes meet; false if the triangle lies in
// the other's plane.
inline bool intervalOnLine(const float q[3], const float e[3], float& lo, float& hi) {
    int lone, m, n;
    if (e[0] * e[1] > 0.0f) {
        lone = 2, m = 0, n = 1;
    } else if (e[0] * e[2] > 0.0f) {
        lone = 1, m = 0, n = 2;
    } else if (e[1] * e[2] > 0.0f || e[0] != 0.0f) {
        lone = 0, m = 1, n = 2;
    } else if (e[1] != 0.0f) {
        lone = 1, m = 0, n = 2;
    } else if (e[2] != 0.0f) {
        lone = 2, m = 0, n = 1;
    } else {
        return false;
    }
    const float a = q[lone] + (q[m] - q[lone]) * e[lone] / (e[lone] - e[m]);
    const float b = q[lone] + (q[n] - q[lone]) * e[lone] / (e[lone] - e[n]);
    lo = a < b ? a : b;
    hi = a < b ? b : a;
    return true;
}

}  // namespace detail

// Whether the corners u lie strictly on one side of the plane of v (the triangle test's first
// step).
inline bool strictlyOneSide(const TrianglePlane& plane, const Vector3D u[3], float distance[3]) {
    for (int i = 0; i < 3; ++i)
        distance[i] = detail::snapToPlane(dot(plane.normal, u[i]) + plane.offset);
    return distance[0] * distance[1] > 0.0f && distance[0] * distance[2] > 0.0f;
}

// Triangle V against triangle U with their planes already computed (planeOf).
inline bool trianglesTouch(const Vector3D v[3], const TrianglePlane& pv, const Vector3D u[3],
                           const TrianglePlane& pu) {
    float du[3], dv[3];
    if (strictlyOneSide(pv, u, du))
        return false;
    if (strictlyOneSide(pu, v, dv))
        return false;

    const Vector3D line = cross(pv.normal, pu.normal);
    int axis = 0;
    float largest = std::fabs(line.x);
    if (std::fabs(line.y) > largest)
        axis = 1, largest = std::fabs(line.y);
    if (std::fabs(line.z) > largest)
        axis = 2;

    const float qv[3] = {v[0][axis], v[1][axis], v[2][axis]};
    const float qu[3] = {u[0][axis], u[1][axis], u[2][axis]};
    float vLo, vHi, uLo, uHi;
    if (!detail::intervalOnLine(qv, dv, vLo, vHi))
        return coplanarTrianglesTouch(pv.normal, v, u);
    if (!detail::intervalOnLine(qu, du, uLo, uHi))
        return coplanarTrianglesTouch(pv.normal, v, u);
    return !(vHi < uLo || uHi < vLo);
}

inline bool trianglesTouch(const Vector3D v[3], const Vector3D u[3]) {
    return trianglesTouch(v, planeOf(v[0], v[1], v[2]), u, planeOf(u[0], u[1], u[2]));
}

// Closed test: whether p, taken to the plane of p1 p2 p3 along the normal's largest axis, lies in
// the triangle (edges and corners included).
bool insideTriangle(Vector3D p, Vector3D p1, Vector3D p2, Vector3D p3, Vector3D normal);

// Unit normal and plane offset, 1/length from a double square root.
TrianglePlane unitPlaneOf(Vector3D p1, Vector3D p2, Vector3D p3);

bool sphereTouchesTriangle(const Vector3D tri[3], Vector3D center, float radius, Vector3D& point);
bool rayHitsTriangle(const Vector3D tri[3], Vector3D origin, Vector3D direction, float segmentMax,
                     float& t, Vector3D& point);

// A point where an edge of one triangle pierces the other (edges of b first), or (0, 0, 0) when
// one triangle lies strictly on one side of the other's plane or no such point is found.
Vector3D contactPoint(const Vector3D a[3], const Vector3D b[3]);

// Lengths above this mean an unbounded ray.
constexpr float unboundedRayLength = 3e30f;

bool segmentHitsBox(Vector3D boxCenter, Vector3D halfSize, Vector3D origin, Vector3D direction,
                    float length);

}  // namespace COLDET
