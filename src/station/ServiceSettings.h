#pragma once

#include <string>
#include <vector>

#include <toml++/toml.h>

namespace brennic {

// [service] of brennic.toml: how `brennic --headless` behaves.
//
//   [service]
//   reconnect = true              # retry a lost or missing serial port
//   reconnect_first_seconds = 2   # first wait; doubled after each failed try ...
//   reconnect_most_seconds = 60   # ... up to this
struct ServiceSettings {
    bool reconnect = true;
    int reconnectFirstSeconds = 2;
    int reconnectMostSeconds = 60;
};

// Reads the [service] section (null: absent, defaults). Wrong keys keep their defaults and
// add a line to `problems`. Any thread.
ServiceSettings ReadServiceSettings(const toml::table* section, std::vector<std::string>& problems);

}  // namespace brennic
