// Drawing of one frame.
#pragma once

namespace vantor {

void renderFrame();

}  // namespace vantor
