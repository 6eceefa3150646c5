// The single scene registry instance.
#include "app/registry.hpp"

namespace vantor {

Registry registry;

}  // namespace vantor
