// VisibleObject: a scene object with meshes to draw and two collision representations to keep
// in step with its model matrix (a bounding box for culling, a triangle model for contact).
#pragma once

#include <GL/glew.h>

#include <vector>

#include "collision/c_object.hpp"
#include "collision/coldet/collision_model_3d.hpp"
#include "scene/mesh.hpp"
#include "scene/scene_object.hpp"

namespace vantor::scene {

class VisibleObject : public SceneObject {
  public:
    explicit VisibleObject(const mat4& initial);
    ~VisibleObject() override;

    VisibleObject(const VisibleObject&) = delete;
    VisibleObject& operator=(const VisibleObject&) = delete;

    void update(double dt) override;
    // Only the bounding shape hears of a scale; the matrices stay as they are.
    void scale(vec3 factors, TransformSpace space) override;
    virtual void draw(GLuint program);
    virtual bool collidesWith(VisibleObject* other);
    virtual void setColliding(bool touching) = 0;

    // Reads a model file into meshes and builds the collision data (model import).
    void loadModel(const char* path);

    // Both null when the model failed to load: such an object draws nothing and touches nothing.
    CollisionModel3D* collisionModel = nullptr;
    collision::CObject* collisionShape = nullptr;
    std::vector<Mesh*> meshes;

  private:
    void buildCollision();
};

}  // namespace vantor::scene
