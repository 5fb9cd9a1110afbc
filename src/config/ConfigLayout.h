#pragma once

// Where each value sits in Config.Txt, shared by its reader and its writer.

#include <array>
#include <cstddef>
#include <string>

#include "config/Config.h"
#include "core/Channels.h"

namespace brennic::config_layout {

using IntField = int Config::*;

// Line 3: the graph flags in file order, which is not their order in Config.
inline constexpr std::array<IntField, 15> kGraphFlags = {
    &Config::graphCollector, &Config::graphStorage,   &Config::graphAux1,    &Config::graphAux2,
    &Config::graphAux3,      &Config::graphAux4,      &Config::graphWAux1,   &Config::graphWAux2,
    &Config::graphWAux3,     &Config::graphWAux4,     &Config::graphBtuRate, &Config::graphFlow,
    &Config::graphPump,      &Config::graphHaBtuRate, &Config::graphHaPump};

// Line 4 from version 5 on.
inline constexpr std::array<IntField, 17> kStatusFlags = {
    &Config::statusCollector, &Config::statusStorage, &Config::statusAux1,
    &Config::statusAux2,      &Config::statusAux3,    &Config::statusAux4,
    &Config::statusWAux1,     &Config::statusWAux2,   &Config::statusWAux3,
    &Config::statusWAux4,     &Config::statusBtus,    &Config::statusKwh,
    &Config::statusBtuRate,   &Config::statusPump,    &Config::statusHaBtus,
    &Config::statusHaBtuRate, &Config::statusHaPump};

// Line 4 of versions up to 4, which had no separate kWh and rate flags.
inline constexpr std::array<IntField, 14> kOldStatusFlags = {
    &Config::statusCollector, &Config::statusStorage, &Config::statusAux1,  &Config::statusAux2,
    &Config::statusAux3,      &Config::statusAux4,    &Config::statusWAux1, &Config::statusWAux2,
    &Config::statusWAux3,     &Config::statusWAux4,   &Config::statusBtus,  &Config::statusPump,
    &Config::statusHaBtus,    &Config::statusHaPump};

// Line 5: the channels whose colour the file carries; they also follow graphLineWidth.
inline constexpr std::array<int, 13> kColouredChannels = {
    kChCollector, kChStorage, kChAux1,  kChAux2,    kChAux3, kChAux4,     kChWAux1,
    kChWAux2,     kChWAux3,   kChWAux4, kChBtuRate, kChGpm,  kChHaBtuRate};

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
