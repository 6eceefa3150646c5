// The per-frame world update.
#pragma once

namespace vantor {

void updateWorld(double dt);

}  // namespace vantor
