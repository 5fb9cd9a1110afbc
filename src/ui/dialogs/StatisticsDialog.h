#pragma once

#include <QDialog>
#include <array>
#include <chrono>
#include <functional>

#include "core/AppState.h"
#include "core/LockTest.h"

class QLabel;
class QLineEdit;
class QScrollArea;

namespace brennic {

// The modeless "Statistics" window: the main display's status lines (state.statusLines) again, with
// the lock's "Critical Section Blocks" and the main window's message counts. It shows what was
// current when it was opened or last refreshed ("Refresh", "Lock Test"); it never refreshes by
// itself. "Lock Test" holds the StateLock for `lockTestHold` in a thread of its own.
//
// The main window keeps one instance: "Cancel" and the close button only hide it, and the
// menu command calls Open, beeping when Open answers false. Main thread only. Destroy it
// without holding the StateLock (a running lock test is cut short and waited for).
class StatisticsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit StatisticsDialog(AppState& state, QWidget* parent = nullptr,
                              std::chrono::milliseconds lockTestHold = kLockTestHold);

    // Refreshes, fits the window to the screen and shows it. False, and nothing else, when
    // it is open already.
    bool Open();

    // Copies the status lines (lines 2 to 6 only once data has been received) and the
    // counters into the window. The lines are copied only when the StateLock is free or held
    // by this thread; while another thread holds it (a lock test, a replay step) the lines
    // stay as they are and only the counters, which need no lock, are updated. Never waits.
    void Refresh();

    // "Lock Test": refreshes, then starts a lock test thread.
    void StartLockTest();

    const LockTester& LockTest() const { return lockTester_; }

    // Where "Dropped Datagrams" comes from: the One-Wire datagrams that were not the
    // server's reply. Called by Refresh; any thread may count.
    void SetDroppedDatagramSource(std::function<int()> source) {
        droppedSource_ = std::move(source);
    }

  private:
    void Build();

    AppState& state_;
    LockTester lockTester_;
    QScrollArea* scroll_ = nullptr;
    std::array<QLabel*, 6> lines_{};  // top to bottom
    QLineEdit* blocks_ = nullptr;
    QLineEdit* queued_ = nullptr;
    QLineEdit* unqueued_ = nullptr;
    QLineEdit* notWritten_ = nullptr;  // log and summary records lost to a full disk
    QLineEdit* dropped_ = nullptr;
    std::function<int()> droppedSource_;
};

}  // namespace brennic
