#pragma once

#include <string>
#include <vector>

#include <toml++/toml.h>

namespace brennic {

// The `[http]` section of brennic.toml: the dashboard and API server.
struct HttpSettings {
    bool enabled = true;
    std::string bind = "127.0.0.1";  // loopback unless a LAN address is chosen explicitly
    int port = 8080;                 // 0: a free port (tests)
    std::string token;               // when set: "Authorization: Bearer <token>" or ?token=
    std::string allowOrigin;         // Access-Control-Allow-Origin; empty: no CORS header
    int maxConnections = 256;        // over this, new connections are refused
    int maxConnectionsPerIp = 0;     // 0: no limit per client address
    int timeoutSeconds = 30;         // an idle or stuck connection is closed after this
    int threads = 2;                 // worker threads of the server

    bool operator==(const HttpSettings&) const = default;
};

// Reads the `[http]` table (nullptr: the section is absent, all defaults). Every bad value
// keeps its default and adds one line to `problems` naming the key and why; unknown keys are
// named too. Any thread.
HttpSettings ReadHttpSettings(const toml::table* section, std::vector<std::string>& problems);

// "http://127.0.0.1:8080/" for the settings (a wildcard bind shows as 127.0.0.1).
std::string DashboardUrl(const HttpSettings& settings, int port);

}  // namespace brennic
