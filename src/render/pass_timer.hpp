// A hook around each named pass of the frame, for measuring and inspecting tools. Off (no timer
// installed) it costs one pointer test per pass; the game never installs one.
#pragma once

namespace vantor {

struct RenderTarget;

class PassTimer {
  public:
    virtual ~PassTimer() = default;
    // Called just before and just after the pass's GL calls are issued. The name is a literal
    // that lives for the whole run.
    virtual void begin(const char* pass) = 0;
    virtual void end(const char* pass) = 0;
    // Called between begin and end each time the pass has finished drawing into a target, while
    // the target still holds what it drew: once for most passes, once per step for the blurs,
    // whose next step may overwrite it. Timers ignore it.
    virtual void drawn(const RenderTarget& /*target*/) {}
};

// The installed timer, or null.
inline PassTimer* passTimer = nullptr;

// Tells the installed timer, if any, that the running pass has drawn into the target.
inline void reportDrawn(const RenderTarget& target) {
    if (passTimer != nullptr) {
        passTimer->drawn(target);
    }
}

// Brackets the rest of the enclosing scope as one pass.
class TimedPass {
  public:
    explicit TimedPass(const char* pass) : name(pass) {
        if (passTimer != nullptr) {
            passTimer->begin(name);
        }
    }
    ~TimedPass() {
        if (passTimer != nullptr) {
            passTimer->end(name);
        }
    }
    TimedPass(const TimedPass&) = delete;
    TimedPass& operator=(const TimedPass&) = delete;

  private:
    const char* name;
};

// Runs one pass under its name.
template <typename Pass>
void timedPass(const char* name, Pass&& pass) {
    TimedPass timing(name);
    pass();
}

}  // namespace vantor
