#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "alerts/Alert.h"

namespace brennic {

// "/usr/local/bin/alert-mail --to 'me@example.org'" as the words of a command: split at
// blanks, '...' and "..." keep blanks, a backslash keeps the next character. No variables, no
// globbing, no shell. Any thread.
std::vector<std::string> SplitCommandLine(const std::string& line);

// What a command run ended with.
enum class CommandEnd { kExited, kSignalled, kTimedOut, kNotStarted };

struct CommandResult {
    CommandEnd end = CommandEnd::kNotStarted;
    int code = 0;  // exit status, signal number or errno
};

// Runs `argv` without a shell (searched in PATH), in a process group of its own, with
// `input` on its standard input and `environment` added to Brennic's own; stdout and stderr
// are Brennic's. A command still running after `limit` is sent SIGTERM, and SIGKILL two
// seconds later, with everything it started. Blocks until it ended. Any thread but the
// station's.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& environment,
                         std::chrono::milliseconds limit);

// The command's view of one raise or clear: the JSON on standard input ({"event":
// "raised"|"cleared", "alert": {...}}) and the variables BRENNIC_ALERT_EVENT, _RULE, _TITLE,
// _SUBJECT, _TEXT, _VALUES, _RAISED, _CLEARED (ISO 8601 local; empty while active).
std::string AlertCommandInput(const AlertChange& change);
std::vector<std::string> AlertCommandEnvironment(const AlertChange& change);

// Runs the owner's command for each raise and clear on a thread of its own, one at a time in
// order, so a slow or hanging command delays neither acquisition nor the alert file. At most
// kAlertCommandBacklog changes wait; further ones are dropped and reported. A command that
// fails, cannot start or overruns its time is reported through `report` (on the command
// thread).
class AlertCommandRunner {
  public:
    AlertCommandRunner(std::vector<std::string> argv, std::chrono::milliseconds limit,
                       std::function<void(const std::string&)> report);
    // Waits for the command running, runs none of those waiting.
    ~AlertCommandRunner();
    AlertCommandRunner(const AlertCommandRunner&) = delete;
    AlertCommandRunner& operator=(const AlertCommandRunner&) = delete;

    // Queues one run. Any thread; never waits for the command.
    void Offer(const AlertChange& change);
    // Runs finished (any thread).
    std::size_t Finished() const;

  private:
    void Run();

    std::vector<std::string> argv_;
    std::chrono::milliseconds limit_;
    std::function<void(const std::string&)> report_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<AlertChange> queue_;
    std::size_t finished_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

inline constexpr std::size_t kAlertCommandBacklog = 100;

}  // namespace brennic
