// Builds the course from "Models/level.lvl": reads the file, reports the records the parser
// rejected, and places a Platform or EndPlatform for each record it kept.
#include "app/level_loader.hpp"

#include <cstdio>
#include <iostream>
#include <string>

#include "app/end_platform.hpp"
#include "app/platform.hpp"
#include "app/registry.hpp"
#include "scene/math.hpp"

namespace vantor {

namespace {

// Scaled first, then moved; a level places no rotation.
scene::mat4 placement(const int position[3], const int scale[3]) {
    const scene::vec3 at(static_cast<float>(position[0]), static_cast<float>(position[1]),
                         static_cast<float>(position[2]));
    const scene::vec3 size(static_cast<float>(scale[0]), static_cast<float>(scale[1]),
                           static_cast<float>(scale[2]));
    return scene::translate(scene::mat4(1.0f), at) * scene::scale(scene::mat4(1.0f), size);
}

bool readFile(const char* path, std::string& text) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return false;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, n);
    }
    std::fclose(file);
    return true;
}

}  // namespace

bool loadLevel(const char* path) {
    std::string text;
    if (!readFile(path, text)) {
        std::cout << "Could not open File: " << path << std::endl;
        return false;
    }
    const LevelParse level = parseLevel(text, path);
    for (const std::string& message : level.messages) {
        std::cout << message << std::endl;
    }
    for (const LevelRecord& record : level.records) {
        const scene::mat4 model = placement(record.position, record.scale);
        scene::Platform* platform;
        if (record.kind == LevelRecord::Kind::Goal) {
            auto* goal = new scene::EndPlatform(model);
            registry.endPlatform = goal;
            platform = goal;
        } else {
            platform = new scene::Platform(model, static_cast<float>(record.velocity[0]),
                                           static_cast<float>(record.velocity[1]),
                                           static_cast<float>(record.velocity[2]));
        }
        registry.drawList.push_back(platform);
        registry.platforms.push_back(platform);
    }
    if (registry.endPlatform == nullptr) {
        std::cout << path << ": no goal record (e): the course has no goal and no flag"
                  << std::endl;
    }
    return true;
}

}  // namespace vantor
