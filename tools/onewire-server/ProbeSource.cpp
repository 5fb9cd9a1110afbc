#include "ProbeSource.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace brennic::onewire {

namespace {

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return static_cast<bool>(in) || in.eof();
}

bool ParseDouble(const std::string& text, double& out) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    in >> out;
    return !in.fail() && (in >> std::ws).eof();
}

// DS18S20 (10), DS1822 (22), DS18B20 (28), DS1825 (3b), DS28EA00 (42) are thermometers.
bool IsThermometer(const std::string& family) {
    return family == "10" || family == "22" || family == "28" || family == "3b" || family == "42";
}

}  // namespace

bool ProbeSource::ParseSwitchWord(const std::string& text, int& word) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    long v;
    if (text.rfind("0b", 0) == 0) {
        v = std::strtol(text.c_str() + 2, &end, 2);
    } else {
        v = std::strtol(text.c_str(), &end, 0);
    }
    if (*end != '\0' || v < 0 || v > 0xFFFF) {
        return false;
    }
    word = static_cast<int>(v);
    return true;
}

bool ProbeSource::ParseFile(const std::string& path, std::map<std::string, ProbeReading>& out) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "brennic-onewire-server: cannot read %s\n", path.c_str());
        return false;
    }
    std::map<std::string, ProbeReading> readings;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        std::string name, kind, value;
        if (!(fields >> name)) {
            continue;
        }
        fields >> kind >> value;
        ProbeReading r;
        bool ok = true;
        if (kind == "temp") {
            r.kind = ProbeReading::kTemperature;
            ok = ParseDouble(value, r.celsius);
        } else if (kind == "switch") {
            r.kind = ProbeReading::kSwitch;
            ok = ParseSwitchWord(value, r.switchWord);
        } else if (kind == "missing") {
            r.kind = ProbeReading::kMissing;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "brennic-onewire-server: %s line %d does not read: %s\n",
                         path.c_str(), number, line.c_str());
            return false;
        }
        readings[name] = r;
    }
    out = std::move(readings);
    return true;
}

void ProbeSource::ReloadFileIfChanged() {
    if (file_.empty()) {
        return;
    }
    struct stat st {};
    if (stat(file_.c_str(), &st) != 0) {
        return;
    }
    if (st.st_mtim.tv_sec == fileTime_.tv_sec && st.st_mtim.tv_nsec == fileTime_.tv_nsec) {
        return;
    }
    fileTime_ = st.st_mtim;
    ParseFile(file_, fromFile_);  // a file that does not read keeps the previous values
}

bool ProbeSource::ReadW1(const std::string& device, ProbeReading& out) const {
    if (device.empty() || device.find('/') != std::string::npos || device[0] == '.') {
        return false;
    }
    const std::string folder = w1Folder_ + "/" + device;
    const std::string family = device.substr(0, device.find('-'));
    std::string text;
    if (IsThermometer(family)) {
        double milli;
        if (ReadFile(folder + "/temperature", text) && ParseDouble(text, milli)) {
            out = {ProbeReading::kTemperature, milli / 1000.0, 0};
            return true;
        }
        // Older kernels: "<bytes> : crc=xx YES\n<bytes> t=23125\n".
        if (ReadFile(folder + "/w1_slave", text) && text.find("YES") != std::string::npos) {
            const auto at = text.find("t=");
            if (at != std::string::npos && ParseDouble(text.substr(at + 2), milli)) {
                out = {ProbeReading::kTemperature, milli / 1000.0, 0};
                return true;
            }
        }
        out = {ProbeReading::kMissing, 0.0, 0};
        return true;
    }
    if (family == "3a" || family == "29") {
        if (!ReadFile(folder + "/state", text) || text.empty()) {
            out = {ProbeReading::kMissing, 0.0, 0};
            return true;
        }
        const int state = static_cast<unsigned char>(text[0]);
        // DS2413: bit 0 is PIO A's pin, bit 2 PIO B's. DS2408: bit n is P n.
        const int word = family == "3a" ? ((state & 1) | (((state >> 2) & 1) << 1)) : state;
        out = {ProbeReading::kSwitch, 0.0, word};
        return true;
    }
    return false;
}

ProbeReading ProbeSource::Read(const std::string& name) {
    ReloadFileIfChanged();
    if (auto it = simulated_.find(name); it != simulated_.end()) {
        return it->second;
    }
    if (auto it = fromFile_.find(name); it != fromFile_.end()) {
        return it->second;
    }
    const auto alias = aliases_.find(name);
    ProbeReading r;
    if (ReadW1(alias != aliases_.end() ? alias->second : name, r)) {
        return r;
    }
    return {};
}

}  // namespace brennic::onewire
