#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace brennic {

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, `kill`, Ctrl+C in the terminal) into a
// call of `onStop` with the signal number on the main thread, so the program can stop in
// order instead of dying with its daily log open. The handler only writes the number to a
// pipe; everything else happens in the event loop. At most one instance at a time; the
// destructor restores the default handlers. Main thread.
class StopSignals : public QObject {
    Q_OBJECT
  public:
    explicit StopSignals(std::function<void(int)> onStop, QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    void Drain();

    std::function<void(int)> onStop_;
    int readEnd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace brennic
