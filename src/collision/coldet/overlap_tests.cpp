// The predicates that do not sit on the model-against-model hot path, and the matrix helpers.
#include "overlap_tests.hpp"

#include <algorithm>

#include "box_tree.hpp"

namespace COLDET {

Matrix3D inverse(const Matrix3D& matrix) {
    const float* m = matrix.m;
    float a[16];  // the adjugate
    a[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    a[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
           m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    a[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    a[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
            m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    a[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
           m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    a[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    a[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    a[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    a[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    a[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    a[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    a[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    a[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    a[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    a[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    a[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

    // Column 0 of m against row 0 of the adjugate; a singular matrix gives infinities or NaNs.
    const float determinant = m[0] * a[0] + m[1] * a[4] + m[2] * a[8] + m[3] * a[12];
    Matrix3D result;
    for (int i = 0; i < 16; ++i)
        result.m[i] = a[i] / determinant;
    return result;
}

Matrix3D product(const Matrix3D& a, const Matrix3D& b) {
    Matrix3D result;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            result.m[4 * c + r] = a.m[r] * b.m[4 * c] + a.m[4 + r] * b.m[4 * c + 1] +
                                  a.m[8 + r] * b.m[4 * c + 2] + a.m[12 + r] * b.m[4 * c + 3];
    return result;
}

RelativePlacement::RelativePlacement(const Matrix3D& placement, float slack)
    : relative(placement), slackA(slack) {
    Vector3D columns[3];
    for (int j = 0; j < 3; ++j)
        columns[j] = Vector3D(placement.m + 4 * j);
    for (int j = 0; j < 3; ++j) {
        const Vector3D faceNormal = cross(columns[(j + 1) % 3], columns[(j + 2) % 3]);
        for (int k = 0; k < 3; ++k) {
            axis[k][j] = columns[j][k];
            absAxis[k][j] = std::fabs(axis[k][j]);
            normal[k][j] = faceNormal[k];
            absNormal[k][j] = std::fabs(faceNormal[k]);
        }
    }
    absDeterminant = std::fabs(dot(columns[0], cross(columns[1], columns[2])));
    for (int j = 0; j < 3; ++j) {
        slackB[j] = slack * (absNormal[0][j] + absNormal[1][j] + absNormal[2][j]);
        for (int k = 0; k < 3; ++k)
            slackCross[k][j] = slack * (absAxis[(k + 1) % 3][j] + absAxis[(k + 2) % 3][j]);
    }
}

bool boxesOverlap(const Box& a, const Box& b, const RelativePlacement& placement) {
    return !boxesSeparated(a.center, a.size * 0.5f, b.center, b.size * 0.5f, placement);
}

float roundingSlack(const Matrix3D& relative, float radius, float otherRadius) {
    constexpr float allowance = 4e-6f;
    const float* m = relative.m;
    float stretch = 0.0f;
    for (int k = 0; k < 3; ++k)
        stretch = std::max(stretch, std::fabs(m[k]) + std::fabs(m[4 + k]) + std::fabs(m[8 + k]));
    const float shift = std::fabs(m[12]) + std::fabs(m[13]) + std::fabs(m[14]);
    return allowance * (radius + stretch * otherRadius + shift);
}

namespace {

// Projection axes for the coplanar test: the coordinate plane most nearly perpendicular to n.
void coplanarProjection(Vector3D n, int& i0, int& i1) {
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    if (ax > ay) {
        if (ax > az)
            i0 = 1, i1 = 2;
        else
            i0 = 0, i1 = 1;
    } else {
        if (az > ay)
            i0 = 0, i1 = 1;
        else
            i0 = 0, i1 = 2;
    }
}

// Edge (v0, v1) against edge (u0, u1) in the projection; meeting at an end counts.
bool edgesCross(Vector3D v0, Vector3D v1, Vector3D u0, Vector3D u1, int i0, int i1) {
    const float ax = v1[i0] - v0[i0], ay = v1[i1] - v0[i1];
    const float bx = u0[i0] - u1[i0], by = u0[i1] - u1[i1];
    const float cx = v0[i0] - u0[i0], cy = v0[i1] - u0[i1];
    const float f = ay * bx - ax * by;
    const float d = by * cx - bx * cy;
    if ((f > 0.0f && d >= 0.0f && d <= f) || (f < 0.0f && d <= 0.0f && d >= f)) {
        const float e = ax * cy - ay * cx;
        if (f > 0.0f) {
            if (e >= 0.0f && e <= f)
                return true;
        } else {
            if (e <= 0.0f && e >= f)
                return true;
        }
    }
    return false;
}

// Strictly inside: the point is on the same side of all three edges.
bool pointInTriangle(Vector3D p, const Vector3D t[3], int i0, int i1) {
    float side[3];
    for (int i = 0; i < 3; ++i) {
        const Vector3D& from = t[i];
        const Vector3D& to = t[i == 2 ? 0 : i + 1];
        const float a = to[i1] - from[i1];
        const float b = -(to[i0] - from[i0]);
        const float c = -a * from[i0] - b * from[i1];
        side[i] = a * p[i0] + b * p[i1] + c;
    }
    return side[0] * side[1] > 0.0f && side[0] * side[2] > 0.0f;
}

}  // namespace

bool coplanarTrianglesTouch(Vector3D normal, const Vector3D v[3], const Vector3D u[3]) {
    int i0, i1;
    coplanarProjection(normal, i0, i1);
    for (int i = 0; i < 3; ++i) {
        const Vector3D& v0 = v[i];
        const Vector3D& v1 = v[i == 2 ? 0 : i + 1];
        for (int j = 0; j < 3; ++j)
            if (edgesCross(v0, v1, u[j], u[j == 2 ? 0 : j + 1], i0, i1))
                return true;
    }
    return pointInTriangle(v[0], u, i0, i1) || pointInTriangle(u[0], v, i0, i1);
}

bool insideTriangle(Vector3D p, Vector3D p1, Vector3D p2, Vector3D p3, Vector3D normal) {
    const float ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
    int i0 = 0, i1 = 1;  // z dropped
    if (ax > ay && ax > az)
        i0 = 1, i1 = 2;
    else if (ay > az)
        i0 = 0, i1 = 2;
    const float e1a = p2[i0] - p1[i0], e1b = p2[i1] - p1[i1];
    const float e2a = p3[i0] - p1[i0], e2b = p3[i1] - p1[i1];
    const float wa = p[i0] - p1[i0], wb = p[i1] - p1[i1];
    const float determinant = e1a * e2b - e1b * e2a;
    const float u = (wa * e2b - wb * e2a) / determinant;
    const float v = (e1a * wb - e1b * wa) / determinant;
    return u >= 0.0f && v >= 0.0f && u + v <= 1.0f;
}

TrianglePlane unitPlaneOf(Vector3D p1, Vector3D p2, Vector3D p3) {
    const Vector3D n = cross(p2 - p1, p3 - p1);
    const float inverseLength = static_cast<float>(1.0 / std::sqrt(static_cast<double>(dot(n, n))));
    const Vector3D unit = n * inverseLength;
    return {unit, -dot(unit, p1)};
}

bool sphereTouchesTriangle(const Vector3D tri[3], Vector3D center, float radius, Vector3D& point) {
    const TrianglePlane plane = unitPlaneOf(tri[0], tri[1], tri[2]);
    const float distance = dot(plane.normal, center) + plane.offset;
    if (std::fabs(distance) > radius)
        return false;
    const Vector3D projected = center - plane.normal * distance;
    if (insideTriangle(projected, tri[0], tri[1], tri[2], plane.normal)) {
        point = projected;
        return true;
    }
    for (int i = 0; i < 3; ++i) {
        const Vector3D start = tri[i];
        const Vector3D end = tri[i == 2 ? 0 : i + 1];
        const Vector3D edge = end - start;
        const float s = dot(center - start, edge) / dot(edge, edge);
        Vector3D nearest = start + edge * s;
        if (s < 0.0f)
            nearest = start;
        else if (s > 1.0f)
            nearest = end;
        point = nearest;
        const Vector3D gap = center - nearest;
        if (radius * radius > dot(gap, gap))
            return true;
    }
    return false;
}

bool rayHitsTriangle(const Vector3D tri[3], Vector3D origin, Vector3D direction, float segmentMax,
                     float& t, Vector3D& point) {
    constexpr float parallelLimit = 1e-8f;
    const TrianglePlane plane = unitPlaneOf(tri[0], tri[1], tri[2]);
    const float approach = dot(plane.normal, direction);
    if (std::fabs(approach) < parallelLimit)
        return false;
    const float distance = -(dot(plane.normal, origin) + plane.offset) / approach;
    if (!(distance > 0.0f && distance <= segmentMax))
        return false;
    const Vector3D hit = origin + direction * distance;
    if (!insideTriangle(hit, tri[0], tri[1], tri[2], plane.normal))
        return false;
    t = distance;
    point = hit;
    return true;
}

namespace {

// Where an edge of `edges` meets triangle t, corners on t's plane included. False without a point;
// `oneSided` reports that the corners of `edges` all lie strictly on one side of t's plane.
bool edgePiercesTriangle(const Vector3D edges[3], const Vector3D t[3], Vector3D& point,
                         bool& oneSided) {
    const TrianglePlane plane = planeOf(t[0], t[1], t[2]);
    float side[3];
    oneSided = strictlyOneSide(plane, edges, side);
    if (oneSided)
        return false;
    for (int i = 0; i < 3; ++i) {
        const int j = i == 2 ? 0 : i + 1;
        if (side[i] * side[j] > 0.0f)
            continue;
        if (side[i] == side[j]) {  // the edge lies in the plane: try its start
            point = edges[i];
        } else {
            const float s = side[i] / (side[i] - side[j]);
            point = edges[i] + (edges[j] - edges[i]) * s;
        }
        if (insideTriangle(point, t[0], t[1], t[2], plane.normal))
            return true;
    }
    return false;
}

}  // namespace

Vector3D contactPoint(const Vector3D a[3], const Vector3D b[3]) {
    Vector3D point;
    bool oneSided = false;
    if (edgePiercesTriangle(b, a, point, oneSided))
        return point;
    if (oneSided)
        return {};
    if (edgePiercesTriangle(a, b, point, oneSided))
        return point;
    return {};
}

bool segmentHitsBox(Vector3D boxCenter, Vector3D halfSize, Vector3D origin, Vector3D direction,
                    float length) {
    Vector3D reach;   // half extent of the segment per axis (the direction, for a ray)
    Vector3D offset;  // from the box centre to the segment's midpoint (the origin, for a ray)
    if (length > unboundedRayLength) {
        offset = origin - boxCenter;
        for (int i = 0; i < 3; ++i)
            if (std::fabs(offset[i]) > halfSize[i] && offset[i] * direction[i] >= 0.0f)
                return false;
        reach = direction;
    } else {
        const float half = length * 0.5f;
        reach = direction * half;
        offset = origin + reach - boxCenter;
        for (int i = 0; i < 3; ++i)
            if (std::fabs(offset[i]) > halfSize[i] + std::fabs(reach[i]))
                return false;
    }
    // The ray's or segment's direction crossed with each box axis.
    const Vector3D spread(std::fabs(reach.x), std::fabs(reach.y), std::fabs(reach.z));
    if (std::fabs(reach.y * offset.z - reach.z * offset.y) >
        halfSize.y * spread.z + halfSize.z * spread.y)
        return false;
    if (std::fabs(reach.z * offset.x - reach.x * offset.z) >
        halfSize.x * spread.z + halfSize.z * spread.x)
        return false;
    if (std::fabs(reach.x * offset.y - reach.y * offset.x) >
        halfSize.x * spread.y + halfSize.y * spread.x)
        return false;
    return true;
}

}  // namespace COLDET
