// A hook around each named pass of the frame, for measuring tools. Off (no timer installed) it
// costs one pointer test per pass; the game never installs one.
#pragma once

namespace vantor {

class PassTimer {
  public:
    virtual ~PassTimer() = default;
    // Called just before and just after the pass's GL calls are issued. The name is a literal
    // that lives for the whole run.
    virtual void begin(const char* pass) = 0;
    virtual void end(const char* pass) = 0;
};

// The installed timer, or null.
inline PassTimer* passTimer = nullptr;

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
