#pragma once

#include <pty.h>
#include <unistd.h>

#include <cstddef>
#include <string>

namespace brennic::testing {

// A pseudo-terminal pair: the test writes to `master`, the link opens `path`.
struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;

    Pty() {
        char name[256];
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = name;
        }
    }
    ~Pty() {
        CloseMaster();
        if (slave >= 0) {
            close(slave);
        }
    }
    void Write(const std::string& bytes) const {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                return;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    void CloseMaster() {
        if (master >= 0) {
            close(master);
            master = -1;
        }
    }
};

}  // namespace brennic::testing
