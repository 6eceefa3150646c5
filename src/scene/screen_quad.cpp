// The full-screen quad: a model file spanning -1..1 in x and y, drawn without any matrix.
#include "scene/screen_quad.hpp"

namespace vantor::scene {

ScreenQuad::ScreenQuad(const mat4& initial) : VisibleObject(initial) {
    loadModel("Models/plane.obj");
}

}  // namespace vantor::scene
