// The autopilot's route: per cloud how close it waits to be, and the steering onto it.
#include "gl/support/autopilot.hpp"

#include <iterator>
#include <utility>

#include "app/character.hpp"
#include "app/platform.hpp"
#include "app/registry.hpp"
#include "app/world_update.hpp"

namespace vantor::test {

namespace {

using scene::Platform;
using scene::vec3;

constexpr double timeLimit = 180.0;
// Per cloud: on the lifts the figure waits until the next cloud is level (0), on the ferries and
// before the drifting goal until it is this close.
constexpr float reach[] = {0, 0, 0, 0, 0, 0, 13, 0, 12, 0, 0, 0, 0, 12, 0, 0, 14.5f, 0, 12.5f};

vec3 positionOf(const scene::SceneObject* object) {
    return object->getModelMatrix().position();
}

vec3 toward(const Platform* cloud) {
    const vec3 d = positionOf(cloud) - positionOf(registry.character);
    return vec3(d.x, 0.0f, d.z);
}

}  // namespace

Autopilot::Autopilot(platform::ScriptedInput& input, double step) : input(input), step(step) {}

bool Autopilot::advance() {
    updateWorld(step);
    return !registry.character->fellOff && ++steps * step < timeLimit;
}

void Autopilot::steerTowards(int cloud) {
    constexpr float arrived = 0.3f;
    const vec3 d = toward(registry.platforms[cloud]);
    input.releaseAll();
    const std::pair<int, float> keys[] = {{'D', d.x}, {'A', -d.x}, {'S', d.z}, {'W', -d.z}};
    for (const auto& [key, distance] : keys) {
        if (scene::length(d) > arrived && distance > arrived / 2) {
            input.press(key);
        }
    }
}

bool Autopilot::hop(int next, float reachOfNext) {
    const Platform* cloud = registry.platforms[next];
    const auto* own = static_cast<const Platform*>(registry.character->parent);
    while (reachOfNext > 0 && (scene::length(toward(cloud)) > reachOfNext ||
                               positionOf(cloud).y > positionOf(own).y + 1.0f)) {
        if (!advance()) {
            return false;
        }
    }
    while (!registry.character->onGround || registry.character->parent != cloud) {
        steerTowards(next);
        if (registry.character->onGround) {
            input.press(platform::KEY_SPACE);
        }
        if (!advance()) {
            return false;
        }
    }
    input.releaseAll();
    return true;
}

std::string Autopilot::crossCourse() {
    if (registry.platforms.size() != std::size(reach)) {
        return "the course has " + std::to_string(registry.platforms.size()) + " clouds, not " +
               std::to_string(std::size(reach));
    }
    while (!registry.character->onGround) {
        if (!advance()) {
            return "no landing on the first cloud";
        }
    }
    for (int target = 1; target < static_cast<int>(std::size(reach)); ++target) {
        if (!hop(target, reach[target])) {
            return "fallen or too slow on the way to cloud " + std::to_string(target);
        }
    }
    return "";
}

}  // namespace vantor::test
