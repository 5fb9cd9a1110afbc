#pragma once

// Where each value sits in Config.Txt, shared by its reader and its writer.

#include <array>
#include <cstddef>
#include <string>

#include "config/Config.h"
#include "core/Channels.h"

namespace brennic::config_layout {

using IntField = int Config::*;

// Line 3: the graph flags in file order.
inline constexpr std::array<int, 15> kGraphFlags = {
    kChCollector, kChStorage, kChAux1,    kChAux2, kChAux3, kChAux4,      kChWAux1, kChWAux2,
    kChWAux3,     kChWAux4,   kChBtuRate, kChGpm,  kChPump, kChHaBtuRate, kChHaPump};

// Line 4 from version 5 on: the status flags in file order.
inline constexpr std::array<int, 17> kStatusFlags = {
    kChCollector, kChStorage, kChAux1,   kChAux2,      kChAux3,  kChAux4,
    kChWAux1,     kChWAux2,   kChWAux3,  kChWAux4,     kChBtus,  kChKwhs,
    kChBtuRate,   kChPump,    kChHaBtus, kChHaBtuRate, kChHaPump};

// Line 4 of versions up to 4, which had no separate kWh and rate flags.
inline constexpr std::array<int, 14> kOldStatusFlags = {
    kChCollector, kChStorage, kChAux1,  kChAux2, kChAux3, kChAux4,   kChWAux1,
    kChWAux2,     kChWAux3,   kChWAux4, kChBtus, kChPump, kChHaBtus, kChHaPump};

// Each flag line names every channel that can take its flag, once.
template <std::size_t N>
constexpr bool CoversChannels(const std::array<int, N>& line, bool ChannelEntry::*can) {
    std::size_t able = 0;
    for (const ChannelEntry& entry : kChannels) {
        able += entry.*can ? 1 : 0;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (!(CatalogueEntry(line[i]).*can)) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (line[j] == line[i]) {
                return false;
            }
        }
    }
    return able == N;
}
static_assert(CoversChannels(kGraphFlags, &ChannelEntry::graphable));
static_assert(CoversChannels(kStatusFlags, &ChannelEntry::listable));

// Line 5 carries the colours of the curves (kCurveChannels, in that order); they also follow
// graphLineWidth.

// Lines 16-36: one line of short and long name per channel, in this order.
inline constexpr std::array<int, kChannelCount> kNamedChannels = {
    kChCollector, kChStorage, kChAux1,   kChAux2,   kChAux3,      kChAux4, kChWAux1,
    kChWAux2,     kChWAux3,   kChWAux4,  kChBtus,   kChKwhs,      kChGpm,  kChPump,
    kChBtuRate,   kChKw,      kChHaBtus, kChHaKwhs, kChHaBtuRate, kChHaKw, kChHaPump};

// Line 6: 30 values of three kinds; the last three are written as 0 and ignored.
struct Line6Field {
    IntField integer = nullptr;
    double Config::*real = nullptr;
    bool Config::*flag = nullptr;
};
constexpr Line6Field I(IntField f) {
    return {f, nullptr, nullptr};
}
constexpr Line6Field D(double Config::*f) {
    return {nullptr, f, nullptr};
}
constexpr Line6Field B(bool Config::*f) {
    return {nullptr, nullptr, f};
}
inline constexpr Line6Field kUnused{};

// clang-format off
inline constexpr std::array<Line6Field, 30> kLine6 = {
    I(&Config::tempRangeIndex), I(&Config::graphEveryNth), I(&Config::xAxisHours),
    D(&Config::fixedFlowGpm), D(&Config::minFlowGpm), D(&Config::haFlowGpm),
    I(&Config::maxSamples), I(&Config::logData), I(&Config::newLogAtMidnight),
    I(&Config::logEveryNth), I(&Config::summaryEnable), I(&Config::summaryEveryNth),
    D(&Config::solarOffset), D(&Config::haOffset), I(&Config::solarGlycolPercent),
    I(&Config::haGlycolPercent), I(&Config::solarGlycolMix), I(&Config::haGlycolMix),
    I(&Config::smoothBtuRate), I(&Config::graphLineWidth), I(&Config::oneWireEnable),
    I(&Config::heatUnits), I(&Config::pumpSource), I(&Config::flowSource),
    I(&Config::logQmxData), I(&Config::btuEnable), B(&Config::autoScroll),
    kUnused, kUnused, kUnused,
};
// clang-format on

// Site ID and web folder are read no longer than the dialogs' fields.
inline constexpr std::size_t kSiteIdMax = 259;
inline constexpr std::size_t kWebFolderMax = 259;

// Lines 39-44: one quoted text each, with the size it is cut to.
struct QuotedField {
    std::string Config::*field;
    std::size_t max;
};
inline constexpr std::array<QuotedField, 6> kFtpLines = {{{&Config::ftpUserId, kText31},
                                                          {&Config::ftpAccount, kText31},
                                                          {&Config::ftpPassword, kText31},
                                                          {&Config::ftpServer, kServerMax},
                                                          {&Config::ftpServerPath, kServerMax},
                                                          {&Config::webFolder, kWebFolderMax}}};

// Probe row columns: id 0-14, description 16-46, switch from 48.
inline constexpr std::size_t kIdColumns = kText15;
inline constexpr std::size_t kDescriptionColumn = 16;
inline constexpr std::size_t kDescriptionColumns = kText31;
inline constexpr std::size_t kSwitchColumn = 48;

}  // namespace brennic::config_layout
