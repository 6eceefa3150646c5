// libFuzzer target for the level parser: feeds arbitrary bytes to the same parser that reads
// "Models/level.lvl" and checks what every kept record and every message must satisfy.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/level_loader.hpp"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Lines end with LF, CR LF or a lone CR.
int countLines(std::string_view text) {
    int lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        lines +=
            text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vantor::LevelParse level = vantor::parseLevel(text, vantor::levelPath);
    const int lines = countLines(text);
    for (const vantor::LevelRecord& record : level.records) {
        require(record.line >= 1 && record.line <= lines);
        // A kept record is a whole one: no zero scale factor, and a goal carries no velocity.
        for (int axis = 0; axis < 3; ++axis) {
            require(record.scale[axis] != 0);
            if (record.kind == vantor::LevelRecord::Kind::Goal) {
                require(record.velocity[axis] == 0);
            }
        }
    }
    // Every message names the file and a line that exists.
    const std::string prefix = std::string(vantor::levelPath) + ":";
    for (const std::string& message : level.messages) {
        require(message.compare(0, prefix.size(), prefix) == 0);
        const int line = std::atoi(message.c_str() + prefix.size());
        require(line >= 1 && line <= lines);
    }
    // No input makes more records and messages than it has keywords ("p" or "e" plus a space).
    require(level.records.size() + level.messages.size() <= size / 2 + 1);
    return 0;
}
