#include "core/Channels.h"

namespace brennic {

ChannelTable DefaultChannelTable() {
    struct Start {
        const char* shortName;
        const char* longName;
        Colour colour;
    };
    static constexpr Start kStart[kChannelCount] = {
        {"Collector", "Collector", 0x0000FF},
        {"Storage", "Storage", 0x00FF00},
        {"Aux-1", "Aux-1", 0xFF0000},
        {"Aux-2", "Aux-2", 0xD1CD00},
        {"Aux-3", "Aux-3", 0x101010},
        {"Aux-4", "Aux-4", 0x202020},
        {"WAux-1", "WAux-1", 0xDB7093},
        {"WAux-2", "WAux-2", 0xD670DA},
        {"WAux-3", "WAux-3", 0x00A5FF},
        {"WAux-4", "WAux-4", 0x00D7FF},
        {"BTUs Captured", "BTUs Captured", 0xD8BFD8},
        {"KWHs Captured", "KWHs Captured", 0x000000},
        {"GPM", "Flow Rate GPM", 0x8C1E8C},
        {"BTUs/Hour", "BTUs Captured/Hour", 0x000000},
        {"KW", "Kilowatts Captured", 0x000000},
        {"HA BTUs", "Heat Assist BTUs", 0x13458B},
        {"HA KWHs", "Heat Assist KWHs", 0x000000},
        {"HA BTUs/Hour", "Heat Assist BTUs/Hour", 0x000000},
        {"HA KW", "Heat Assist KW", 0x000000},
        {"Pump", "Pump", 0x000000},
        {"HA Pump", "Heat Assist Pump", 0x000000},
    };
    ChannelTable table;
    for (int id = 0; id < kChannelCount; ++id) {
        table[id].colour = kStart[id].colour;
        table[id].penWidth = 1;
        table[id].shortName = kStart[id].shortName;
        table[id].longName = kStart[id].longName;
    }
    return table;
}

}  // namespace brennic
