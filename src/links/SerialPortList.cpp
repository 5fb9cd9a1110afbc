#include "links/SerialPortList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace brennic {

namespace {

namespace fs = std::filesystem;

// "ttyS2" before "ttyS10": compares the trailing numbers as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1])) != 0) {
            --digits;
        }
        return digits;
    };
    const std::size_t da = split(a);
    const std::size_t db = split(b);
    const std::string_view pa(a.data(), da);
    const std::string_view pb(b.data(), db);
    if (pa != pb) {
        return pa < pb;
    }
    if (a.size() - da != b.size() - db) {
        return a.size() - da < b.size() - db;
    }
    return a < b;
}

// A ttyS* node exists for every possible legacy port; its `type` is 0 without a UART.
bool HasUart(const std::string& sysRoot, const std::string& name) {
    std::ifstream type(fs::path(sysRoot) / "class/tty" / name / "type");
    int value = -1;
    if (!(type >> value)) {
        return true;  // nothing to tell: offer it
    }
    return value != 0;
}

}  // namespace

std::vector<std::string> ListSerialPorts(const std::string& devRoot, const std::string& sysRoot) {
    std::vector<std::string> ports;
    std::error_code ec;
    std::vector<std::string> byId;
    for (const auto& entry : fs::directory_iterator(fs::path(devRoot) / "serial/by-id", ec)) {
        byId.push_back(entry.path().string());
    }
    std::sort(byId.begin(), byId.end(), NaturalLess);
    ports.insert(ports.end(), byId.begin(), byId.end());

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        names.push_back(entry.path().filename().string());
    }
    for (const std::string_view prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::string> group;
        for (const std::string& name : names) {
            const bool numbered = name.size() > prefix.size() && name.starts_with(prefix) &&
                                  std::isdigit(static_cast<unsigned char>(name[prefix.size()]));
            if (numbered && (prefix != "ttyS" || HasUart(sysRoot, name))) {
                group.push_back(name);
            }
        }
        std::sort(group.begin(), group.end(), NaturalLess);
        for (const std::string& name : group) {
            ports.push_back((fs::path(devRoot) / name).string());
        }
    }
    return ports;
}

}  // namespace brennic
