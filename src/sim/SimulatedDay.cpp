#include "sim/SimulatedDay.h"

#include "core/MessageProcessor.h"
#include "sim/ControllerLines.h"

namespace brennic {

namespace {

constexpr std::time_t kDay = 24 * 3600;
// The past day is recorded every 6 seconds, the live test data every 2: the chart shows the
// day in some 800 pixels, where 2-second samples drew the same picture at three times the
// cost, and the demo's first picture waits for that day.
constexpr int kPastDayInterval = 6;

}  // namespace

void FeedRecordedRoad(AppState& state, Installation& model, std::time_t to, int interval) {
    const std::time_t step = interval > 0 ? interval : 1;
    for (std::time_t t = model.Now() + step; t <= to; t += step) {
        model.AdvanceTo(t);
        const InstallationReading r = model.Read();
        state.oneWire.currentValues = r.oneWire;
        state.oneWire.switchState = r.heatAssistPump ? 1 : 0;
        for (const std::string& line : ControllerLines(r, state.config.controllerType)) {
            ProcessRecordedLine(state, line.c_str(), nullptr, t);
        }
    }
}

std::shared_ptr<Installation> FillPastDay(AppState& state, std::time_t now) {
    StateGuard guard(state.lock);
    const std::time_t from = now - kDay;
    auto model = std::make_shared<Installation>(ParametersFromConfig(state.config), state.glycol,
                                                from - kDay);
    // The day before only brings the tank and pipes to where a day of use leaves them: in
    // minute steps, which saves the demo's start the time of half its simulation.
    model->AdvanceTo(from, 60.0);

    // A demo day is no record of the installation: nothing of it goes to the daily log.
    const int logQmxData = state.config.logQmxData;
    state.config.logQmxData = 0;
    ResetStatistics(state, from);
    FeedRecordedRoad(state, *model, now, kPastDayInterval);
    state.config.logQmxData = logQmxData;

    state.processor.chartOrigin += 3600;  // the first whole hour of the day shown
    state.chart.demoHours = 24;
    state.processor.newSample = true;
    return model;
}

std::function<TestDataCycle(const TestDataSettings&)> LiveCycles(
    std::shared_ptr<Installation> model) {
    return [model](const TestDataSettings& settings) {
        model->AdvanceTo(std::time(nullptr));
        return ControllerCycle(model->Read(), settings.lineFormat);
    };
}

}  // namespace brennic
