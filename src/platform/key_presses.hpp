// Presses of keys that the game has not read yet. Keys are read once a frame, and a frame can take
// a fifth of a second in software: a tap that comes and goes between two reads must still count.
#pragma once

#include <bitset>

namespace vantor::platform {

class KeyPresses {
  public:
    static constexpr int keyCount = 512;

    // Records that the key went down (codes outside the table are ignored).
    void record(int key);
    // Whether the key went down since it was last taken; taking clears it.
    bool take(int key);

  private:
    std::bitset<keyCount> pending;
};

}  // namespace vantor::platform
