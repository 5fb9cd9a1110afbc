#pragma once

#include <QEvent>
#include <cstddef>
#include <string>
#include <vector>

namespace brennic {

// Events the station (and the test-data dialog) post to the main window. Each owns its
// payload; Qt deletes the event after delivery. The numbers shown in the corruption report are the
// message numbers 0x8000.. of these events.
inline constexpr int kMessageBase = 0x8000;

enum AppEventType : int {
    kControllerLineEvent = QEvent::User + 0x100,  // 0x8000: one controller line processed
    kReadTimeoutEvent,                            // 0x8001: read time-out
    kReaderEndedEvent,                            // 0x8002: the reader ended
    kReadFailureEvent,                            // 0x8003: read failure
    kOneWireReplyEvent,                           // 0x8004: a One-Wire reply datagram
    kOneWireFailureEvent,                         // 0x8005: a One-Wire receive failure
    kOneWireEndedEvent,                           // 0x8006: the One-Wire receiver ended
    kReplayUpdateEvent,                           // 0x8007: a replay moved on or ended
    kTestDataChangedEvent,                        // 0x8008: test-data settings changed
    kStationMessageEvent,                         // 0x8009: a message for the box
};

inline bool IsAppEvent(int type) {
    return type >= kControllerLineEvent && type <= kStationMessageEvent;
}

// The message number of an event for the corruption report.
inline int MessageNumber(int type) {
    return IsAppEvent(type) ? kMessageBase + (type - kControllerLineEvent) : type;
}

// Base of the application events. `queued` is set when the event goes through the main
// window's queue (posted), so the message counters can tell queued from direct deliveries.
struct AppEvent : QEvent {
    explicit AppEvent(int type) : QEvent(static_cast<QEvent::Type>(type)) {}
    bool queued = false;
};

struct TextEvent : AppEvent {
    TextEvent(int type, std::string payload) : AppEvent(type), text(std::move(payload)) {}
    std::string text;
};

struct DatagramEvent : AppEvent {
    explicit DatagramEvent(std::vector<std::byte> d)
        : AppEvent(kOneWireReplyEvent), datagram(std::move(d)) {}
    std::vector<std::byte> datagram;
};

struct CodeEvent : AppEvent {
    CodeEvent(int type, int c, std::string payload)
        : AppEvent(type), code(c), text(std::move(payload)) {}
    int code;
    std::string text;
};

// A station message for the window's box.
struct MessageEvent : AppEvent {
    MessageEvent(std::string boxCaption, std::string boxText)
        : AppEvent(kStationMessageEvent),
          caption(std::move(boxCaption)),
          text(std::move(boxText)) {}
    std::string caption;
    std::string text;
};

}  // namespace brennic
