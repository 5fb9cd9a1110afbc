#pragma once

#include <QDateTime>
#include <QDialog>
#include <array>

#include "core/AppState.h"
#include "sun/SunCalculator.h"

class QDateTimeEdit;
class QGridLayout;
class QLineEdit;
class QScrollArea;

namespace brennic {

class SunChartWidget;

// The "Sun Statistics" calculator: for a chosen date and time it shows the sun's position, the
// collector factors and the array's output, and charts the factors over the day. It starts
// from the array values of `state.config` but works on copies: nothing is written back to
// Config. Only the array and ambient temperatures are remembered (in state.sunCalculator) for
// the next opening. Sized to the screen's work area; the content scrolls when it does not fit.
// Main thread only; reads the config without the StateLock (it changes on the main thread).
class SunStatisticsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SunStatisticsDialog(AppState& state, QWidget* parent = nullptr);

    // "OK- Update": reads the fields and the picker, then recomputes. The dialog stays open.
    void Update();
    // "Set Time to Now": time = now, then recompute.
    void SetTimeToNow();

    const SunInputs& Inputs() const { return inputs_; }
    const SunOutputs& Outputs() const { return outputs_; }
    const DailyTotals& Daily() const { return daily_; }

  private:
    void BuildInputs(QGridLayout* grid);
    void BuildOutputs(QGridLayout* grid);
    void ReadInputs();
    void Recompute();

    AppState& state_;
    SunInputs inputs_;
    SunOutputs outputs_;
    DailyTotals daily_;

    QDateTimeEdit* picker_ = nullptr;
    QDateTime shownPickerValue_;
    std::array<QLineEdit*, 10> inputFields_{};
    std::array<QLineEdit*, 13> outputFields_{};
    std::array<QLineEdit*, 4> dailyFields_{};
    SunChartWidget* chart_ = nullptr;
    QScrollArea* scroll_ = nullptr;
};

}  // namespace brennic
