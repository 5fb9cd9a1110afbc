#pragma once

#include <thread>

namespace brennic {

// Reads the system's font configuration on a thread of its own. Reading it takes ~8 ms on a
// small machine and the window's first text waits for it; started before QApplication, it is
// ready by the time the window is built. Wait() before the window is made, so that Qt does
// not read it a second time alongside (that would be safe, only slower).
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp() { Wait(); }
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    void Wait();

  private:
    std::thread thread_;
};

}  // namespace brennic
