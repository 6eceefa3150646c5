// The level file: a text parser that turns it into platform and goal records (pure, no GL, so tests
// and fuzzers can feed it from memory), and loadLevel, which builds the course from those records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

inline constexpr const char* levelPath = "Models/level.lvl";

struct LevelRecord {
    enum class Kind { Platform, Goal };
    Kind kind = Kind::Platform;
    int line = 0;  // where the record's keyword stands, counted from 1
    int position[3] = {0, 0, 0};
    int velocity[3] = {0, 0, 0};  // always zero for a goal, whose speed is its own
    int scale[3] = {0, 0, 0};
};

struct LevelParse {
    std::vector<LevelRecord> records;   // in file order
    std::vector<std::string> messages;  // one per rejected record, "file:line: ..."
};

// Reads every record of a level text. fileName only labels the messages.
LevelParse parseLevel(std::string_view text, std::string_view fileName);

// Builds the course of the file at path into the registry: each platform and goal is appended to
// drawList and platforms, and the last goal becomes endPlatform. Returns false when the file could
// not be opened (nothing is built then).
bool loadLevel(const char* path = levelPath);

}  // namespace vantor
