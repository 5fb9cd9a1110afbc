#pragma once

#include <array>
#include <cstdint>
#include <string>

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

// The table with its start values: names, default colours, width 1.
ChannelTable DefaultChannelTable();

// Fixed drawing colours for the sun chart, the colour picker and the display.
inline constexpr std::array<Colour, 7> kFixedColours = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080,
                                                        0x000000, 0x00A5FF, 0xFF00FF};

}  // namespace brennic
