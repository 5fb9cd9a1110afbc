#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "links/SocketError.h"

namespace brennic {

// Where the link threads hand their results. The main window implements it by posting one
// owning event per call; tests implement it with a queue. Every method is called on a link
// thread (the serial reader or the One-Wire receiver), never on the main thread, and must
// not wait for the main thread.
struct LinkSink {
    virtual ~LinkSink() = default;

    // One controller line without its carriage return; may be empty.
    virtual void OnControllerLine(std::string line) = 0;
    // No byte arrived within the read time-out. The link has already counted it.
    virtual void OnReadTimeout() = 0;
    // The reader thread has ended normally (stopped, or test data ended). The receiver calls
    // ComLink::ReaderFinished on the main thread.
    virtual void OnReaderEnded() = 0;
    // A read failed: the port has been closed and the reader thread ends. The receiver shows
    // "Communications with QMX Control Aborted", closes the One-Wire link and calls
    // ComLink::ReaderFinished on the main thread.
    virtual void OnReadFailure(int errorCode, std::string systemText) = 0;

    // One reply datagram from the One-Wire server, exactly as many bytes as were received.
    // The receiver calls ProcessOneWireReply on the main thread.
    virtual void OnOneWireReply(std::vector<std::byte> datagram) = 0;
    // A receive failed; the receive thread goes on.
    virtual void OnOneWireReceiveFailure(SocketError error) = 0;
    // The One-Wire receive thread has ended.
    virtual void OnOneWireReceiverEnded() = 0;
};

// Called on the main thread when a command is not allowed in the current state. The UI beeps
// (2000 Hz, 100 ms where the platform can) and counts; nothing else happens.
using RefuseHook = std::function<void()>;

}  // namespace brennic
