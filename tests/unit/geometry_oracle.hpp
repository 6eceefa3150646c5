// Second answers for the collision library's geometry, in double precision and derived another way:
// triangle contact by separating axes, sphere contact by the closest point, ray hits by barycentric
// coordinates. Each returns a signed margin, so callers can tell a clear answer from a near tie.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace oracle {

struct Vec {
    double x = 0, y = 0, z = 0;
    Vec operator+(Vec b) const { return {x + b.x, y + b.y, z + b.z}; }
    Vec operator-(Vec b) const { return {x - b.x, y - b.y, z - b.z}; }
    Vec operator*(double s) const { return {x * s, y * s, z * s}; }
    friend double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
    friend Vec cross(Vec a, Vec b) {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }
    friend double length(Vec a) { return std::sqrt(dot(a, a)); }
};

using Tri = std::array<Vec, 3>;

inline Vec edge(const Tri& t, int i) {
    return t[(i + 1) % 3] - t[i];
}
inline Vec normal(const Tri& t) {
    return cross(t[1] - t[0], t[2] - t[0]);
}

// Two triangles are disjoint exactly when their projections on one of these axes are: both
// normals, the nine edge-edge crosses, and each triangle's edge normals within its own plane (the
// side faces of a flat prism, which decide the coplanar case). Returns the widest gap along an
// axis when they are apart, else minus the smallest overlap: the depth they would have to move
// to part. Near-parallel edge pairs give no axis (its direction would be noise), and an axis
// along which both lie flat in one plane tells nothing of depth.
inline double separation(const Tri& a, const Tri& b) {
    Vec axes[17];
    int count = 0;
    const auto add = [&](Vec u, Vec v) {
        if (length(cross(u, v)) > 1e-9 * length(u) * length(v))
            axes[count++] = cross(u, v);
    };
    add(edge(a, 0), edge(a, 1));
    add(edge(b, 0), edge(b, 1));
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            add(edge(a, i), edge(b, j));
        add(normal(a), edge(a, i));
        add(normal(b), edge(b, i));
    }
    double widest = -std::numeric_limits<double>::infinity();
    for (int k = 0; k < count; ++k) {
        double lo[2], hi[2];
        for (int t = 0; t < 2; ++t) {
            const Tri& tri = t == 0 ? a : b;
            const double p[3] = {dot(axes[k], tri[0]), dot(axes[k], tri[1]), dot(axes[k], tri[2])};
            lo[t] = std::min({p[0], p[1], p[2]});
            hi[t] = std::max({p[0], p[1], p[2]});
        }
        const double gap = std::max(lo[1] - hi[0], lo[0] - hi[1]);
        if (gap != 0 || lo[0] != hi[0] || lo[1] != hi[1])
            widest = std::max(widest, gap / length(axes[k]));
    }
    return widest;
}

inline Vec nearestOnSegment(Vec p, Vec from, Vec to) {
    const Vec d = to - from;
    return from + d * std::clamp(dot(p - from, d) / dot(d, d), 0.0, 1.0);
}

// Distance from p to the closest point of the triangle, and whether p's foot on the plane lies in
// the closed triangle (then the closest point is that foot).
struct Closest {
    double distance;
    bool footInside;
};

inline Closest closest(const Tri& t, Vec p) {
    const Vec n = normal(t);
    bool inside = true;
    for (int i = 0; i < 3; ++i)
        inside = inside && dot(cross(edge(t, i), p - t[i]), n) >= 0;
    if (inside)
        return {std::fabs(dot(p - t[0], n)) / length(n), true};
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 3; ++i)
        best = std::min(best, length(p - nearestOnSegment(p, t[i], t[(i + 1) % 3])));
    return {best, false};
}

// Where the line origin + t * direction crosses the triangle's plane, by Cramer's rule on the
// edge vectors. `margin` is how far the crossing could move before the answer changed: the least
// of its distances inside the edges and from the ends of the range [lo, hi] of t, measured across
// the ray; negative when it misses. A ray within the plane has no crossing (NaN).
struct Crossing {
    double t;
    Vec point;
    double margin;
};

inline Crossing crossing(const Tri& tri, Vec origin, Vec direction, double lo, double hi) {
    const Vec e1 = tri[1] - tri[0], e2 = tri[2] - tri[0], n = cross(e1, e2), w = origin - tri[0];
    const double det = -dot(direction, n);
    if (det == 0)
        return {NAN, {}, NAN};
    const double t = dot(w, n) / det;
    const double u = -dot(direction, cross(w, e2)) / det;
    const double v = -dot(direction, cross(e1, w)) / det;
    const double area2 = length(n), reach = length(direction);
    const double across = std::fabs(det) / (area2 * reach);  // sine of the angle to the plane
    const double weights[3] = {1 - u - v, u, v};
    double margin = std::min(t - lo, hi - t) * reach * across;
    for (int i = 0; i < 3; ++i)  // a corner's weight times its height over the opposite edge
        margin = std::min(margin, weights[i] * area2 / length(edge(tri, (i + 1) % 3)) * across);
    return {t, origin + direction * t, margin};
}

}  // namespace oracle
