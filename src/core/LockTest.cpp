#include "core/LockTest.h"

#include <system_error>

namespace brennic {

LockTester::~LockTester() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (Worker& worker : workers_) {
        worker.thread.join();
    }
}

bool LockTester::Start() {
    // Ended tests are joined here, so repeated tests do not pile up finished threads.
    workers_.remove_if([](Worker& worker) {
        if (!worker.done.load()) {
            return false;
        }
        worker.thread.join();
        return true;
    });
    Worker& worker = workers_.emplace_back();
    running_.fetch_add(1);
    try {
        worker.thread = std::thread([this, &worker] { Run(worker); });
    } catch (const std::system_error&) {
        running_.fetch_sub(1);
        workers_.pop_back();
        return false;
    }
    return true;
}

void LockTester::Run(Worker& worker) {
    {
        StateGuard state(lock_);
        holding_.fetch_add(1);
        std::unique_lock<std::mutex> guard(mutex_);
        wake_.wait_for(guard, hold_, [this] { return stopping_; });
        holding_.fetch_sub(1);
    }
    running_.fetch_sub(1);
    worker.done.store(true);
}

}  // namespace brennic
