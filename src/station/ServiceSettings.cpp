#include "station/ServiceSettings.h"

#include "config/TomlRead.h"

namespace brennic {

ServiceSettings ReadServiceSettings(const toml::table* section,
                                    std::vector<std::string>& problems) {
    ServiceSettings s;
    ReadBool(section, "service", "reconnect", s.reconnect, problems);
    ReadInt(section, "service", "reconnect_first_seconds", s.reconnectFirstSeconds, 1, 3600,
            problems);
    ReadInt(section, "service", "reconnect_most_seconds", s.reconnectMostSeconds, 1, 86400,
            problems);
    if (s.reconnectMostSeconds < s.reconnectFirstSeconds) {
        s.reconnectMostSeconds = s.reconnectFirstSeconds;
    }
    return s;
}

}  // namespace brennic
