#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Channels.h"

namespace brennic {

// Most text fields of Config.Txt are cut to these many characters when read.
inline constexpr std::size_t kComPortMax = 255;  // long enough for /dev/serial/by-id/... names
inline constexpr std::size_t kText31 = 31;
inline constexpr std::size_t kText15 = 15;
inline constexpr std::size_t kIpMax = 23;
inline constexpr std::size_t kServerMax = 127;
inline constexpr std::size_t kPathMax = 4095;

enum ControllerType : int { kVexin2 = 0, kVexin2Btu = 1, kVexin2Lcd = 2 };

struct TempRange {
    int min;
    int max;
};

inline constexpr std::array<TempRange, 10> kTempRanges = {{{-25, 300},
                                                           {0, 300},
                                                           {25, 300},
                                                           {50, 300},
                                                           {75, 300},
                                                           {-25, 200},
                                                           {0, 200},
                                                           {50, 200},
                                                           {75, 200},
                                                           {-50, 300}}};

// One row of the One-Wire probe table: WAux-1..WAux-4 and the heat-assist pump switch.
struct OneWireProbe {
    std::string description = " ";  // at most 31 characters
    std::string id;                 // sensor name at the One-Wire server, at most 15
    int switchSelect = 0;           // pump row: 1..8 = A..H, -1..-8 = "not A".."not H"

    bool operator==(const OneWireProbe&) const = default;
};

// The display font as stored in Config.Txt line 9 (face, height, weight, italic and the
// four numbers kept for the file's sake). `set` is false until a file or the Font command
// supplied one; the UI then uses its default font.
struct DisplayFont {
    bool set = false;
    std::string face;
    int height = 0;  // negative: character height in pixels; positive: cell height
    int weight = 400;
    int italic = 0;
    int charSet = 0;
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;

    bool operator==(const DisplayFont&) const = default;
};

// Every user setting. Loaded once at start-up, written back in full after each change.
struct Config {
    // Graph and port settings.
    int controllerType = kVexin2;
    std::string comPort = "/dev/ttyUSB0";
    bool autoStart = false;

    // Which channels the strip chart draws and which the value table and status lines list,
    // indexed by ChannelId (see kChannels for which channels can take each flag).
    ChannelFlags graph = [] {
        ChannelFlags f{};
        for (int id : {kChCollector, kChStorage, kChAux1, kChAux2, kChPump}) {
            f[static_cast<std::size_t>(id)] = 1;
        }
        return f;
    }();
    ChannelFlags status = [] {
        ChannelFlags f{};
        for (int id : {kChCollector, kChStorage, kChPump}) {
            f[static_cast<std::size_t>(id)] = 1;
        }
        return f;
    }();

    int tempRangeIndex = 0;
    int graphTempMax = 300;  // derived from tempRangeIndex
    int graphTempMin = -25;  // derived from tempRangeIndex
    int graphEveryNth = 30;
    int xAxisHours = 12;
    bool autoScroll = false;

    // Loop and heat settings.
    double fixedFlowGpm = 5.0;
    double minFlowGpm = 0.0;
    double haFlowGpm = 5.0;
    double solarOffset = 0.0;
    int smoothBtuRate = 1;
    int btuEnable = 1;
    double haOffset = 0.0;
    int solarGlycolPercent = 50;
    int haGlycolPercent = 50;
    int solarGlycolMix = 0;
    int haGlycolMix = 0;
    int maxSamples = 10000;  // 1000..20000

    // Log, display and source settings.
    int logData = 0;
    int newLogAtMidnight = 1;
    int logEveryNth = 30;
    int logQmxData = 0;
    int summaryEnable = 1;
    int summaryEveryNth = 1800;
    bool loadedFromProgramFolder = false;
    int graphLineWidth = 1;
    int oneWireEnable = 0;
    int heatUnits = 1;         // 0 = BTUs, 1 = KWH
    int pumpSource = 0;        // 0 = QMX controller, 1 = minimum flow rate
    int flowSource = 0;        // 0 = QMX controller, 1 = fixed rate
    std::string dataFolder;    // log and summary files
    std::string configFolder;  // Config.Txt

    // Solar array.
    float latitude = 45.0f;
    float longitude = -88.0f;  // east positive; the file and the dialogs carry -longitude
    float collectorTilt = 60.0f;
    float collectorAzimuth = 145.0f;
    float collectorArea = 1.0f;
    float incidentAngleModifier = 0.2f;
    float efficiencyIntercept = 0.7f;
    float efficiencySlope = -5.0f;

    // Web publishing.
    int webUploadFtp = 0;
    int webWriteToDisk = 0;
    int webShowErrors = 0;
    int webIncludeScreenShot = 0;
    int webIntervalMinutes = 1;
    std::string ftpUserId;
    std::string ftpAccount;
    std::string ftpPassword;
    std::string ftpServer;
    std::string ftpServerPath;
    std::string webFolder;
    std::string siteId;

    // One-Wire.
    std::string oneWireServerIp = "127.0.0.1";
    int oneWirePort = 5003;
    int oneWireTimer = 30000;  // milliseconds
    std::array<OneWireProbe, 5> oneWireProbes = {{{" ", "WAUX-1", 0},
                                                  {" ", "WAUX-2", 0},
                                                  {" ", "WAUX-3", 0},
                                                  {" ", "WAUX-4", 0},
                                                  {" ", "SW-1", 0}}};

    bool operator==(const Config&) const = default;
};

}  // namespace brennic
