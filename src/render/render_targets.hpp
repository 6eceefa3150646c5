// The off-screen render targets of the frame.
#pragma once

namespace vantor {

void createRenderTargets();

}  // namespace vantor
