#pragma once

#include <functional>

#include <QObject>

namespace brennic {

// Handing work from a worker thread to the thread of a Qt object (the main thread, mostly).
//
// Qt's event queue orders a poster's writes before the receiver's reads with its own locks,
// which ThreadSanitizer cannot see (Debian's Qt is not built with it): every payload posted that
// way looks like a race. These helpers post Brennic's own event and state the queue's ordering
// in the sanitizer's terms (no code at all in other builds), so the window's tests run under it
// with no suppression that could hide a race in Brennic's code.

// Just before posting `payload` (an event Brennic made) / first thing when it is received.
void MarkHandedOver(const void* payload);
void MarkTakenOver(const void* payload);

// Runs `call` on `context`'s thread, later; nothing happens if `context` is gone by then. Any
// thread.
void PostCall(QObject* context, std::function<void()> call);

// Runs `call` on `context`'s thread and waits for it. False when it did not run (`context` gone,
// or the event dropped at exit). Never from `context`'s own thread (it would wait for itself).
bool CallAndWait(QObject* context, std::function<void()> call);

}  // namespace brennic
