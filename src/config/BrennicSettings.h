#pragma once

#include <string>
#include <vector>

#include "alerts/AlertSettings.h"
#include "http/HttpSettings.h"
#include "mqtt/MqttSettings.h"
#include "station/ServiceSettings.h"

namespace brennic {

// ---------------------------------------------------------------------------------------
// brennic.toml: the settings of the newer capabilities (service, HTTP, MQTT, history,
// alerts), beside Config.Txt in the configuration folder. Config.Txt keeps its own format.
//
// To add a capability's settings:
// 1. In its own folder (src/http, src/mqtt, ...) define `struct XxxSettings` with its
//    defaults and `XxxSettings ReadXxxSettings(const toml::table* section,
//    std::vector<std::string>& problems)`; use the readers of config/TomlRead.h, which keep
//    the default of a key that is wrong and add one line naming the line of the file.
// 2. Add one field to BrennicSettings below and one call in ReadBrennicSettings
//    (BrennicSettings.cpp): `settings.xxx = ReadXxxSettings(Section(root, "xxx", problems),
//    problems);`
// A missing file or section means defaults. A file that is not valid TOML keeps every
// default and gives one problem naming the line.
// ---------------------------------------------------------------------------------------
struct BrennicSettings {
    ServiceSettings service;  // [service]
    HttpSettings http;        // [http]
    MqttSettings mqtt;        // [mqtt]
    AlertSettings alerts;     // [alerts]
};

inline constexpr const char* kSettingsFileName = "brennic.toml";

// What reading brennic.toml gave.
struct SettingsLoad {
    BrennicSettings settings;
    std::vector<std::string> problems;  // one line each, for the log or a message box
    bool found = false;                 // the file was there
};

// Reads `path`. Any thread.
SettingsLoad LoadBrennicSettings(const std::string& path);
// The same from text (tests, and the reader above).
SettingsLoad ParseBrennicSettings(const std::string& text);

// Writes `text` as `path` through a temporary file that replaces the old one, mode 0600 when
// the settings hold a non-empty `password` key anywhere (else 0644). Returns false with the
// reason in `why` on failure; the old file is then untouched. Any thread.
bool SaveBrennicSettings(const std::string& path, const std::string& text, std::string* why);

}  // namespace brennic
