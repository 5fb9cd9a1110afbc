#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/Config.h"
#include "config/GlycolTable.h"

namespace brennic {

struct AppState;

// Reading and checking what the user typed into the configuration dialog, and putting the
// accepted settings into effect. No Qt here: the dialog gathers the texts and the choices,
// these functions decide.

// A whole decimal number; blanks around it are allowed, anything else is not.
// Locale-independent. Any thread.
std::optional<int> ReadIntField(std::string_view text);
std::optional<double> ReadDoubleField(std::string_view text);

// "X Axis hours" as the chart uses it: at least 4; above 12 the next multiple of 12, at
// most 72.
int RoundXAxisHours(int hours);

// How the checks talk to the user. `message` shows a box with an OK button only;
// `askOkCancel` shows a box with OK and Cancel and returns true for OK.
struct ConfigPrompts {
    std::function<void(const std::string& text, const std::string& caption)> message;
    std::function<bool(const std::string& text, const std::string& caption)> askOkCancel;
};

// The numeric edits of the configuration dialog, as typed. The heat-assist texts are only
// looked at when `full` is set (the heat-assist loop is in use).
struct ConfigNumberTexts {
    bool full = false;
    std::string graphEveryNth, xAxisHours, graphLineWidth;
    std::string fixedFlowGpm, minFlowGpm, haFlowGpm;
    std::string maxSamples, logEveryNth, summaryEveryNth;
    // North Latitude, West Longitude, Angle, Azimuth, Area, Incident Angle Modifier,
    // Thermal Efficiency Intercept, Thermal Efficiency Slope.
    std::array<std::string, 8> solarArray;
    std::string solarOffset, haOffset;
    std::string solarGlycolPercent, haGlycolPercent;
};

// Reads the numbers into `edited` and runs the checks in the order the user meets them;
// the flags, lists and texts of the dialog must already be in `edited` (the controller
// checks look at the controller type and both sources). An error is shown with caption
// "Error" and ends the checks; a warning that is answered with Cancel ends them too.
// Returns whether `edited` may be accepted. An integer that cannot be read keeps the value
// in `edited`. Main thread (the prompts show boxes); touches no shared state.
bool CheckConfigNumbers(const ConfigNumberTexts& texts, const GlycolTable& glycol, Config& edited,
                        const ConfigPrompts& prompts);

// Puts accepted settings into effect: copies `edited` over state.config under the lock,
// runs `save` (writes Config.Txt) without it, then under the lock gives every channel the
// new line width, trims the history to "Max samples to save", and performs the log and
// summary transitions ("Log Data" off closes the daily log, on logs the next sample;
// "Summary" off appends Stop, on appends Start, stamped with the current sample's time or
// `now` before the first sample). Main thread; the caller must not hold the StateLock.
void AcceptConfig(AppState& state, const Config& edited, const std::function<void()>& save,
                  std::time_t now);

// Text fields of Config.Txt are written between double quotes, so a quote cannot be read
// back; the dialogs refuse it. Returns `text` without its quotes, cut to `max` characters.
std::string StoredText(std::string_view text, std::size_t max);

}  // namespace brennic
