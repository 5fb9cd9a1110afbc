#pragma once

#include "support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "links/LinkSink.h"

extern char** environ;

namespace brennic::testing {

using namespace std::chrono_literals;

// One controller report line at minute `minute` with the collector at `collector` °F.
inline std::string MinuteLine(int minute, double collector) {
    char text[96];
    std::snprintf(text, sizeof text, "12:%02d %.1f 120.0 10.0 180.0 140.0 130.0 ON OFF\r\n", minute,
                  collector);
    return text;
}

// One call the links made on the sink.
struct LinkEvent {
    enum Kind { kLine, kTimeout, kEnded, kFailure, kReply, kReceiveFailure, kReceiverEnded };
    Kind kind = kLine;
    std::string text;  // the line, or the failure's system text
    int code = 0;      // the failure's errno
    std::vector<std::byte> datagram;
    SocketError error;
};

// The tests' main window: queues every call, thread-safe.
class QueueSink : public LinkSink {
  public:
    void OnControllerLine(std::string line) override {
        Push(Event(LinkEvent::kLine, std::move(line)));
    }
    void OnReadTimeout() override { Push(Event(LinkEvent::kTimeout)); }
    void OnReaderEnded() override { Push(Event(LinkEvent::kEnded)); }
    void OnReadFailure(int code, std::string text) override {
        Push(Event(LinkEvent::kFailure, std::move(text), code));
    }
    void OnOneWireReply(std::vector<std::byte> datagram) override {
        Push(Event(LinkEvent::kReply, {}, 0, std::move(datagram)));
    }
    void OnOneWireReceiveFailure(SocketError error) override {
        Push(Event(LinkEvent::kReceiveFailure, {}, 0, {}, std::move(error)));
    }
    void OnOneWireReceiverEnded() override { Push(Event(LinkEvent::kReceiverEnded)); }

    // The next event, or nothing after `timeout`.
    std::optional<LinkEvent> Next(std::chrono::milliseconds timeout = 3000ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!ready_.wait_for(lock, timeout, [this] { return !events_.empty(); })) {
            return std::nullopt;
        }
        LinkEvent e = std::move(events_.front());
        events_.pop_front();
        return e;
    }

    // The next `count` lines; fails the wait (fewer lines) when another event comes between.
    std::vector<std::string> Lines(std::size_t count) {
        std::vector<std::string> lines;
        while (lines.size() < count) {
            auto e = Next();
            if (!e || e->kind != LinkEvent::kLine) {
                break;
            }
            lines.push_back(e->text);
        }
        return lines;
    }

    std::size_t Pending() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_.size();
    }

  private:
    static LinkEvent Event(LinkEvent::Kind kind, std::string text = {}, int code = 0,
                           std::vector<std::byte> datagram = {}, SocketError error = {}) {
        return {kind, std::move(text), code, std::move(datagram), std::move(error)};
    }

    void Push(LinkEvent e) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(e));
        ready_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<LinkEvent> events_;
};

// A stand-in program run as a child process with its standard output on a pipe; `env`, when
// given, replaces the environment.
class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& env = {}) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : env) {
            envp.push_back(const_cast<char*>(e.c_str()));
        }
        envp.push_back(nullptr);
        char** environment = env.empty() ? environ : envp.data();
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environment) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            close(out_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    void Signal(int signal) const {
        if (pid_ > 0) {
            kill(pid_, signal);
        }
    }
    // The wait status once the child has ended, or nothing after `timeout` (it keeps running).
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                break;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

    // The next line of standard output, or nothing after `timeout`.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = 5000ms) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto eol = buffered_.find('\n');
            if (eol != std::string::npos) {
                std::string line = buffered_.substr(0, eol);
                buffered_.erase(0, eol + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[256];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) {
                return std::nullopt;
            }
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};

}  // namespace brennic::testing
