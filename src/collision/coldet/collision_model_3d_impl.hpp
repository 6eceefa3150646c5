// The one implementation of CollisionModel3D: the triangles, their box tree, the transform and
// the results of the last query. Queries walk the flat tree without virtual calls or allocation.
#pragma once

#include <cstdint>
#include <vector>

#include "box_tree.hpp"
#include "collision_model_3d.hpp"
#include "vector_3d.hpp"

namespace COLDET {

class CollisionModel3DImpl : public CollisionModel3D {
  public:
    enum HitKind : int32_t { ModelHit = 0, RayHit = 1, SphereHit = 2 };

    CollisionModel3DImpl() = default;

    void reserveTriangles(int count) override;
    void addTriangle(const float* p1, const float* p2, const float* p3) override;
    void addTriangle(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                     float z3) override;
    void finalize() override;
    float boundingRadius() override { return radius; }
    void setTransform(const float* matrix) override;

    bool collide(CollisionModel3D* other, int accuracyDepth = -1, int maxProcessingTime = 0,
                 const float* otherTransform = nullptr) override;
    bool collideRay(const float* origin, const float* direction, bool closestOnly = false,
                    float segmentMin = 0.0f, float segmentMax = 3.4e38f) override;
    bool collideSphere(const float* center, float radius) override;

    bool lastHitTriangleIndices(int& index1, int& index2) override;
    bool lastHitTriangles(float* triangle1, float* triangle2, bool modelSpace = true) override;
    bool lastHitPoint(float* point, bool modelSpace = true) override;

    // Read-only views for tests and tools.
    bool isFinalized() const { return finalized; }
    int triangleCount() const { return triangleTotal; }
    const BoxTree& tree() const { return boxTree; }
    int lastHitKind() const { return hitKind; }
    // Bytes held by the finalized tree (nodes, leaf triangles), without the object itself.
    std::size_t treeMemoryBytes() const { return boxTree.memoryBytes(); }

  private:
    // A pair of nodes still to be examined, with the other node's box centre placed in this
    // model's space (shared by both pairs when this model's node is the one opened). A negative
    // `others` (~index) means the centre is still to be placed, when the pair is taken.
    struct NodePair {
        int32_t mine, others;
        Vector3D placedCenter;
    };

    bool boundingSpheresApart(const Matrix3D& otherMatrix, float otherRadius) const;

    bool leavesTouch(const BoxTreeNode& a, const CollisionModel3DImpl& other, const BoxTreeNode& b,
                     const Matrix3D& relative);
    void recordSingleHit(const LeafTriangle& triangle, Vector3D point);
    template <typename Reaches, typename Visit>
    bool walkTree(Reaches reaches, Visit visit);
    Vector3D worldPoint(Vector3D p, bool modelSpace) const;

    float radius = 0.0f;
    std::vector<BoxedTriangle> triangles;  // as added; released once the tree holds them
    int triangleTotal = 0;
    BoxTree boxTree;
    Matrix3D transform;
    Triangle hitTriangle1{}, hitTriangle2{};
    int32_t hitIndex1 = 0, hitIndex2 = 0;
    Vector3D hitPoint;
    int32_t hitKind = ModelHit;
    bool finalized = false;
    std::vector<NodePair> pairStack;  // reused by every collide call on this model
    std::vector<int32_t> nodeStack;   // reused by the sphere and ray walks
};

}  // namespace COLDET
