#pragma once

#include <toml++/toml.h>
#include <string>
#include <vector>

namespace brennic {

// TLS towards the broker. Empty caFile: the system's certificate folder.
struct MqttTlsSettings {
    bool enabled = false;
    std::string caFile;
    std::string certFile;  // client certificate, optional (with keyFile)
    std::string keyFile;

    bool operator==(const MqttTlsSettings&) const = default;
};

// The [mqtt] section of brennic.toml.
struct MqttSettings {
    bool enabled = false;
    std::string host = "localhost";
    int port = 1883;  // 8883 when TLS is on and no port is given
    MqttTlsSettings tls;
    std::string username;
    std::string password;   // from `password` or the owner-only file named by `password_file`
    std::string clientId;   // empty: "brennic-" and the node id
    std::string baseTopic;  // empty: "brennic/<site id, else host name>"
    std::string discoveryPrefix = "homeassistant";  // empty: no discovery configs
    int intervalSeconds = 0;                        // 0: every sample

    bool operator==(const MqttSettings&) const = default;
};

// Reads the [mqtt] section (nullptr: absent, every default). A value of the wrong type or out
// of range adds a message naming the setting to `problems` and keeps the default; so do
// unknown keys and a password file that others may read. Reads the password file. Any thread.
MqttSettings ReadMqttSettings(const toml::table* section, std::vector<std::string>& problems);

// `text` with every character that is not a letter, digit, '-' or '_' replaced by '_'
// (what is left is safe in a topic level and in a discovery node id).
std::string TopicSafe(const std::string& text);

// The base topic in use: the configured one, else "brennic/" and the site id, else the host
// name, made topic-safe. Trailing slashes are dropped.
std::string ResolveBaseTopic(const MqttSettings& settings, const std::string& siteId,
                             const std::string& hostName);

// This machine's host name ("brennic" when it has none).
std::string LocalHostName();

}  // namespace brennic
