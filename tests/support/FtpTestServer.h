#pragma once

// A real FTP server on 127.0.0.1 for the tests (tests/fixtures/ftp_server.py on pyftpdlib),
// started in its own process and stopped by the destructor.

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace brennic::test {

using testing::ReadAll;
using testing::WriteFile;

// The regular files directly in `folder`, by name, sorted.
inline std::vector<std::string> FileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct FtpServerSetup {
    std::string user = "brennic";
    std::string password = "secret";
    std::string perm = "elradfmw";
    std::string refuse;         // commands answered with 550, e.g. "DELE,RNFR"
    int port = 0;               // 0: any free port
    bool keepLineEnds = false;  // store ASCII uploads as received (a CR LF platform's server)
    std::string silent = {};    // commands never answered, e.g. "STOR"
};

class FtpTestServer {
  public:
    FtpTestServer(std::filesystem::path home, std::filesystem::path log, FtpServerSetup setup)
        : home_(std::move(home)), log_(std::move(log)), setup_(std::move(setup)) {}
    ~FtpTestServer() { Stop(); }
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    // Starts the server (again, on the same port after a Stop). False when it did not come up.
    bool Start() {
        int out[2];
        if (pipe(out) != 0) {
            return false;
        }
        const std::string script =
            std::string(BRENNIC_SOURCE_DIR) + "/tests/fixtures/ftp_server.py";
        const std::string port = std::to_string(port_ != 0 ? port_ : setup_.port);
        // Debian's interpreter carries python3-pyftpdlib; another python3 on PATH may not.
        const char* python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
        pid_ = fork();
        if (pid_ == 0) {
            // A test that dies (a sanitizer's abort) takes its server with it, so nothing
            // holds the test runner's output open.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execlp(python, python, script.c_str(), "--port", port.c_str(), "--user",
                   setup_.user.c_str(), "--password", setup_.password.c_str(), "--home",
                   home_.c_str(), "--perm", setup_.perm.c_str(), "--log", log_.c_str(), "--refuse",
                   setup_.refuse.c_str(), "--silent", setup_.silent.c_str(),
                   setup_.keepLineEnds ? "--keep-line-ends" : static_cast<char*>(nullptr),
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        if (pid_ < 0) {
            close(out[0]);
            return false;
        }
        // The server prints "PORT <n>" once it listens.
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        while (line.find('\n') == std::string::npos && poll(&p, 1, 15000) > 0) {
            char buffer[64];
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            line.append(buffer, static_cast<std::size_t>(n));
        }
        close(out[0]);
        if (line.rfind("PORT ", 0) != 0) {
            Stop();
            return false;
        }
        port_ = std::atoi(line.c_str() + 5);
        return port_ > 0;
    }

    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Every command received so far, "CMD arg" each.
    std::vector<std::string> Commands() const {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
        }
        return lines;
    }

    int Count(const std::string& command) const {
        const auto lines = Commands();
        return static_cast<int>(std::count(lines.begin(), lines.end(), command));
    }

  private:
    std::filesystem::path home_;
    std::filesystem::path log_;
    FtpServerSetup setup_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace brennic::test
