#pragma once

#include <memory>

namespace brennic {

// Keeps the machine awake while data arrives: holds a logind "sleep" inhibitor lock over
// D-Bus while acquisition runs. Where the system offers none (no system bus, no logind),
// Hold does nothing. Main thread.
class SleepInhibitor {
  public:
    SleepInhibitor();
    ~SleepInhibitor();
    void Hold();
    void Release();
    bool Held() const;

  private:
    struct Lock;
    std::unique_ptr<Lock> lock_;
    bool unavailable_ = false;
};

}  // namespace brennic
