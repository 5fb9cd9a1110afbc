#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "core/AppState.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollArea;

namespace brennic {

// The modeless "Test Data Generator": edits the TestDataSettings from which the serial link's
// test-data mode synthesises controller lines, and the test time offset that shifts every
// local time of the program. The fields are read back ("ReadTestData") on "Update", on Enter,
// when a field loses the focus, when the list selection changes and when " Random" or
// " One Wire Data" is clicked; an arrow changes a row's value by 1.0 (a pump row toggles) and
// shows the result.
//
// The main window keeps one instance: the close button and Escape only hide it, and the
// "Test Data Control" command calls Open and then starts the link's test-data mode when no
// reader runs. Main thread only; the dialog takes the StateLock itself around each access to
// the settings, so the caller must not need the lock to be free for long (it may hold it).
class TestDataDialog : public QDialog {
    Q_OBJECT

  public:
    // Told the new offset (seconds) once for every change of the test time offset; the main
    // window repaints all of itself. Called on the main thread, StateLock not held.
    using TimeOffsetChangedFn = std::function<void(long long seconds)>;

    TestDataDialog(AppState& state, TimeOffsetChangedFn offsetChanged, QWidget* parent = nullptr);
    ~TestDataDialog() override;

    // Selects the list entry of the line format, shows and reads back the settings, fits the
    // window to the screen and shows it. False, and nothing else, when it is open already.
    bool Open();

    // Writes every setting and the time offset into the fields.
    void ShowTestData();
    // Reads every field back into the settings. A field whose text is not a number leaves its
    // setting as it is; a line format the list does not offer (no entry selected) is kept.
    // A new time offset takes effect at once and is announced.
    void ReadTestData();

    // One click on a row's arrow: +1 up, -1 down. Rows 0-10 are the value rows in the order
    // shown, 11 and 12 the collector and heat-assist pumps (either arrow toggles them).
    void Step(int row, int direction);

    static constexpr int kRows = 13;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();

    AppState& state_;
    TimeOffsetChangedFn offsetChanged_;
    QScrollArea* scroll_ = nullptr;
    // Maximum, minimum and value of the eleven value rows; the pumps have only a value.
    std::array<std::array<QLineEdit*, 3>, 11> ranges_{};
    std::array<QLineEdit*, 2> pumps_{};
    QComboBox* controlType_ = nullptr;
    QCheckBox* random_ = nullptr;
    QCheckBox* oneWireData_ = nullptr;
    QLineEdit* timeOffset_ = nullptr;
};

}  // namespace brennic
