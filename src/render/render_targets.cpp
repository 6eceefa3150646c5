// Render targets, minimal until the passes need them: none are made yet.
#include "render/render_targets.hpp"

namespace vantor {

void createRenderTargets() {}

}  // namespace vantor
