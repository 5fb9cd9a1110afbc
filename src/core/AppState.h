#pragma once

#include <string>

#include "config/Config.h"
#include "config/GlycolTable.h"
#include "core/Channels.h"
#include "core/ChartView.h"
#include "core/DisplayRecords.h"
#include "core/MessageHook.h"
#include "core/ProcessorState.h"
#include "core/StateLock.h"
#include "links/TestDataSettings.h"
#include "logs/DailyLogState.h"
#include "sun/SunCalculator.h"

namespace brennic {

// Who the program is: its folder (Glycol.txt, help), its name (folders, captions) and version.
struct ProgramIdentity {
    std::string folder;
    std::string name = "brennic";
    std::string version;
};

// The one state block of the program, created by main and passed by reference.
// Every field is read and written under `lock`, except where a field says otherwise.
struct AppState {
    StateLock lock;
    MessageCounters messages;  // main thread only
    MessageHook showMessage = StderrMessageHook();
    ProgramIdentity identity;
    GlycolTable glycol = BuiltInGlycolTable();
    Config config;
    DisplayFont font;
    ChannelTable channels = DefaultChannelTable();
    ProcessorState processor;
    OneWireReadings oneWire;
    DailyLogState dailyLog;
    SunCalculatorMemory sunCalculator;  // main thread only, no lock
    TestDataSettings testData;
    ChartView chart;          // the strip chart's time window
    StatusLines statusLines;  // written by every render of the main display
    ReplayProgress replay;    // log replay in progress and its progress lines
};

}  // namespace brennic
