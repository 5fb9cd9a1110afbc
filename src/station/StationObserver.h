#pragma once

#include <memory>

#include "station/StationMessage.h"
#include "station/StationSnapshot.h"

namespace brennic {

// ---------------------------------------------------------------------------------------
// The seam for everything that watches the station: the window, the service's journal and
// readiness, the dashboard, MQTT, the history store and the alerts.
//
// 1. Derive from StationObserver and override what you need (every method has a no-op
//    default).
// 2. Hand it to Station::AddObserver before Station::Start. The list is fixed from then on.
// 3. The station calls OnSample after each controller line that formed a sample, and
//    OnLinkState after each change of a link (started, stopped, failed, reconnecting,
//    One-Wire opened or closed), with one shared, immutable StationSnapshot. Keep the
//    pointer as long as you like; read it from any thread without a lock.
// 4. Those calls come on the station's own thread, which also does the acquisition: they
//    must return at once. Copy what you need into your own queue and let your own thread do
//    the slow part (network, disk, SQLite). Never take the StateLock in them, never wait for
//    another thread, never call a Station command from them.
// 5. OnMessage comes on whichever thread raised the message (station, publisher, window) for
//    every message the window would show in a box; same rules.
// 6. At shutdown, after the links are stopped and the station's thread has ended, Shutdown
//    calls StopObserver on each observer in the order they were added, on the thread that
//    called Shutdown. Flush, join your thread and return; no further calls follow.
// ---------------------------------------------------------------------------------------

// One link event the station has handled, in the order the links delivered them. The window
// repaints from these; the `mismatch` of a processed line asks for the model warning.
enum class StationEventKind {
    kControllerLine,  // one controller line processed
    kReadTimeout,     // no byte within the read time-out
    kReaderEnded,     // the serial reader ended (stopped, test data ended)
    kReadFailure,     // a read failed; the window shows "Communications ... Aborted"
    kOneWireReply,    // a One-Wire reply applied
    kOneWireFailure,  // a One-Wire receive failed
    kOneWireEnded,    // the One-Wire receiver ended
};

struct StationEvent {
    StationEventKind kind = StationEventKind::kControllerLine;
    int mismatch = 0;        // kControllerLine: kMismatchGpmLines/kMismatchNoGpmLines or 0
    bool changed = false;    // kOneWireReply: the readings changed
    bool newSample = false;  // kControllerLine: the line formed a sample
};

class StationObserver {
  public:
    virtual ~StationObserver() = default;

    // Station thread; after each handled link event, before OnSample/OnLinkState.
    virtual void OnStationEvent(const StationEvent& /*event*/) {}
    // Station thread; after each controller line that formed a sample.
    virtual void OnSample(const std::shared_ptr<const StationSnapshot>& /*snapshot*/) {}
    // Station thread; after a link changed state.
    virtual void OnLinkState(const std::shared_ptr<const StationSnapshot>& /*snapshot*/) {}
    // Station thread; every StationOptions::heartbeat while the station runs (the service's
    // watchdog and status line come from here, so a hung loop stops them).
    virtual void OnHeartbeat(const std::shared_ptr<const StationSnapshot>& /*snapshot*/) {}
    // The thread that raised the message.
    virtual void OnMessage(const StationMessage& /*message*/) {}
    // The thread calling Station::Shutdown, once, after the station's thread has ended.
    virtual void StopObserver() {}
};

}  // namespace brennic
