#include "links/TestDataGenerator.h"

#include <cstdio>

namespace brennic {

float DrawTestValue(CRand& rand, const TestRange& range) {
    const double r = rand();
    return static_cast<float>(r * (1.0 / 32767) * (range.maximum - range.minimum) + range.minimum);
}

int DrawHeaderCountdown(CRand& rand) {
    const double r = rand();
    return static_cast<int>(r * (1.0 / 32767) * 9.0);
}

TestDataCycle TestDataGenerator::Next(const TestDataSettings& s) {
    TestDataCycle out;
    float collector, storage, aux1, aux2, aux3, gpm;
    if (s.random != 0) {
        collector = DrawTestValue(rand_, s.collector);
        storage = DrawTestValue(rand_, s.storage);
        aux1 = DrawTestValue(rand_, s.aux1);
        aux2 = DrawTestValue(rand_, s.aux2);
        aux3 = DrawTestValue(rand_, s.aux3);
        (void)rand_();  // Aux-4 keeps its place in the sequence but is never synthesised
        gpm = DrawTestValue(rand_, s.gpm);
        if (s.oneWireData != 0) {
            out.oneWireValues = {DrawTestValue(rand_, s.waux1), DrawTestValue(rand_, s.waux2),
                                 DrawTestValue(rand_, s.waux3), DrawTestValue(rand_, s.waux4)};
        }
    } else {
        collector = static_cast<float>(s.collector.value);
        storage = static_cast<float>(s.storage.value);
        aux1 = static_cast<float>(s.aux1.value);
        aux2 = static_cast<float>(s.aux2.value);
        aux3 = static_cast<float>(s.aux3.value);
        gpm = static_cast<float>(s.gpm.value);
        if (s.oneWireData != 0) {
            out.oneWireValues = {
                static_cast<float>(s.waux1.value), static_cast<float>(s.waux2.value),
                static_cast<float>(s.waux3.value), static_cast<float>(s.waux4.value)};
        }
    }
    if (s.oneWireData != 0) {
        out.writesOneWire = true;
        out.switchState = s.haPump;
    }
    const char* pump = s.collectorPump != 0 ? "ON" : "OFF";

    --countdown_;
    if (countdown_ < 1) {
        out.header = true;
        countdown_ = 10;
    }

    char buffer[512];
    if (s.lineFormat == 2) {
        std::snprintf(buffer, sizeof buffer,
                      "COL=%0.1f STO=%0.1f PKH=%0.1f PKL=%0.1f AX1=%0.1f AX2=%0.1f PMP=%s UPL=OFF",
                      collector, storage, 174.2, 110.0, aux1, aux2, pump);
    } else {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d %6.1f %6.1f %s %6.1f %6.1f %s %s", hours_,
                      minutes_, collector, storage, " 08.0   110.0 ", aux1, aux2, pump,
                      "  OFF abadabadoo  ");
    }
    out.line = buffer;

    minutes_ += 6;
    if (minutes_ >= 60) {
        minutes_ = 0;
        ++hours_;
    }

    if (s.lineFormat == 1) {
        const double r = rand_();
        const int fpl = static_cast<int>(r * (1.0 / 32767) * 20 + 150);
        std::snprintf(buffer, sizeof buffer, "GPM=%3.1f  FPL=%i  AX3=%3.1f KWH=%3.1f", gpm, fpl,
                      aux3, 0.0);
        out.hasGpmLine = true;
        out.gpmLine = buffer;
    }
    return out;
}

}  // namespace brennic
