// Building a model and answering its queries. collide walks pairs of nodes (this model's, the
// other's) on an explicit stack, descending into the larger box first, and stops at the first
// touching triangle pair; the clock is read every few pairs, not on every one.
#include "collision_model_3d_impl.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "overlap_tests.hpp"

namespace COLDET {

namespace {

// maxProcessingTime 0 means this many milliseconds (about 4.66 hours).
constexpr uint32_t unlimitedMilliseconds = 0xFFFFFF;
// Reading the clock costs about as much as a few box tests, so it is read once per this many pairs.
constexpr int clockCheckInterval = 64;
constexpr int minimumPairStack = 64;
constexpr int pairStackTrianglesPerEntry = 16;
// The closest-hit ray query starts from this distance.
constexpr float farthestRayHit = 9e9f;

// Milliseconds from a monotonic clock, wrapping like a 32-bit tick counter.
uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Matrix3D matrixFrom(const float* values) {
    Matrix3D matrix;
    std::copy(values, values + 16, matrix.m);
    return matrix;
}

float squaredDistanceToBox(Vector3D p, const BoxTreeNode& node) {
    float total = 0.0f;
    for (int a = 0; a < 3; ++a) {
        const float lo = node.center[a] - node.halfSize[a];
        const float hi = node.center[a] + node.halfSize[a];
        float gap = 0.0f;
        if (p[a] < lo)
            gap = lo - p[a];
        else if (p[a] > hi)
            gap = p[a] - hi;
        total += gap * gap;
    }
    return total;
}

}  // namespace

void CollisionModel3DImpl::reserveTriangles(int count) {
    if (finalized)
        return;
    // A negative count becomes a huge one, which reserve rejects with std::length_error.
    triangles.reserve(static_cast<std::size_t>(count));
}

void CollisionModel3DImpl::addTriangle(const float* p1, const float* p2, const float* p3) {
    addTriangle(p1[0], p1[1], p1[2], p2[0], p2[1], p2[2], p3[0], p3[1], p3[2]);
}

void CollisionModel3DImpl::addTriangle(float x1, float y1, float z1, float x2, float y2, float z2,
                                       float x3, float y3, float z3) {
    if (finalized)
        throw Inconsistency();
    const Vector3D corners[3] = {{x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}};
    triangles.emplace_back(corners[0], corners[1], corners[2]);
    for (const Vector3D& p : corners)
        radius = std::max(radius, dot(p, p));
}

void CollisionModel3DImpl::finalize() {
    if (finalized)
        throw Inconsistency();
    radius = static_cast<float>(std::sqrt(static_cast<double>(radius)));
    finalized = true;
    triangleTotal = static_cast<int>(triangles.size());
    boxTree.build(triangles);
    // The tree keeps its own copy of every corner, in leaf order.
    triangles = {};
}

void CollisionModel3DImpl::setTransform(const float* matrix) {
    transform = matrixFrom(matrix);
}

bool CollisionModel3DImpl::collide(CollisionModel3D* otherModel, int /*accuracyDepth*/,
                                   int maxProcessingTime, const float* otherTransform) {
    hitKind = ModelHit;
    if (!finalized)
        throw Inconsistency();
    auto* other = static_cast<CollisionModel3DImpl*>(otherModel);
    if (!other->finalized)
        throw Inconsistency();
    // A model without triangles touches nothing (its root has neither children nor triangles).
    if (triangleTotal == 0 || other->triangleTotal == 0)
        return false;

    const Matrix3D& otherMatrix = otherTransform ? matrixFrom(otherTransform) : other->transform;
    if (boundingSpheresApart(otherMatrix, other->radius))
        return false;
    const Matrix3D relative = product(inverse(transform), otherMatrix);
    const RelativePlacement placement(relative, roundingSlack(relative, radius, other->radius));
    const uint32_t start = tickCount();
    const uint32_t limit =
        maxProcessingTime == 0 ? unlimitedMilliseconds : static_cast<uint32_t>(maxProcessingTime);

    const std::size_t wanted = static_cast<std::size_t>(
        std::max(std::max(triangleTotal, other->triangleTotal) / pairStackTrianglesPerEntry,
                 minimumPairStack));
    if (pairStack.size() < wanted)
        pairStack.resize(wanted);

    const BoxTreeNode* mine = boxTree.nodes().data();
    const BoxTreeNode* theirs = other->boxTree.nodes().data();
    std::size_t top = 0;
    pairStack[top++] = {0, ~0, {}};
    int untilClockCheck = 1;
    while (top > 0) {
        NodePair pair = pairStack[--top];
        // Examine `pair`; after opening a box, go on with its second child directly.
        for (;;) {
            if (--untilClockCheck == 0) {
                untilClockCheck = clockCheckInterval;
                if (static_cast<uint32_t>(tickCount() - start) >= limit)
                    throw TimeoutExpired();
            }
            if (pair.others < 0) {
                pair.others = ~pair.others;
                pair.placedCenter = transformPoint(relative, theirs[pair.others].center);
            }
            const BoxTreeNode& a = mine[pair.mine];
            const BoxTreeNode& b = theirs[pair.others];
            // Between leaves the full test decides which triangles are compared. Above them the
            // face axes alone suffice: a pair they fail to prune only leads to leaf pairs whose
            // boxes lie inside the pruned ones and are then rejected by the full test, so the
            // triangle pairs compared, and their order, stay the same.
            if (a.isLeaf() && b.isLeaf()) {
                if (!placedBoxesSeparated<true>(a.center, a.halfSize, pair.placedCenter, b.halfSize,
                                                placement) &&
                    leavesTouch(a, *other, b, relative))
                    return true;
                break;
            }
            if (placedBoxesSeparated<false>(a.center, a.halfSize, pair.placedCenter, b.halfSize,
                                            placement))
                break;
            // Open the larger box (by volume in its own space). The first child waits on the
            // stack for the whole second subtree, so its node is fetched meanwhile.
            if (top == pairStack.size())
                pairStack.resize(2 * pairStack.size());
            if (!a.isLeaf() && (b.isLeaf() || a.volume > b.volume)) {
                __builtin_prefetch(&mine[a.firstChild()]);
                pairStack[top++] = {a.firstChild(), pair.others, pair.placedCenter};
                pair.mine = BoxTreeNode::secondChild(pair.mine);
            } else {
                __builtin_prefetch(&theirs[b.firstChild()]);
                pairStack[top++] = {pair.mine, ~b.firstChild(), {}};
                pair.others = ~BoxTreeNode::secondChild(pair.others);
            }
        }
    }
    return false;
}

// A cheap first answer for models far apart: each lies within its radius times the Frobenius norm
// of its transform (a bound on how far the transform stretches) around its origin. Only affine
// transforms qualify; the comparison leaves room for rounding.
bool CollisionModel3DImpl::boundingSpheresApart(const Matrix3D& otherMatrix,
                                                float otherRadius) const {
    constexpr float roundingRoom = 1.001f;
    auto affine = [](const Matrix3D& m) {
        return m.m[3] == 0.0f && m.m[7] == 0.0f && m.m[11] == 0.0f && m.m[15] == 1.0f;
    };
    if (!affine(transform) || !affine(otherMatrix))
        return false;
    auto stretch = [](const Matrix3D& m) {
        float sum = 0.0f;
        for (int i = 0; i < 12; ++i)
            if (i % 4 != 3)
                sum += m.m[i] * m.m[i];
        return std::sqrt(sum);
    };
    const float reach =
        (radius * stretch(transform) + otherRadius * stretch(otherMatrix)) * roundingRoom;
    const Vector3D apart(otherMatrix.m[12] - transform.m[12], otherMatrix.m[13] - transform.m[13],
                         otherMatrix.m[14] - transform.m[14]);
    return dot(apart, apart) > reach * reach;
}

bool CollisionModel3DImpl::leavesTouch(const BoxTreeNode& a, const CollisionModel3DImpl& other,
                                       const BoxTreeNode& b, const Matrix3D& relative) {
    const LeafTriangle* mineFirst = boxTree.triangles().data() + a.firstTriangle;
    const LeafTriangle* mineEnd = mineFirst + a.triangleCount();
    const LeafTriangle* theirsFirst = other.boxTree.triangles().data() + b.firstTriangle;
    const LeafTriangle* theirsEnd = theirsFirst + b.triangleCount();
    for (const LeafTriangle* t = theirsFirst; t != theirsEnd; ++t) {
        const Vector3D placed[3] = {transformPoint(relative, t->corners[0]),
                                    transformPoint(relative, t->corners[1]),
                                    transformPoint(relative, t->corners[2])};
        const TrianglePlane placedPlane = planeOf(placed[0], placed[1], placed[2]);
        for (const LeafTriangle* m = mineFirst; m != mineEnd; ++m) {
            if (trianglesTouch(placed, placedPlane, m->corners, {m->normal, m->offset})) {
                hitTriangle1 = {m->corners[0], m->corners[1], m->corners[2],
                                centroidOf(m->corners[0], m->corners[1], m->corners[2])};
                hitTriangle2 = {placed[0], placed[1], placed[2],
                                centroidOf(placed[0], placed[1], placed[2])};
                hitIndex1 = m->index;
                hitIndex2 = t->index;
                return true;
            }
        }
    }
    return false;
}

void CollisionModel3DImpl::recordSingleHit(const LeafTriangle& triangle, Vector3D point) {
    const Vector3D* c = triangle.corners;
    hitTriangle1 = {c[0], c[1], c[2], centroidOf(c[0], c[1], c[2])};
    hitIndex1 = triangle.index;
    hitPoint = point;
}

// Walks the tree depth first, first child first, opening only the boxes `reaches` accepts, and
// hands the triangles of each reached leaf to `visit`; stops as soon as `visit` returns true, and
// says whether it did. The node stack is kept between queries, so a walk allocates nothing once
// the stack has grown to the tree's depth.
template <typename Reaches, typename Visit>
bool CollisionModel3DImpl::walkTree(Reaches reaches, Visit visit) {
    const BoxTreeNode* nodes = boxTree.nodes().data();
    const LeafTriangle* leafTriangles = boxTree.triangles().data();
    if (nodeStack.size() < static_cast<std::size_t>(minimumPairStack))
        nodeStack.resize(minimumPairStack);
    std::size_t top = 0;
    nodeStack[top++] = 0;
    while (top > 0) {
        const BoxTreeNode& node = nodes[nodeStack[--top]];
        if (!reaches(node))
            continue;
        if (!node.isLeaf()) {
            if (top + 2 > nodeStack.size())
                nodeStack.resize(2 * nodeStack.size());
            nodeStack[top++] = BoxTreeNode::secondChild(static_cast<int32_t>(&node - nodes));
            nodeStack[top++] = node.firstChild();
            continue;
        }
        for (int i = node.triangleCount() - 1; i >= 0; --i) {
            if (visit(leafTriangles[node.firstTriangle + i]))
                return true;
        }
    }
    return false;
}

bool CollisionModel3DImpl::collideSphere(const float* center, float sphereRadius) {
    hitKind = SphereHit;
    if (!finalized)
        throw Inconsistency();
    const Vector3D local = transformPoint(inverse(transform), Vector3D(center));
    const float reach = sphereRadius * sphereRadius;
    return walkTree(
        [&](const BoxTreeNode& node) { return !(squaredDistanceToBox(local, node) > reach); },
        [&](const LeafTriangle& triangle) {
            Vector3D point;
            if (!sphereTouchesTriangle(triangle.corners, local, sphereRadius, point))
                return false;
            recordSingleHit(triangle, point);
            return true;
        });
}

bool CollisionModel3DImpl::collideRay(const float* origin, const float* direction, bool closestOnly,
                                      float segmentMin, float segmentMax) {
    hitKind = RayHit;
    if (!finalized)
        throw Inconsistency();
    const Matrix3D toModel = inverse(transform);
    Vector3D from = transformPoint(toModel, Vector3D(origin));
    Vector3D heading = transformVector(toModel, Vector3D(direction));
    if (segmentMin != 0.0f) {
        from = from + heading * segmentMin;
        segmentMax -= segmentMin;
    }
    if (segmentMax < 0.0f) {
        heading = -heading;
        segmentMax = -segmentMax;
    }

    float closest = farthestRayHit;
    bool found = false;
    const bool stoppedAtFirst = walkTree(
        [&](const BoxTreeNode& node) {
            return segmentHitsBox(node.center, node.halfSize, from, heading, segmentMax);
        },
        [&](const LeafTriangle& triangle) {
            float t;
            Vector3D point;
            if (!rayHitsTriangle(triangle.corners, from, heading, segmentMax, t, point))
                return false;
            if (!closestOnly) {
                recordSingleHit(triangle, point);
                return true;
            }
            if (t < closest) {
                closest = t;
                recordSingleHit(triangle, point);
                found = true;
            }
            return false;
        });
    return stoppedAtFirst || found;
}

bool CollisionModel3DImpl::lastHitTriangleIndices(int& index1, int& index2) {
    index1 = hitIndex1;
    index2 = hitIndex2;
    return true;
}

Vector3D CollisionModel3DImpl::worldPoint(Vector3D p, bool modelSpace) const {
    return modelSpace ? p : transformPoint(transform, p);
}

bool CollisionModel3DImpl::lastHitTriangles(float* triangle1, float* triangle2, bool modelSpace) {
    const Triangle* hits[2] = {&hitTriangle1, &hitTriangle2};
    float* outputs[2] = {triangle1, triangle2};
    for (int h = 0; h < 2; ++h) {
        if (!outputs[h])
            continue;
        const Vector3D corners[3] = {hits[h]->p1, hits[h]->p2, hits[h]->p3};
        for (int c = 0; c < 3; ++c) {
            const Vector3D p = worldPoint(corners[c], modelSpace);
            outputs[h][3 * c] = p.x;
            outputs[h][3 * c + 1] = p.y;
            outputs[h][3 * c + 2] = p.z;
        }
    }
    return true;
}

bool CollisionModel3DImpl::lastHitPoint(float* point, bool modelSpace) {
    Vector3D p;
    if (hitKind == RayHit || hitKind == SphereHit) {
        p = hitPoint;
    } else {
        const Vector3D first[3] = {hitTriangle1.p1, hitTriangle1.p2, hitTriangle1.p3};
        const Vector3D second[3] = {hitTriangle2.p1, hitTriangle2.p2, hitTriangle2.p3};
        p = contactPoint(first, second);
    }
    p = worldPoint(p, modelSpace);
    point[0] = p.x;
    point[1] = p.y;
    point[2] = p.z;
    return true;
}

}  // namespace COLDET
