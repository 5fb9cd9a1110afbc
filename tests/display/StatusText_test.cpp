#include "display/StatusText.h"

#include <gtest/gtest.h>

#include <ctime>

#include "support/DisplayTestData.h"

namespace brennic {
namespace {

using testdata::kNoon;

class StatusTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ProcessorState& p = state.processor;
        p.firstSampleTime = kNoon;
        p.current.time = kNoon + 3 * 3600 + 4 * 60 + 5;  // ET=3:04:05
        p.faultText = " ";
    }

    ScopedTimeZone zone_{"UTC"};
    AppState state;
};

TEST_F(StatusTextTest, TimeLineForms) {
    const std::time_t now = kNoon + 3723;  // 13:02:03
    const std::string head = "13:02:03    ET=3:04:05    Communication Port ";
    struct Case {
        bool active;
        bool terminating;
        bool dataReceived;
        const char* fault;
        int oneWireEnable;
        bool oneWireActive;
        std::string expected;
    };
    // Port active, terminating, data received, fault, One Wire enabled, One Wire active.
    const Case cases[] = {
        {false, false, true, "E3", 1, true, head + "Not Active  Flux=0.50"},
        {true, true, true, "E3", 1, true, head + "Terminating  Flux=0.50"},
        {true, false, true, "E3", 1, true, head + "Active, timeouts=2 Fault=E3  Flux=0.50"},
        {true, false, false, "E3", 0, false, head + "Active, timeouts=2  Flux=0.50"},
        {true, false, true, " ", 1, true,
         head + "Active, timeouts=2    One Wire Active, timeouts=4  Flux=0.50"},
        {true, false, true, " ", 1, false,
         head + "Active, timeouts=2    One Wire Inactive  Flux=0.50"},
        {true, false, true, " ", 0, true, head + "Active, timeouts=2  Flux=0.50"},
    };
    for (const Case& c : cases) {
        DisplayStatus status;
        status.links.comActive = c.active;
        status.serialTerminating = c.terminating;
        status.serialTimeouts = 2;
        status.links.oneWireActive = c.oneWireActive;
        status.links.oneWireTimeouts = 4;
        state.processor.newSample = c.dataReceived;
        state.processor.faultText = c.fault;
        state.config.oneWireEnable = c.oneWireEnable;
        EXPECT_EQ(TimeLine(state.config, state.processor, status, now, 0.5f), c.expected)
            << "row " << &c - cases;
    }
    // Before the first sample the elapsed time is not negative.
    state.processor.current.time = 0;
    EXPECT_EQ(TimeLine(state.config, state.processor, {}, now, 1.234f),
              "13:02:03    ET=0:00:00    Communication Port Not Active  Flux=1.23");
}

TEST_F(StatusTextTest, OtherStatusLines) {
    ProcessorState& p = state.processor;
    p.reportLine1 = "13:00 165.3 141.2 18.0 180.0 163.1 158.2 ON OFF";
    EXPECT_EQ(LastDataLine(p),
              "Last Data Received: 13:00 165.3 141.2 18.0 180.0 163.1 158.2 ON OFF  ");
    p.highLimit = 180.0f;
    p.differential = 18.0f;
    EXPECT_EQ(HighLimitLine(p), "High Limit 180.0 Differential  18.0");

    p.current[kSlotPump] = 1.0f;
    p.current[kSlotFlow] = 9.0f;
    p.collectorHeat.factor = 0.8812;
    p.collectorPump.totalOnSeconds = 7200;
    p.collectorPump.cycles = 3;
    EXPECT_EQ(PumpLine(p, state.channels),
              "Pump is ON    GPM= 9.00   BTU Factor=0.8812    On_Hours= 2.00    "
              "Duty_Cycle= 0.65     Cycles=3");
    p.current[kSlotPump] = 0.0f;
    EXPECT_EQ(PumpLine(p, state.channels),
              "Pump is OFF    On_Hours= 2.00    Duty_Cycle= 0.65     Cycles=3");

    EXPECT_EQ(HaPumpLine(p, state.channels),
              "Heat Assist Pump is OFF    On_Hours= 0.00    Duty_Cycle= 0.00    Cycles=0");
    p.current[kSlotHaPump] = 1.0f;
    p.current[kSlotHaFlow] = 5.0f;
    p.haHeat.factor = 0.95;
    state.channels[kChHaPump].longName = "Boiler Pump";  // renamed by the user
    p.current.time = p.firstSampleTime;                  // no elapsed time: duty cycle 0
    p.haPump.totalOnSeconds = 1800;
    EXPECT_EQ(HaPumpLine(p, state.channels),
              "Boiler Pump is ON    GPM= 5.00    BTU Factor=0.9500    On_Hours= 0.50    "
              "Duty_Cycle= 0.00    Cycles=0");

    p.sampleCount = 1234;
    Sample s;
    p.history.Append(s, 10);
    p.history.Append(s, 10);
    p.openSensors = 2;
    p.dataErrors = 7;
    DisplayStatus status;
    status.oneWirePackets = 99;
    status.webUploads = 5;
    status.webErrors = 1;
    const std::string base =
        "Samples=1234   Samples saved=2   Samples Logged=41     Open_Sensors=2    Data_Errors=7";
    EXPECT_EQ(SamplesLine(state.config, p, 41, status), base);
    state.config.oneWireEnable = 1;
    EXPECT_EQ(SamplesLine(state.config, p, 41, status), base + "    One Wire Pkts=99");
    state.config.webUploadFtp = 1;
    EXPECT_EQ(SamplesLine(state.config, p, 41, status),
              base + "    One Wire Pkts=99    Web Uploads=5    Web Errors=1");
}

TEST_F(StatusTextTest, StatusLinesKeepTheirTextsUntilDataArrives) {
    state.statusLines.line[StatusLines::kSamples] = "old";
    UpdateStatusLines(state, {}, kNoon, 0.0f);
    EXPECT_FALSE(state.statusLines.line[StatusLines::kTime].empty());
    EXPECT_EQ(state.statusLines.line[StatusLines::kSamples], "old");
    state.processor.newSample = true;
    UpdateStatusLines(state, {}, kNoon, 0.0f);
    EXPECT_EQ(state.statusLines.line[StatusLines::kSamples].rfind("Samples=0", 0), 0u);
    EXPECT_EQ(state.statusLines.line[StatusLines::kHaPump].rfind("Heat Assist Pump is OFF", 0), 0u);
}

TEST_F(StatusTextTest, ValueCells) {
    struct Case {
        double value;
        bool current;
        const char* expected;
    };
    const Case cases[] = {
        {-9999.0, true, "     Open"},     {-9998.0, true, "     Open"},
        {9999.0, true, "    9999.0"},     {-9999.0, false, "         "},
        {123.5, false, "     123.5"},     {-12.25, true, "     -12.2"},
        {12345678.1, true, "12345678.1"}, {0.0, false, "       0.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CellText(c.value, c.current), c.expected) << c.value << " " << c.current;
    }
}

TEST_F(StatusTextTest, TableRowsInOrderWithHeatUnits) {
    Config& c = state.config;
    for (int id :
         {kChCollector, kChStorage, kChAux1, kChAux2, kChAux3, kChAux4, kChWAux1, kChWAux2,
          kChWAux3, kChWAux4, kChBtus, kChKwhs, kChBtuRate, kChHaBtus, kChHaBtuRate, kChPump}) {
        c.status[static_cast<std::size_t>(id)] = 1;
    }
    EXPECT_EQ(ChosenTableQuantities(c), 15);
    ProcessorState& p = state.processor;
    p.current[kSlotCollector] = kNoReading;
    p.stats.maximum[kSlotCollector] = 190.0f;
    p.stats.minimum[kSlotCollector] = 60.0f;
    p.stats.dayMax[kSlotCollector] = kNoReading;
    p.stats.dayMin[kSlotCollector] = kDayMinStart;
    p.collectorHeat.total = 3413.0 * 2;
    p.collectorHeat.dayHeat = 3413.0;
    p.collectorHeat.rate = 1.0;
    p.collectorHeat.maxRate = 2.0;
    p.collectorHeat.dayMaxRate = 1.5;
    p.haHeat.total = 3413.0 * 4;
    p.haHeat.rate = 0.5;

    c.heatUnits = 1;  // KWH
    std::vector<TableRow> rows = TableRows(state.config, state.processor, state.channels);
    ASSERT_EQ(rows.size(), 15u);
    EXPECT_EQ(rows[0].name, "Collector");
    EXPECT_EQ(rows[9].name, "WAux-4");
    EXPECT_EQ(rows[11].name, "KWHs Captured");
    EXPECT_EQ(rows[12].name, "Kilowatts Captured");
    EXPECT_EQ(rows[14].name, "Heat Assist KW");
    EXPECT_EQ(rows[0].cells, (std::array<std::string, 5>{"     Open", "     190.0", "      60.0",
                                                         "         ", "         "}));
    EXPECT_EQ(rows[10].cells, (std::array<std::string, 5>{"    6826.0", "", "", "    3413.0", ""}));
    EXPECT_EQ(rows[11].cells, (std::array<std::string, 5>{"       2.0", "", "", "       1.0", ""}));
    EXPECT_EQ(rows[12].cells, (std::array<std::string, 5>{"       1.1", "       2.1", "",
                                                          "       1.6", ""}));  // x 3600 / 3413
    EXPECT_EQ(rows[13].cells[0], "       4.0");
    EXPECT_EQ(rows[14].cells[0], "       0.5");

    c.heatUnits = 0;  // BTUs
    state.channels[kChBtuRate].longName = "Solar Rate";
    rows = TableRows(state.config, state.processor, state.channels);
    EXPECT_EQ(rows[12].name, "Solar Rate");
    EXPECT_EQ(rows[12].cells,
              (std::array<std::string, 5>{"    3600.0", "    7200.0", "", "    5400.0", ""}));
    EXPECT_EQ(rows[13].name, "Heat Assist BTUs");
    EXPECT_EQ(rows[13].cells[0], "   13652.0");
    EXPECT_EQ(rows[14].name, "Heat Assist BTUs/Hour");
    EXPECT_EQ(rows[14].cells[0], "    1800.0");

    c.status[kChAux1] = c.status[kChBtus] = 0;
    rows = TableRows(state.config, state.processor, state.channels);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[2].name, "Aux-2");
    EXPECT_EQ(rows[9].name, "KWHs Captured");
}

}  // namespace
}  // namespace brennic
