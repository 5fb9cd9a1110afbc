// brennic-controller-sim: a stand-in for the solar controller. Writes report lines of a
// chosen model, each ending in CR LF, to a serial device or to a pseudo-terminal it creates.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "config/GlycolTable.h"
#include "replay/RecordTime.h"
#include "sim/ControllerLines.h"
#include "sim/Installation.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: brennic-controller-sim [options]\n"
                 "  --pty             create a pseudo-terminal and print its path (default)\n"
                 "  --device PATH     write to this serial device instead (speed kept)\n"
                 "  --model M         0 or vexin2, 1 or btu (two-line reports), 2 or lcd\n"
                 "                    (KEY=value lines); default 0\n"
                 "  --period MS       milliseconds between reports (default 2000)\n"
                 "  --count N         send N reports, then exit (default: until interrupted)\n"
                 "  --open-sensors    now and then a temperature reads OPEN.S\n"
                 "  --garbage         mix in noise: control and 8-bit bytes, overlong lines,\n"
                 "                    lines that are no report\n"
                 "  --seed N          seed of the simulation (default 1)\n"
                 "  --physics         report a simulated installation (sun, weather, collector,\n"
                 "                    controller, tank) instead of a swinging test signal\n"
                 "  --speed N         with --physics: the model runs N times real time\n"
                 "  --start TIME      with --physics: model clock start, \"YYYY-MM-DD HH:MM:SS\"\n"
                 "                    (default now)\n"
                 "With --pty the simulator waits until a program opens the pty, and pauses while\n"
                 "nobody has it open.\n");
}

struct Options {
    std::string device;
    int model = 0;
    long periodMs = 2000;
    long count = 0;
    bool openSensors = false;
    bool garbage = false;
    unsigned seed = 1;
    bool physics = false;
    long speed = 1;
    std::time_t start = 0;  // 0: now
};

bool ParseLong(const char* text, long& out, long minimum) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && errno == 0 && out >= minimum;
}

// A slow day in the collector loop: the collector swings, the pump follows the difference
// between collector and storage with some hysteresis, and the storage warms while it runs.
class Plant {
  public:
    explicit Plant(unsigned seed) : random_(seed) {}

    void Step() {
        ++step_;
        std::normal_distribution<double> noise(0.0, 0.6);
        collector_ = 140.0 + 45.0 * std::sin(step_ * 0.05) + noise(random_);
        if (!pump_ && collector_ > storage_ + 15.0) {
            pump_ = true;
        } else if (pump_ && collector_ < storage_ + 5.0) {
            pump_ = false;
        }
        storage_ += pump_ ? 0.2 : -0.05;
        aux1_ = pump_ ? collector_ - 4.0 + noise(random_) : storage_ + noise(random_);
        aux2_ = storage_ - 2.0 + noise(random_);
        aux3_ = storage_ - 20.0 + noise(random_);
        gpm_ = pump_ ? 5.0 + noise(random_) * 0.2 : 0.0;
    }

    std::mt19937& Random() { return random_; }
    bool pump_ = false;
    double collector_ = 120.0, storage_ = 120.0, aux1_ = 120.0, aux2_ = 118.0, aux3_ = 100.0,
           gpm_ = 0.0;

  private:
    std::mt19937 random_;
    int step_ = 0;
};

std::string Value(Plant& plant, double v, bool openSensors, const char* format) {
    if (openSensors && std::uniform_int_distribution<int>(0, 7)(plant.Random()) == 0) {
        return "OPEN.S";
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

std::vector<std::string> Report(Plant& plant, const Options& o) {
    char buffer[256];
    const char* pump = plant.pump_ ? "ON" : "OFF";
    if (o.model == 2) {
        std::snprintf(buffer, sizeof buffer,
                      "COL=%s STO=%s PKH=174.2 PKL=110.0 AX1=%s AX2=%s PMP=%s UPL=OFF",
                      Value(plant, plant.collector_, o.openSensors, "%0.1f").c_str(),
                      Value(plant, plant.storage_, o.openSensors, "%0.1f").c_str(),
                      Value(plant, plant.aux1_, o.openSensors, "%0.1f").c_str(),
                      Value(plant, plant.aux2_, o.openSensors, "%0.1f").c_str(), pump);
        return {buffer};
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::snprintf(buffer, sizeof buffer, "%02d:%02d %6s %6s  08.0   180.0  %6s %6s %-4s  OFF",
                  local.tm_hour, local.tm_min,
                  Value(plant, plant.collector_, o.openSensors, "%6.1f").c_str(),
                  Value(plant, plant.storage_, o.openSensors, "%6.1f").c_str(),
                  Value(plant, plant.aux1_, o.openSensors, "%6.1f").c_str(),
                  Value(plant, plant.aux2_, o.openSensors, "%6.1f").c_str(), pump);
    std::vector<std::string> lines{buffer};
    if (o.model == 1) {
        const int fpl = std::uniform_int_distribution<int>(150, 170)(plant.Random());
        std::snprintf(buffer, sizeof buffer, "GPM=%3.1f  FPL=%i  AX3=%s KWH=%3.1f", plant.gpm_, fpl,
                      Value(plant, plant.aux3_, o.openSensors, "%3.1f").c_str(), 0.0);
        lines.push_back("");
        lines.push_back(buffer);
        lines.push_back("");
    }
    return lines;
}

// One piece of noise, as raw bytes (it carries its own line ends).
std::string Garbage(std::mt19937& random) {
    switch (std::uniform_int_distribution<int>(0, 4)(random)) {
        case 0:
            return std::string(600, 'X') + "\r\n";
        case 1:
            return "ERR 42 CHECK SENSOR WIRING 1 2 3 4\r\n";
        case 2: {
            std::string bytes;
            for (int i = 0; i < 24; ++i) {
                bytes.push_back(
                    static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)));
            }
            return bytes + "\r\n";
        }
        case 3:
            return std::string("\t\xB0\x00\x1B[0m\xFF", 8);  // dropped byte by byte
        default:
            return "\n\r";  // an empty line
    }
}

int OpenPty(std::string& path) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        return -1;
    }
    path = ptsname(master);
    // Open and close the other end once: from then on the master reports a hang-up while
    // nobody has the pty open, which is how the simulator knows when to write.
    const int slave = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios t{};
        if (tcgetattr(slave, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
        }
        close(slave);
    }
    return master;
}

bool ReaderPresent(int master) {
    pollfd p{master, POLLOUT, 0};
    return poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) == 0;
}

int OpenDevice(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        t.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // send CR LF as they are
        t.c_cflag |= CLOCAL;
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "C");
    Options o;
    bool usePty = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long v = 0;
        if (arg == "--pty") {
            usePty = true;
        } else if (arg == "--device" && hasValue) {
            o.device = argv[++i];
            usePty = false;
        } else if (arg == "--model" && hasValue) {
            const std::string m = argv[++i];
            o.model = m == "0" || m == "vexin2" ? 0
                      : m == "1" || m == "btu"  ? 1
                      : m == "2" || m == "lcd"  ? 2
                                                : -1;
            if (o.model < 0) {
                Usage();
                return 2;
            }
        } else if (arg == "--period" && hasValue && ParseLong(argv[++i], v, 1)) {
            o.periodMs = v;
        } else if (arg == "--count" && hasValue && ParseLong(argv[++i], v, 0)) {
            o.count = v;
        } else if (arg == "--seed" && hasValue && ParseLong(argv[++i], v, 0)) {
            o.seed = static_cast<unsigned>(v);
        } else if (arg == "--physics") {
            o.physics = true;
        } else if (arg == "--speed" && hasValue && ParseLong(argv[++i], v, 1)) {
            o.speed = v;
        } else if (arg == "--start" && hasValue) {
            const auto start = brennic::ParseLocalTimeText(argv[++i]);
            if (!start) {
                Usage();
                return 2;
            }
            o.start = *start;
        } else if (arg == "--open-sensors") {
            o.openSensors = true;
        } else if (arg == "--garbage") {
            o.garbage = true;
        } else {
            Usage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    std::string path = o.device;
    const int fd = usePty ? OpenPty(path) : OpenDevice(path);
    if (fd < 0) {
        std::fprintf(stderr, "brennic-controller-sim: cannot open %s: %s\n",
                     usePty ? "a pty" : path.c_str(), std::strerror(errno));
        return 1;
    }
    if (usePty) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    }

    Plant plant(o.seed);
    // The simulated installation settles for a day before its clock reaches the start.
    std::unique_ptr<brennic::Installation> installation;
    std::time_t modelTime = o.start != 0 ? o.start : std::time(nullptr);
    long long modelMs = 0;
    if (o.physics) {
        brennic::InstallationParameters parameters;
        parameters.seed = o.seed;
        installation = std::make_unique<brennic::Installation>(
            parameters, brennic::BuiltInGlycolTable(), modelTime - 24 * 3600);
        installation->AdvanceTo(modelTime);
    }
    bool waiting = false;
    bool settled = !usePty;
    for (long sent = 0; o.count == 0 || sent < o.count;) {
        if (usePty && !ReaderPresent(fd)) {
            if (!waiting) {
                std::fprintf(stderr, "brennic-controller-sim: waiting for a reader on %s\n",
                             path.c_str());
                waiting = true;
            }
            settled = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        waiting = false;
        if (!settled) {
            // Lines written while the terminal still reads in canonical mode would be read
            // differently; the master sees the reader's settings, so wait (at most 10 s) until
            // the reader has switched to raw input, however slow its start.
            termios t{};
            for (int i = 0; i < 1000 && tcgetattr(fd, &t) == 0 && (t.c_lflag & ICANON) != 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            settled = true;
        }
        if (installation) {
            modelMs += o.periodMs * o.speed;
            installation->AdvanceTo(modelTime + modelMs / 1000);
        } else {
            plant.Step();
        }
        std::string bytes;
        if (o.garbage && std::uniform_int_distribution<int>(0, 2)(plant.Random()) == 0) {
            bytes += Garbage(plant.Random());
        }
        const std::vector<std::string> report =
            installation ? brennic::ControllerLines(installation->Read(), o.model)
                         : Report(plant, o);
        for (const std::string& line : report) {
            bytes += line + "\r\n";
        }
        if (write(fd, bytes.data(), bytes.size()) < 0) {
            std::fprintf(stderr, "brennic-controller-sim: write failed: %s\n",
                         std::strerror(errno));
            if (!usePty) {
                return 1;
            }
        }
        ++sent;
        if (o.count == 0 || sent < o.count) {
            std::this_thread::sleep_for(std::chrono::milliseconds(o.periodMs));
        }
    }
    // Let the reader drain what was written before the pty goes away.
    if (usePty) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    close(fd);
    return 0;
}
