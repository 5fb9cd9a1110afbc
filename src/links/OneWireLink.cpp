#include "links/OneWireLink.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

#include "core/AppState.h"

namespace brennic {

OneWireLink::OneWireLink(AppState& state, LinkSink& sink, RefuseHook refuse)
    : state_(state), sink_(sink), refuse_(std::move(refuse)) {}

OneWireLink::~OneWireLink() {
    closing_ = true;
    CloseLink();
}

bool OneWireLink::StartLink(bool controllerRunning) {
    bool enabled;
    std::string serverIp;
    int serverPort;
    {
        StateGuard guard(state_.lock);
        enabled = state_.config.oneWireEnable != 0;
        serverIp = state_.config.oneWireServerIp;
        serverPort = state_.config.oneWirePort;
    }
    if (!controllerRunning || open_ || !enabled) {
        if (refuse_) {
            refuse_();
        }
        return false;
    }
    {
        StateGuard guard(state_.lock);
        state_.oneWire.currentValues = {kNoReading, kNoReading, kNoReading, kNoReading};
        state_.oneWire.switchState = -1;
        state_.oneWire.lastReceiveTime = std::time(nullptr);
    }
    const auto address = ParseIpv4(serverIp);
    if (!address || serverPort < 1 || serverPort > 65535) {
        // Without this check an unreadable address would silently send to the broadcast
        // address or a wrapped port.
        Record(MakeSocketError(EINVAL, "Server address", 104));
        ShowSocketError();
        return false;
    }
    if (!OpenLink(Endpoint{0, 0}, Endpoint{*address, static_cast<std::uint16_t>(serverPort)})) {
        ShowSocketError();
        return false;
    }
    return true;
}

bool OneWireLink::OpenLink(const Endpoint& local, const Endpoint& server) {
    if (open_ || socket_.IsOpen()) {
        Record(MakeSocketError(errno, "Socket already open", 88));
        return false;
    }
    if (!socket_.Open()) {
        Record(MakeSocketError(errno, "Socket()", 97));
        return false;
    }
    serverAddress_ = server;
    if (!socket_.Bind(local)) {
        Record(MakeSocketError(errno, "bind()", 120));
        socket_.Close();
        return false;
    }
    localAddress_ = socket_.Local();
    receivedCount_ = 0;
    sentCount_ = 0;
    foreignCount_ = 0;
    receiveRunning_ = true;
    wake_.Clear();
    try {
        thread_ = std::thread(&OneWireLink::ReceiveMain, this);
    } catch (const std::system_error& e) {
        Record(MakeSystemError(e.code().value(), "CreateThread()", 142));
        receiveRunning_ = false;
        socket_.Close();  // otherwise every later start fails with "Socket already open"
        return false;
    }
    open_ = true;
    return true;
}

bool OneWireLink::CloseLink() {
    receiveRunning_ = false;
    wake_.Signal();
    if (thread_.joinable()) {
        thread_.join();
    }
    socket_.Close();
    open_ = false;
    return true;
}

void OneWireLink::TimerTick(std::time_t now) {
    OneWireProbes probes;
    {
        StateGuard guard(state_.lock);
        OneWireReadings& readings = state_.oneWire;
        const long long elapsedMs = static_cast<long long>(now - readings.lastReceiveTime) * 1000;
        if (elapsedMs > 2LL * state_.config.oneWireTimer) {
            readings.currentValues = {kNoReading, kNoReading, kNoReading, kNoReading};
            readings.switchState = -1;
            if (open_) {
                ++readings.staleCount;
            }
        }
        if (!open_) {
            return;
        }
        probes = state_.config.oneWireProbes;
    }
    if (BuildOneWireRequest(request_, probes) == 0) {
        return;
    }
    lastResult_ = socket_.SendTo(request_, serverAddress_);
    if (lastResult_ < 0) {
        Record(MakeSocketError(errno, "sendto()", 183));
        ShowSocketError();
        return;
    }
    ++sentCount_;
}

void OneWireLink::ShowSocketError() const {
    state_.showMessage(SocketErrorText(LastError()), kSocketErrorCaption);
}

SocketError OneWireLink::LastError() const {
    std::lock_guard<std::mutex> guard(errorMutex_);
    return lastError_;
}

void OneWireLink::Record(SocketError error) {
    std::lock_guard<std::mutex> guard(errorMutex_);
    lastError_ = std::move(error);
}

bool OneWireLink::FromServer(const Endpoint& from, std::span<const std::byte> datagram) const {
    if (from == serverAddress_) {
        return true;
    }
    // A server bound to all its addresses answers from the address its host routes back by,
    // which need not be the one asked (asked at 127.0.0.2 it answers from 127.0.0.1; so do
    // multi-homed boxes): the server's port and a complete reply are enough.
    return from.port == serverAddress_.port && IsOneWireReply(datagram);
}

void OneWireLink::ReceiveMain() {
    std::vector<std::byte> buffer(kOneWireDatagramSize);
    while (receiveRunning_) {
        std::size_t received = 0;
        Endpoint from;
        switch (socket_.Receive(buffer, received, from, wake_.Fd())) {
            case UdpSocket::Wait::kWoken:
                wake_.Clear();
                break;
            case UdpSocket::Wait::kError: {
                SocketError error = MakeSocketError(errno, "recvfrom()", 232);
                Record(error);
                if (!closing_) {
                    sink_.OnOneWireReceiveFailure(std::move(error));
                }
                // Do not spin on an error that repeats; a close still ends the wait.
                wake_.Wait(std::chrono::milliseconds(100));
                break;
            }
            case UdpSocket::Wait::kDatagram:
                if (!FromServer(from, std::span<const std::byte>(buffer.data(), received))) {
                    ++foreignCount_;
                    break;
                }
                ++receivedCount_;
                sink_.OnOneWireReply(std::vector<std::byte>(
                    buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(received)));
                break;
        }
    }
    if (!closing_) {
        sink_.OnOneWireReceiverEnded();
    }
}

}  // namespace brennic
