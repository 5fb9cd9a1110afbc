#pragma once

#include <chrono>
#include <thread>

namespace brennic::testing {

// Calls `step` until `done` holds or `limit` has passed; true when it holds. The default step
// sleeps; Qt tests pass one that runs the event loop.
template <typename Done, typename Step>
bool WaitFor(Done done, std::chrono::milliseconds limit, Step step) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        step();
    }
    return true;
}

template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return WaitFor(done, limit, [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); });
}

}  // namespace brennic::testing
