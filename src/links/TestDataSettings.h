#pragma once

namespace brennic {

// Maximum, minimum and fixed value of one synthesised quantity.
struct TestRange {
    double maximum;
    double minimum;
    double value;
};

// What the serial link's test-data mode synthesises. Written by the test data dialog and
// start-up, read by the reader thread once per cycle; both under the StateLock.
struct TestDataSettings {
    TestRange collector{175.0, 150.0, 165.0};
    TestRange storage{175.0, 140.0, 140.0};
    TestRange aux1{170.0, 165.0, 168.0};
    TestRange aux2{168.0, 160.0, 160.0};
    TestRange aux3{175.0, 140.0, 140.0};
    TestRange aux4{100.0, 100.0, 100.0};  // shown in the dialog; never synthesised
    TestRange waux1{175.0, 160.0, 165.0};
    TestRange waux2{150.0, 130.0, 135.0};
    TestRange waux3{110.0, 100.0, 105.0};
    TestRange waux4{100.0, 60.0, 80.0};
    TestRange gpm{12.0, 8.0, 9.0};
    int collectorPump = 0;  // 0 or 1
    int haPump = 0;         // 0 or 1
    int random = 0;         // draw between minimum and maximum instead of the values
    int oneWireData = 1;    // also write the One-Wire readings
    int lineFormat = 0;     // 0 "Vexin 2", 1 "Vexin 2 BTU", 2 KEY=value lines
};

// The start values, with the line format of the configured controller model. Start-up sets
// them after the configuration has been read.
inline TestDataSettings DefaultTestDataSettings(int controllerType) {
    TestDataSettings s;
    s.lineFormat = controllerType;
    return s;
}

}  // namespace brennic
