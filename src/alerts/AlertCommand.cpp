#include "alerts/AlertCommand.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "alerts/AlertJson.h"
#include "http/LiveSnapshot.h"

extern char** environ;

namespace brennic {

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

namespace {

// Brennic's environment with `extra` ("NAME=value") added or replacing.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
    std::map<std::string, std::string> byName;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry(*e);
        byName[entry.substr(0, entry.find('='))] = entry;
    }
    for (const std::string& entry : extra) {
        byName[entry.substr(0, entry.find('='))] = entry;
    }
    std::vector<std::string> out;
    for (auto& [name, entry] : byName) {
        out.push_back(std::move(entry));
    }
    return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

// Writes what the pipe takes at once and closes it: a command that does not read its input
// must not hold us. SIGPIPE (the command ended first) is kept from this process.
void FeedInput(int fd, const std::string& input) {
    sigset_t pipeSignal;
    sigset_t old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    std::size_t done = 0;
    while (done < input.size()) {
        const ssize_t n = ::write(fd, input.data() + done, input.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const timespec none{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &none) == SIGPIPE) {
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

std::string Seconds(std::chrono::milliseconds d) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(d.count()) / 1000.0);
    return text;
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& environment,
                         std::chrono::milliseconds limit) {
    CommandResult result;
    if (argv.empty()) {
        result.code = EINVAL;
        return result;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.code = errno;
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so the time limit ends what it started too; signals as a fresh
    // program has them (the service blocks its stop signals in every thread).
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&defaults, s);
    }
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(environment);
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argp[0], &actions, &attributes, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[0]);
    if (rc != 0) {
        ::close(fds[1]);
        result.code = rc;
        return result;
    }
    FeedInput(fds[1], input);

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    Clock::time_point killAt{};
    bool terminated = false;
    bool killed = false;
    int status = 0;
    for (;;) {
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid || (w < 0 && errno != EINTR)) {
            break;
        }
        const auto now = Clock::now();
        if (!terminated && now >= deadline) {
            ::kill(-pid, SIGTERM);
            terminated = true;
            killAt = now + std::chrono::seconds(2);
        } else if (terminated && !killed && now >= killAt) {
            ::kill(-pid, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (terminated) {
        ::kill(-pid, SIGKILL);  // whatever of its group is left
        result.end = CommandEnd::kTimedOut;
    } else if (WIFSIGNALED(status)) {
        result.end = CommandEnd::kSignalled;
        result.code = WTERMSIG(status);
    } else {
        result.end = CommandEnd::kExited;
        result.code = WEXITSTATUS(status);
    }
    return result;
}

std::string AlertCommandInput(const AlertChange& change) {
    return nlohmann::json{{"event", change.raised ? "raised" : "cleared"},
                          {"alert", AlertJson(change.alert)}}
               .dump() +
           "\n";
}

std::vector<std::string> AlertCommandEnvironment(const AlertChange& change) {
    const Alert& a = change.alert;
    return {std::string("BRENNIC_ALERT_EVENT=") + (change.raised ? "raised" : "cleared"),
            std::string("BRENNIC_ALERT_RULE=") + RuleEntry(a.rule).key,
            "BRENNIC_ALERT_TITLE=" + AlertTitle(a),
            "BRENNIC_ALERT_SUBJECT=" + a.subject,
            "BRENNIC_ALERT_TEXT=" + AlertLine(a),
            "BRENNIC_ALERT_VALUES=" + AlertValuesText(change.raised ? a.values : a.clearValues),
            "BRENNIC_ALERT_RAISED=" + IsoTime(a.raised),
            "BRENNIC_ALERT_CLEARED=" + (a.cleared != 0 ? IsoTime(a.cleared) : std::string())};
}

AlertCommandRunner::AlertCommandRunner(std::vector<std::string> argv,
                                       std::chrono::milliseconds limit,
                                       std::function<void(const std::string&)> report)
    : argv_(std::move(argv)), limit_(limit), report_(std::move(report)) {
    thread_ = std::thread([this] { Run(); });
}

AlertCommandRunner::~AlertCommandRunner() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void AlertCommandRunner::Offer(const AlertChange& change) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (queue_.size() < kAlertCommandBacklog) {
            queue_.push_back(change);
            wake_.notify_one();
            return;
        }
    }
    if (report_) {
        report_("The alert command is not run for " + AlertTitle(change.alert) + ": " +
                std::to_string(kAlertCommandBacklog) + " runs wait already");
    }
}

std::size_t AlertCommandRunner::Finished() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return finished_;
}

void AlertCommandRunner::Run() {
    const std::string name = argv_.empty() ? std::string() : argv_[0];
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) {
            return;
        }
        const AlertChange change = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        const CommandResult r =
            RunCommand(argv_, AlertCommandInput(change), AlertCommandEnvironment(change), limit_);
        std::string trouble;
        switch (r.end) {
            case CommandEnd::kExited:
                if (r.code != 0) {
                    trouble = "ended with status " + std::to_string(r.code);
                }
                break;
            case CommandEnd::kSignalled:
                trouble = std::string("was ended by signal ") + strsignal(r.code);
                break;
            case CommandEnd::kTimedOut:
                trouble = "did not end within " + Seconds(limit_) + " s and was stopped";
                break;
            case CommandEnd::kNotStarted:
                trouble = std::string("could not be started: ") + std::strerror(r.code);
                break;
        }
        if (!trouble.empty() && report_) {
            report_("The alert command " + name + " " + trouble);
        }
        lock.lock();
        ++finished_;
    }
}

}  // namespace brennic
