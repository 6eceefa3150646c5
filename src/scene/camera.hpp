// The camera: a scene object whose inverse model matrix is the view matrix, with a perspective
// projection and a view frustum refreshed every frame for culling.
#pragma once

#include "scene/math.hpp"
#include "scene/scene_object.hpp"

namespace vantor::scene {

class VisibleObject;

class Camera : public SceneObject {
  public:
    // initial is the model matrix of the object the camera looks at; reset() places the camera
    // behind and above it.
    explicit Camera(const mat4& initial);
    ~Camera() override;

    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Refreshes the frustum from the projection and the current view.
    void update(double dt) override;
    // Ten units back along the camera's own z, then swung 20 degrees up about the initial x axis
    // through the initial position, tilted down towards it.
    void reset() override;
    virtual mat4 getProjectionMatrix() const;
    // Whether the object's bounding shape reaches into the frustum. An object without a shape
    // (its model failed to load) is reported visible: drawing it costs nothing.
    virtual bool isInFrustum(VisibleObject* object);

    mat4 projectionMatrix;
    // Owned; all planes zero until the first update, so everything is visible before it.
    Frustum* frustum = nullptr;
};

}  // namespace vantor::scene
