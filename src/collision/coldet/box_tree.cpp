// Building the box tree: fit a box to the members, split them at the mean of their centroids on
// the axis of largest spread, and repeat depth-first; members that cannot be separated stay a
// bucket.
#include "box_tree.hpp"

#include "overlap_tests.hpp"

namespace COLDET {

namespace {

constexpr float boundsStart = 9e9f;
// A fitted box that is flat on an axis gets this thickness there, so that it has a volume.
constexpr float flatBoxWidening = 0.001f;

Box fittedBox(const std::vector<BoxedTriangle>& triangles, const int32_t* members, int count) {
    Vector3D lo(boundsStart, boundsStart, boundsStart),
        hi(-boundsStart, -boundsStart, -boundsStart);
    for (int m = 0; m < count; ++m) {
        const Triangle& t = triangles[members[m]];
        for (const Vector3D& p : {t.p1, t.p2, t.p3})
            for (int a = 0; a < 3; ++a) {
                if (p[a] < lo[a])
                    lo[a] = p[a];
                if (p[a] > hi[a])
                    hi[a] = p[a];
            }
    }
    Box box;
    box.min = lo;
    box.size = hi - lo;
    for (int a = 0; a < 3; ++a)
        if (box.size[a] == 0.0f) {
            box.min[a] -= flatBoxWidening;
            box.size[a] = 2.0f * flatBoxWidening;
        }
    box.center = box.min + box.size * 0.5f;
    return box;
}

BoxTreeNode nodeFor(const Box& box) {
    BoxTreeNode node;
    node.center = box.center;
    node.halfSize = box.size * 0.5f;
    node.volume = box.size.x * box.size.y * box.size.z;
    node.link = 0;
    return node;
}

// Axis of the largest summed distance of the centroids from their mean; ties go to x.
int splitAxis(const std::vector<BoxedTriangle>& triangles, const int32_t* members, int count,
              Vector3D mean) {
    Vector3D spread;
    for (int m = 0; m < count; ++m) {
        const Vector3D c = triangles[members[m]].centroid;
        spread.x += std::fabs(c.x - mean.x);
        spread.y += std::fabs(c.y - mean.y);
        spread.z += std::fabs(c.z - mean.z);
    }
    if (spread.y > spread.x && spread.y > spread.z)
        return 1;
    if (spread.z > spread.x && spread.z > spread.y)
        return 2;
    return 0;
}

}  // namespace

Vector3D centroidOf(Vector3D p1, Vector3D p2, Vector3D p3) {
    return ((p1 + p2) + p3) * 0.33333334f;
}

BoxedTriangle::BoxedTriangle(Vector3D a, Vector3D b, Vector3D c)
    : Box{}, Triangle{a, b, c, centroidOf(a, b, c)} {
    for (int axis = 0; axis < 3; ++axis) {
        const float lo = std::fmin(std::fmin(a[axis], b[axis]), c[axis]);
        const float hi = std::fmax(std::fmax(a[axis], b[axis]), c[axis]);
        min[axis] = lo;
        size[axis] = hi - lo;
    }
    center = min + size * 0.5f;
}

void BoxTree::build(const std::vector<BoxedTriangle>& triangles) {
    const int count = static_cast<int>(triangles.size());
    nodes_.clear();
    leafTriangles_.clear();
    nodes_.reserve(2 * static_cast<std::size_t>(count) + 1);
    leafTriangles_.reserve(triangles.size());
    members_.resize(triangles.size());
    scratch_.resize(triangles.size());
    for (int i = 0; i < count; ++i)
        members_[i] = i;

    if (count == 0) {
        // A model without triangles: the root keeps an all-zero box and holds nothing.
        BoxTreeNode root = nodeFor(Box{});
        root.firstTriangle = 0;
        root.link = ~0;
        nodes_.push_back(root);
    } else {
        split(triangles, 0, count);
    }
    nodes_.shrink_to_fit();
    members_ = {};
    scratch_ = {};
}

void BoxTree::addLeaf(const std::vector<BoxedTriangle>& triangles, const Box& box, int begin,
                      int end) {
    BoxTreeNode node = nodeFor(box);
    node.firstTriangle = static_cast<int32_t>(leafTriangles_.size());
    node.link = ~(end - begin);
    nodes_.push_back(node);
    for (int m = begin; m < end; ++m) {
        const Triangle& t = triangles[members_[m]];
        const TrianglePlane plane = planeOf(t.p1, t.p2, t.p3);
        leafTriangles_.push_back({{t.p1, t.p2, t.p3}, plane.normal, plane.offset, members_[m]});
    }
}

// Depth-first with an explicit stack (the depth is unbounded for unlucky inputs). The split itself
// runs first child first; the layout puts each node's second child right after it and patches the
// first child's index in when it is placed.
void BoxTree::split(const std::vector<BoxedTriangle>& triangles, int begin, int end) {
    struct Pending {
        int begin, end;
        int parent;  // node whose first child this is, or -1
    };
    std::vector<Pending> pending{{begin, end, -1}};
    while (!pending.empty()) {
        const Pending task = pending.back();
        pending.pop_back();
        const int index = static_cast<int>(nodes_.size());
        if (task.parent >= 0)
            nodes_[task.parent].link = index;
        const int count = task.end - task.begin;
        const int32_t* members = members_.data() + task.begin;

        // A lone triangle below the root is a leaf with the triangle's own tight box.
        if (count == 1 && index != 0) {
            addLeaf(triangles, triangles[members[0]], task.begin, task.end);
            continue;
        }

        const Box box = fittedBox(triangles, members, count);
        Vector3D sum;
        for (int m = 0; m < count; ++m)
            sum = sum + triangles[members[m]].centroid;
        const Vector3D mean = sum * (1.0f / static_cast<float>(count));
        const int axis = splitAxis(triangles, members, count, mean);

        // Stable partition: centroids below the mean first, the rest after, both in member order.
        int below = 0, rest = 0;
        for (int m = 0; m < count; ++m) {
            if (triangles[members[m]].centroid[axis] < mean[axis])
                members_[task.begin + below++] = members[m];
            else
                scratch_[rest++] = members[m];
        }
        for (int m = 0; m < rest; ++m)
            members_[task.begin + below + m] = scratch_[m];

        if (below == 0 || rest == 0) {
            addLeaf(triangles, box, task.begin, task.end);
            continue;
        }
        nodes_.push_back(nodeFor(box));
        pending.push_back({task.begin, task.begin + below, index});
        pending.push_back({task.begin + below, task.end, -1});
    }
}

std::size_t BoxTree::memoryBytes() const {
    return nodes_.capacity() * sizeof(BoxTreeNode) +
           leafTriangles_.capacity() * sizeof(LeafTriangle);
}

}  // namespace COLDET
