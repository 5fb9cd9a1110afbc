#include "mqtt/MqttSettings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <set>
#include <sstream>

namespace brennic {

namespace {

using Problems = std::vector<std::string>;

std::string Where(const std::string& key) {
    return "mqtt." + key;
}

void ReadBool(const toml::table& t, const char* key, bool& out, Problems& problems) {
    const toml::node* n = t.get(key);
    if (n == nullptr) {
        return;
    }
    if (const auto v = n->value<bool>(); n->is_boolean() && v) {
        out = *v;
        return;
    }
    problems.push_back(Where(key) + ": expected true or false; kept " + (out ? "true" : "false"));
}

void ReadText(const toml::table& t, const char* key, std::string& out, Problems& problems,
              const std::string& prefix = "") {
    const toml::node* n = t.get(key);
    if (n == nullptr) {
        return;
    }
    if (n->is_string()) {
        out = n->value<std::string>().value_or(out);
        return;
    }
    problems.push_back(Where(prefix + key) + ": expected a text in quotes; kept \"" + out + "\"");
}

void ReadInt(const toml::table& t, const char* key, int low, int high, int& out,
             Problems& problems) {
    const toml::node* n = t.get(key);
    if (n == nullptr) {
        return;
    }
    const auto v = n->is_integer() ? n->value<long long>() : std::nullopt;
    if (v && *v >= low && *v <= high) {
        out = static_cast<int>(*v);
        return;
    }
    std::ostringstream text;
    text << Where(key) << ": expected a whole number from " << low << " to " << high << "; kept "
         << out;
    problems.push_back(text.str());
}

// The password file holds a secret: it must be a regular file only its owner can read.
void ReadPasswordFile(const std::string& path, MqttSettings& s, Problems& problems) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        problems.push_back("mqtt.password_file: cannot read \"" + path + "\"; no password used");
        return;
    }
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        problems.push_back("mqtt.password_file: \"" + path +
                           "\" may be read by others (make it mode 0600); no password used");
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::string password;
    if (!in || !std::getline(in, password)) {
        problems.push_back("mqtt.password_file: cannot read \"" + path + "\"; no password used");
        return;
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    s.password = password;
}

void ReadTls(const toml::node& node, MqttSettings& s, Problems& problems) {
    const toml::table* t = node.as_table();
    if (t == nullptr) {
        problems.push_back("mqtt.tls: expected a table ([mqtt.tls]); TLS stays off");
        return;
    }
    s.tls.enabled = true;
    ReadBool(*t, "enabled", s.tls.enabled, problems);
    ReadText(*t, "ca_file", s.tls.caFile, problems, "tls.");
    ReadText(*t, "cert_file", s.tls.certFile, problems, "tls.");
    ReadText(*t, "key_file", s.tls.keyFile, problems, "tls.");
    if (s.tls.certFile.empty() != s.tls.keyFile.empty()) {
        problems.push_back(
            "mqtt.tls: cert_file and key_file go together; no client certificate used");
        s.tls.certFile.clear();
        s.tls.keyFile.clear();
    }
    for (const auto& [key, value] : *t) {
        static const std::set<std::string_view> known = {"enabled", "ca_file", "cert_file",
                                                         "key_file"};
        if (!known.contains(key.str())) {
            problems.push_back("mqtt.tls." + std::string(key.str()) + ": unknown setting");
        }
    }
}

bool IsTopicSafeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

}  // namespace

MqttSettings ReadMqttSettings(const toml::table* section, std::vector<std::string>& problems) {
    MqttSettings s;
    if (section == nullptr) {
        return s;
    }
    const toml::table& t = *section;
    ReadBool(t, "enabled", s.enabled, problems);
    ReadText(t, "host", s.host, problems);
    if (const toml::node* tls = t.get("tls")) {
        ReadTls(*tls, s, problems);
    }
    if (s.tls.enabled) {
        s.port = 8883;
    }
    ReadInt(t, "port", 1, 65535, s.port, problems);
    ReadText(t, "username", s.username, problems);
    ReadText(t, "password", s.password, problems);
    std::string passwordFile;
    ReadText(t, "password_file", passwordFile, problems);
    if (!passwordFile.empty()) {
        ReadPasswordFile(passwordFile, s, problems);
    }
    ReadText(t, "client_id", s.clientId, problems);
    ReadText(t, "base_topic", s.baseTopic, problems);
    if (s.baseTopic.find_first_of("+#") != std::string::npos) {
        problems.push_back("mqtt.base_topic: \"" + s.baseTopic +
                           "\" holds a wildcard (+ or #); the default is used");
        s.baseTopic.clear();
    }
    ReadText(t, "discovery_prefix", s.discoveryPrefix, problems);
    if (s.discoveryPrefix.find_first_of("+#") != std::string::npos) {
        problems.push_back("mqtt.discovery_prefix: \"" + s.discoveryPrefix +
                           "\" holds a wildcard (+ or #); kept \"homeassistant\"");
        s.discoveryPrefix = "homeassistant";
    }
    ReadInt(t, "interval_seconds", 0, 86400, s.intervalSeconds, problems);
    if (s.host.empty()) {
        problems.push_back("mqtt.host: empty; kept \"localhost\"");
        s.host = "localhost";
    }
    static const std::set<std::string_view> known = {
        "enabled",         "host",          "port",      "tls",        "username",
        "password",        "password_file", "client_id", "base_topic", "discovery_prefix",
        "interval_seconds"};
    for (const auto& [key, value] : t) {
        if (!known.contains(key.str())) {
            problems.push_back("mqtt." + std::string(key.str()) + ": unknown setting");
        }
    }
    return s;
}

std::string TopicSafe(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (!IsTopicSafeChar(c)) {
            c = '_';
        }
    }
    return out;
}

std::string ResolveBaseTopic(const MqttSettings& settings, const std::string& siteId,
                             const std::string& hostName) {
    std::string base = settings.baseTopic;
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    if (!base.empty()) {
        return base;
    }
    const auto trim = [](const std::string& text) {
        const auto first = text.find_first_not_of(' ');
        return first == std::string::npos
                   ? std::string()
                   : text.substr(first, text.find_last_not_of(' ') - first + 1);
    };
    std::string site = trim(siteId);
    if (site.empty()) {
        site = trim(hostName);
    }
    return "brennic/" + TopicSafe(site.empty() ? "brennic" : site);
}

std::string LocalHostName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') {
        return "brennic";
    }
    return name.data();
}

}  // namespace brennic
