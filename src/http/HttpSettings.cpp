#include "http/HttpSettings.h"

#include <arpa/inet.h>

#include <toml++/toml.h>
#include <set>

namespace brennic {

namespace {

bool IsIpAddress(const std::string& text) {
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, text.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

// Reads an integer key within [min, max]; anything else keeps `value` and is reported.
void ReadInt(const toml::table& t, const char* key, long long min, long long max, int& value,
             std::vector<std::string>& problems) {
    const toml::node* node = t.get(key);
    if (node == nullptr) {
        return;
    }
    const auto v = node->value_exact<std::int64_t>();
    if (!v || *v < min || *v > max) {
        problems.push_back("[http] " + std::string(key) + ": expected a whole number from " +
                           std::to_string(min) + " to " + std::to_string(max));
        return;
    }
    value = static_cast<int>(*v);
}

void ReadText(const toml::table& t, const char* key, std::string& value,
              std::vector<std::string>& problems) {
    const toml::node* node = t.get(key);
    if (node == nullptr) {
        return;
    }
    const auto v = node->value_exact<std::string>();
    if (!v) {
        problems.push_back("[http] " + std::string(key) + ": expected a text in quotes");
        return;
    }
    value = *v;
}

}  // namespace

HttpSettings ReadHttpSettings(const toml::table* section, std::vector<std::string>& problems) {
    HttpSettings s;
    if (section == nullptr) {
        return s;
    }
    const toml::table& t = *section;
    static const std::set<std::string> kKeys = {"enabled",
                                                "bind",
                                                "port",
                                                "token",
                                                "allow_origin",
                                                "max_connections",
                                                "max_connections_per_ip",
                                                "timeout",
                                                "threads"};
    for (const auto& [key, node] : t) {
        if (kKeys.count(std::string(key.str())) == 0) {
            problems.push_back("[http] " + std::string(key.str()) + ": unknown key");
        }
    }
    if (const toml::node* node = t.get("enabled")) {
        if (const auto v = node->value_exact<bool>()) {
            s.enabled = *v;
        } else {
            problems.push_back("[http] enabled: expected true or false");
        }
    }
    std::string bind = s.bind;
    ReadText(t, "bind", bind, problems);
    if (IsIpAddress(bind)) {
        s.bind = bind;
    } else {
        problems.push_back("[http] bind: \"" + bind + "\" is not an IP address");
    }
    ReadInt(t, "port", 0, 65535, s.port, problems);
    std::string token;
    ReadText(t, "token", token, problems);
    // A token travels in a header and a query: printable ASCII without blanks only.
    bool printable = true;
    for (unsigned char c : token) {
        printable = printable && c > 0x20 && c < 0x7F;
    }
    if (printable) {
        s.token = token;
    } else {
        problems.push_back("[http] token: use printable characters without spaces");
    }
    ReadText(t, "allow_origin", s.allowOrigin, problems);
    ReadInt(t, "max_connections", 1, 10000, s.maxConnections, problems);
    ReadInt(t, "max_connections_per_ip", 0, 10000, s.maxConnectionsPerIp, problems);
    ReadInt(t, "timeout", 1, 3600, s.timeoutSeconds, problems);
    ReadInt(t, "threads", 1, 64, s.threads, problems);
    return s;
}

std::string DashboardUrl(const HttpSettings& settings, int port) {
    std::string host = settings.bind;
    if (host == "0.0.0.0" || host == "::") {
        host = "127.0.0.1";
    }
    if (host.find(':') != std::string::npos) {
        host = "[" + host + "]";
    }
    return "http://" + host + ":" + std::to_string(port) + "/";
}

}  // namespace brennic
