// Transform operations of scene objects and the parent/child links that carry translations.
#include "scene/scene_object.hpp"

namespace vantor::scene {

SceneObject::SceneObject(const mat4& initial)
    : modelMatrix(initial),
      inverseModelMatrix(inverse(initial)),
      initialModelMatrix(initial),
      initialInverseModelMatrix(inverseModelMatrix) {}

SceneObject::~SceneObject() = default;

mat4 SceneObject::getModelMatrix() const {
    return modelMatrix;
}

mat4 SceneObject::getInverseModelMatrix() const {
    return inverseModelMatrix;
}

void SceneObject::applyTransform(TransformSpace space, const mat4& a, const mat4& aInv) {
    if (space == World) {
        modelMatrix = a * modelMatrix;
        inverseModelMatrix = inverseModelMatrix * aInv;
    } else {
        modelMatrix = modelMatrix * a;
        inverseModelMatrix = aInv * inverseModelMatrix;
    }
}

void SceneObject::rotateAround(float angle, vec3 axis, vec3 point) {
    translate(-point, World);
    rotate(angle, axis, World);
    translate(point, World);
}

void SceneObject::rotate(float angle, vec3 axis, TransformSpace space) {
    applyTransform(space, scene::rotate(mat4(), angle, axis), scene::rotate(mat4(), -angle, axis));
}

void SceneObject::translate(vec3 offset, TransformSpace space) {
    applyTransform(space, scene::translate(mat4(), offset), scene::translate(mat4(), -offset));
    if (children.empty()) {
        return;
    }
    const vec3 worldOffset = space == World ? offset : mat3(modelMatrix) * offset;
    for (SceneObject* child : children) {
        child->translate(worldOffset, World);
    }
}

void SceneObject::scale(vec3 factors, TransformSpace space) {
    const vec3 inverseFactors(1.0f / factors.x, 1.0f / factors.y, 1.0f / factors.z);
    applyTransform(space, scene::scale(mat4(), factors), scene::scale(mat4(), inverseFactors));
}

void SceneObject::reset() {
    modelMatrix = initialModelMatrix;
    inverseModelMatrix = initialInverseModelMatrix;
}

mat3 SceneObject::getNormalMatrix() const {
    return transpose(mat3(inverseModelMatrix));
}

SceneObject* SceneObject::addChild(SceneObject* child) {
    children.insert(child);
    child->parent = this;
    return child;
}

SceneObject* SceneObject::removeChild(SceneObject* child) {
    children.erase(child);
    child->parent = nullptr;
    return child;
}

}  // namespace vantor::scene
