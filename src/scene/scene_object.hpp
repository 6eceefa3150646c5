// The base of everything placed in the scene: an object-to-world matrix kept together with its
// inverse, a copy of both from construction for resets, and parent/child links along which
// translations travel. Every matrix is already in world space; there is no relative scene graph.
#pragma once

#include <unordered_set>

#include "scene/math.hpp"

namespace vantor::scene {

// World multiplies a transform from the left (M = A * M), Local from the right (M = M * A).
enum TransformSpace : int { World = 0, Local = 1 };

class SceneObject {
  public:
    explicit SceneObject(const mat4& initial);
    // Parent and children are links, not ownership: neither is touched here.
    virtual ~SceneObject();

    virtual void update(double dt) = 0;
    virtual mat4 getModelMatrix() const;
    virtual mat4 getInverseModelMatrix() const;
    // Turns about the world-space line through point with direction axis; angle in degrees.
    virtual void rotateAround(float angle, vec3 axis, vec3 point);
    // Children are not turned.
    virtual void rotate(float angle, vec3 axis, TransformSpace space);
    // The world-space offset is passed on to every child, and so to the whole subtree.
    virtual void translate(vec3 offset, TransformSpace space);
    // Children are not scaled.
    virtual void scale(vec3 factors, TransformSpace space);
    // Back to the matrices of construction; parent and children are left as they are.
    virtual void reset();
    // Transpose of the upper-left 3x3 of the inverse model matrix.
    virtual mat3 getNormalMatrix() const;
    // Links child (once, however often it is added) and makes this its parent. Returns child.
    virtual SceneObject* addChild(SceneObject* child);
    // Unlinks child if present and clears its parent in every case. Returns child.
    virtual SceneObject* removeChild(SceneObject* child);

    mat4 modelMatrix;
    // Kept in step with modelMatrix by every transform; for a camera it is the view matrix.
    mat4 inverseModelMatrix;
    mat4 initialModelMatrix;
    mat4 initialInverseModelMatrix;
    SceneObject* parent = nullptr;
    std::unordered_set<SceneObject*> children;

  protected:
    // Applies a and its exact inverse aInv to both matrices, so the inverse never needs
    // recomputing from scratch.
    void applyTransform(TransformSpace space, const mat4& a, const mat4& aInv);
};

}  // namespace vantor::scene
