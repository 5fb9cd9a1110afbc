#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Sample.h"

namespace brennic {

// Colours are 0x00BBGGRR, as stored in Config.Txt.
using Colour = std::uint32_t;

inline constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
inline constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

enum ChannelId : int {
    kChCollector = 0,
    kChStorage = 1,
    kChAux1 = 2,
    kChAux2 = 3,
    kChAux3 = 4,
    kChAux4 = 5,
    kChWAux1 = 6,
    kChWAux2 = 7,
    kChWAux3 = 8,
    kChWAux4 = 9,
    kChBtus = 10,
    kChKwhs = 11,
    kChGpm = 12,
    kChBtuRate = 13,
    kChKw = 14,
    kChHaBtus = 15,
    kChHaKwhs = 16,
    kChHaBtuRate = 17,
    kChHaKw = 18,
    kChPump = 19,
    kChHaPump = 20,
    kChannelCount = 21,
};

inline constexpr std::size_t kNameMax = 31;  // names hold at most 31 characters

// How a channel is drawn on the strip chart, which also tells what its values are.
enum class Scale : int { kTemperature, kHeat, kRate, kFlow, kPumpBand, kHeatBand };

// What Brennic knows of one channel. The names and the colour are the start values of the
// user's ChannelTable; everything else is fixed.
struct ChannelEntry {
    const char* key;        // "graph_"/"status_" + key name the dialog's boxes; page keys
    const char* shortName;  // start value
    const char* longName;   // start value
    Colour colour;          // start value
    const char* unit;       // unit of the value as shown
    Scale scale;
    int slot;                   // Sample slot that carries the value, -1 for the heat totals
    bool graphable;             // can be drawn on the strip chart (Config::graph)
    bool listable;              // can be listed in the value table or status lines (Config::status)
    bool oneWire;               // offered only with the One-Wire probes (and heat assist) enabled
    const char* statusCaption;  // caption of its Status box in the configuration dialog
    const char* nameCaption;    // caption of its row in the rename dialog
};

// Indexed by ChannelId.
// clang-format off
inline constexpr std::array<ChannelEntry, kChannelCount> kChannels = {{
    {"collector", "Collector", "Collector", 0x0000FF, "°F", Scale::kTemperature, kSlotCollector, true, true, false, "Collector", "Collector Temperature"},
    {"storage", "Storage", "Storage", 0x00FF00, "°F", Scale::kTemperature, kSlotStorage, true, true, false, "Storage", "Storage Temperature"},
    {"aux1", "Aux-1", "Aux-1", 0xFF0000, "°F", Scale::kTemperature, kSlotAux1, true, true, false, "Aux-1", "Aux-1 Probe Temperature"},
    {"aux2", "Aux-2", "Aux-2", 0xD1CD00, "°F", Scale::kTemperature, kSlotAux2, true, true, false, "Aux-2", "Aux-2 Probe Temperature"},
    {"aux3", "Aux-3", "Aux-3", 0x101010, "°F", Scale::kTemperature, kSlotAux3, true, true, false, "Aux-3", "Aux-3 Probe Temperature"},
    {"aux4", "Aux-4", "Aux-4", 0x202020, "°F", Scale::kTemperature, kSlotAux4, true, true, false, "Aux-4", "Aux-4 Probe Temperature"},
    {"waux1", "WAux-1", "WAux-1", 0xDB7093, "°F", Scale::kTemperature, kSlotWAux1, true, true, true, "WAux-1", "WAux1"},
    {"waux2", "WAux-2", "WAux-2", 0xD670DA, "°F", Scale::kTemperature, kSlotWAux2, true, true, true, "WAux-2", "WAux-2"},
    {"waux3", "WAux-3", "WAux-3", 0x00A5FF, "°F", Scale::kTemperature, kSlotWAux3, true, true, true, "WAux-3", "WAux-3"},
    {"waux4", "WAux-4", "WAux-4", 0x00D7FF, "°F", Scale::kTemperature, kSlotWAux4, true, true, true, "WAux-4", "WAux-4"},
    {"btus", "BTUs Captured", "BTUs Captured", 0xD8BFD8, "BTU", Scale::kHeat, -1, false, true, false, nullptr, "BTUs Collected"},
    {"kwhs", "KWHs Captured", "KWHs Captured", 0x000000, "kWh", Scale::kHeat, -1, false, true, false, nullptr, "KWH Collected"},
    {"flow", "GPM", "Flow Rate GPM", 0x8C1E8C, "GPM", Scale::kFlow, kSlotFlow, true, false, false, nullptr, "GPM"},
    {"bturate", "BTUs/Hour", "BTUs Captured/Hour", 0x000000, "BTU/h", Scale::kRate, kSlotBtuRate, true, true, false, "BTUs/Hour", "BTUs/Hour"},
    {"kw", "KW", "Kilowatts Captured", 0x000000, "kW", Scale::kRate, kSlotBtuRate, false, false, false, nullptr, "KW"},
    {"habtus", "HA BTUs", "Heat Assist BTUs", 0x13458B, "BTU", Scale::kHeat, -1, false, true, true, nullptr, "Heat Assist BTUs Provided"},
    {"hakwhs", "HA KWHs", "Heat Assist KWHs", 0x000000, "kWh", Scale::kHeat, -1, false, false, true, nullptr, "Heat Assist KWH Provided"},
    {"habturate", "HA BTUs/Hour", "Heat Assist BTUs/Hour", 0x000000, "BTU/h", Scale::kRate, kSlotHaBtuRate, true, true, true, "Heat Assist BTUs/Hour", "Heat Assist BTUs/Hour"},
    {"hakw", "HA KW", "Heat Assist KW", 0x000000, "kW", Scale::kRate, kSlotHaBtuRate, false, false, true, nullptr, "Heat Assist KW"},
    {"pump", "Pump", "Pump", 0x000000, "", Scale::kPumpBand, kSlotPump, true, true, false, "Pump", "Collector Pump"},
    {"hapump", "HA Pump", "Heat Assist Pump", 0x000000, "", Scale::kHeatBand, kSlotHaPump, true, true, true, "Heat Assist Pump", "Heat Assist Pump"},
}};
// clang-format on

inline constexpr const ChannelEntry& CatalogueEntry(int id) {
    return kChannels[static_cast<std::size_t>(id)];
}

// Curves (not bands) in the order of the legend and of the colour line of Config.Txt.
inline constexpr std::array<int, 13> kCurveChannels = {
    kChCollector, kChStorage, kChAux1,  kChAux2,    kChAux3, kChAux4,     kChWAux1,
    kChWAux2,     kChWAux3,   kChWAux4, kChBtuRate, kChGpm,  kChHaBtuRate};

// One on/off flag per channel, indexed by ChannelId; channels that cannot take the flag
// keep 0.
using ChannelFlags = std::array<int, kChannelCount>;

// One display and log channel. The UI derives its pen and brush from colour and width.
struct ChannelInfo {
    Colour colour = 0;
    int penWidth = 1;
    std::string shortName;
    std::string longName;

    bool operator==(const ChannelInfo&) const = default;
};

struct ChannelTable {
    std::array<ChannelInfo, kChannelCount> channel;

    ChannelInfo& operator[](int id) { return channel[static_cast<std::size_t>(id)]; }
    const ChannelInfo& operator[](int id) const { return channel[static_cast<std::size_t>(id)]; }

    bool operator==(const ChannelTable&) const = default;
};

// The table with its start values: names and colours of kChannels, width 1.
ChannelTable DefaultChannelTable();

// Fixed drawing colours for the sun chart, the colour picker and the display.
inline constexpr std::array<Colour, 7> kFixedColours = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080,
                                                        0x000000, 0x00A5FF, 0xFF00FF};

}  // namespace brennic
