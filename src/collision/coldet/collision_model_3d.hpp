// The collision library's public face: an abstract triangle model that answers whether two
// models touch (and which triangles did), plus sphere and ray queries. Depends on nothing else.
#pragma once

namespace COLDET {

// Thrown when a model is used out of order: adding or finalizing after finalize, querying before.
struct Inconsistency {};
// Thrown by collide when its millisecond time limit has passed.
struct TimeoutExpired {};

}  // namespace COLDET

using COLDET::Inconsistency;
using COLDET::TimeoutExpired;

// One model's triangles in its own space plus its current model-to-world transform (16 floats,
// column-major, translation in elements 12..14). Build with addTriangle, then finalize once.
class CollisionModel3D {
  public:
    virtual ~CollisionModel3D() = default;

    virtual void reserveTriangles(int count) = 0;
    virtual void addTriangle(const float* p1, const float* p2, const float* p3) = 0;
    virtual void addTriangle(float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                             float y3, float z3) = 0;
    virtual void finalize() = 0;
    // Distance of the farthest corner from the model origin (its square before finalize).
    virtual float boundingRadius() = 0;
    virtual void setTransform(const float* matrix) = 0;

    // True when a triangle of this model touches one of `other`. maxProcessingTime is in
    // milliseconds (0: no practical limit); otherTransform, when given, replaces other's transform.
    virtual bool collide(CollisionModel3D* other, int accuracyDepth = -1, int maxProcessingTime = 0,
                         const float* otherTransform = nullptr) = 0;
    // Direction is not normalised: segment bounds count in direction lengths.
    virtual bool collideRay(const float* origin, const float* direction, bool closestOnly = false,
                            float segmentMin = 0.0f, float segmentMax = 3.4e38f) = 0;
    virtual bool collideSphere(const float* center, float radius) = 0;

    // Results of the last successful query on this model.
    virtual bool lastHitTriangleIndices(int& index1, int& index2) = 0;
    virtual bool lastHitTriangles(float* triangle1, float* triangle2, bool modelSpace = true) = 0;
    virtual bool lastHitPoint(float* point, bool modelSpace = true) = 0;
};
