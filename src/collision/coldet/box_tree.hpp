// The box tree of one model: triangles with their tight boxes, and the axis-aligned box tree
// built once by splitting at the centroid mean, stored flat in depth-first order for the queries.
#pragma once

#include <cstdint>
#include <vector>

#include "vector_3d.hpp"

namespace COLDET {

struct Box {
    Vector3D min;
    Vector3D size;  // never negative
    Vector3D center;
};

struct Triangle {
    Vector3D p1, p2, p3;
    Vector3D centroid;  // ((p1 + p2) + p3) * 0.33333334
};

Vector3D centroidOf(Vector3D p1, Vector3D p2, Vector3D p3);

// A triangle as added to a model, with the tight box of its corners (no widening).
struct BoxedTriangle : Box, Triangle {
    BoxedTriangle(Vector3D a, Vector3D b, Vector3D c);
};

// One node of the flat tree. Inner nodes have exactly two children: the second right after the
// node, the first at `link`; the walks open the second child first, so it sits next to its parent
// in memory. Leaves (a single triangle, or a bucket of triangles that the split
// rule cannot separate) hold triangleCount() consecutive entries of the leaf-ordered triangles.
struct BoxTreeNode {
    Vector3D center;
    Vector3D halfSize;
    union {
        float volume;           // inner nodes: size.x * size.y * size.z, for the descent rule
        int32_t firstTriangle;  // leaves
    };
    int32_t link;  // inner: index of the first child; leaf: ~triangleCount

    bool isLeaf() const { return link < 0; }
    int childCount() const { return isLeaf() ? 0 : 2; }
    int triangleCount() const { return isLeaf() ? ~link : 0; }
    Vector3D size() const { return halfSize * 2.0f; }
    // Children of the inner node stored at index `self`.
    int32_t firstChild() const { return link; }
    static int32_t secondChild(int32_t self) { return self + 1; }
};

// A triangle in leaf order, with its plane (unnormalised normal and offset, as the triangle test
// computes them) and its position among the triangles as added.
struct LeafTriangle {
    Vector3D corners[3];
    Vector3D normal;
    float offset;
    int32_t index;
};

class BoxTree {
  public:
    // Replaces the tree by one over `triangles` (in the order added).
    void build(const std::vector<BoxedTriangle>& triangles);

    const std::vector<BoxTreeNode>& nodes() const { return nodes_; }
    const std::vector<LeafTriangle>& triangles() const { return leafTriangles_; }
    std::size_t memoryBytes() const;

  private:
    void split(const std::vector<BoxedTriangle>& triangles, int begin, int end);
    void addLeaf(const std::vector<BoxedTriangle>& triangles, const Box& box, int begin, int end);

    std::vector<BoxTreeNode> nodes_;
    std::vector<LeafTriangle> leafTriangles_;
    std::vector<int32_t> members_;  // triangle numbers, regrouped node by node while building
    std::vector<int32_t> scratch_;
};

}  // namespace COLDET
