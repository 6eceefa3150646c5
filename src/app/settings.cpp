// The one shared instance of the render settings.
#include "app/settings.hpp"

namespace vantor {

Settings settings;

}  // namespace vantor
