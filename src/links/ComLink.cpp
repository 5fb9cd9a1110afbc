#include "links/ComLink.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/AppState.h"
#include "core/MessageHook.h"
#include "links/LineAssembler.h"
#include "links/SerialPort.h"
#include "links/TestDataGenerator.h"

namespace brennic {

ComLink::ComLink(AppState& state, LinkSink& sink, RefuseHook refuse, ComLinkTiming timing)
    : state_(state), sink_(sink), refuse_(std::move(refuse)), timing_(timing) {}

ComLink::~ComLink() {
    closing_ = true;
    mode_ = kModeStopped;
    wake_.Signal();
    if (thread_.joinable()) {
        thread_.join();
    }
    if (port_ >= 0) {
        CloseSerialPort(port_);
    }
}

bool ComLink::Start() {
    if (running_) {
        if (refuse_) {
            refuse_();
        }
        return false;
    }
    std::string port;
    {
        StateGuard guard(state_.lock);
        port = state_.config.comPort;
    }
    if (!OpenPort(port)) {
        return false;
    }
    StartThread(kModeSerial);
    return true;
}

bool ComLink::StartTestData() {
    if (running_) {
        return false;
    }
    StartThread(kModeTestData);
    return true;
}

bool ComLink::OpenPort(const std::string& port, std::string* failure) {
    if (port_ >= 0) {  // left from an open whose reader never started
        CloseSerialPort(port_);
        port_ = -1;
    }
    const SerialOpenResult r = OpenSerialPort(port);
    if (r.fd < 0) {
        if (failure != nullptr) {
            *failure = OpenPortFailureText(port, r.error);
            return false;
        }
        state_.showMessage(OpenPortFailureText(port, r.error), "Error");
        return false;
    }
    port_ = r.fd;
    return true;
}

void ComLink::StartThread(int mode) {
    if (thread_.joinable()) {  // an ended reader not yet released
        thread_.join();
    }
    testHeaderCountdown_ = DrawHeaderCountdown(rand_);
    running_ = true;
    mode_ = mode;
    wake_.Clear();
    timeoutCount_ = 0;
    try {
        thread_ = std::thread(&ComLink::ReaderMain, this, mode);
    } catch (const std::system_error& e) {
        errno = e.code().value();
        FatalError(state_.showMessage, "Failed to Create Com Port Thread", e.code().value());
    }
}

bool ComLink::Stop() {
    if (!running_) {
        if (refuse_) {
            refuse_();
        }
        return false;
    }
    mode_ = kModeStopped;
    wake_.Signal();
    return true;
}

void ComLink::ReaderFinished() {
    running_ = false;
    mode_ = kModeStopped;
    // The sink may hand the end on from the reader thread itself; then StartThread or the
    // destructor releases the thread.
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

void ComLink::ReaderMain(int mode) {
    switch (mode) {
        case kModeSerial:
            SerialLoop();
            break;
        case kModeTestData:
            TestDataLoop();
            EndNotice();
            break;
        default:
            EndNotice();
            break;
    }
}

void ComLink::EndNotice() {
    // A stop request may still be pending; the delay is only cut short by the destructor.
    wake_.Clear();
    if (!closing_) {
        wake_.Wait(timing_.endDelay);
    }
    if (!closing_) {
        sink_.OnReaderEnded();
    }
}

void ComLink::SerialLoop() {
    LineAssembler lines;
    int failure = 0;
    while (mode_ != kModeStopped) {
        pollfd fds[2] = {{port_, POLLIN, 0}, {wake_.Fd(), POLLIN, 0}};
        const int r = poll(fds, 2, static_cast<int>(timing_.readTimeout.count()));
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            failure = errno;
            break;
        }
        if (r == 0) {
            ++timeoutCount_;
            sink_.OnReadTimeout();
            continue;
        }
        if (fds[1].revents != 0) {
            wake_.Clear();
            continue;
        }
        if ((fds[0].revents & POLLNVAL) != 0) {
            failure = EBADF;
            break;
        }
        unsigned char byte;
        const ssize_t n = read(port_, &byte, 1);
        if (n == 1) {
            if (lines.Push(byte)) {
                sink_.OnControllerLine(lines.Take());
            }
        } else if (n == 0) {
            failure = ENODEV;  // the device hung up (adapter unplugged)
            break;
        } else if (errno != EAGAIN && errno != EINTR) {
            failure = errno;
            break;
        }
    }
    // A close error is not worth a message: the descriptor is released either way, and the
    // main window still needs the end notice to allow a new start.
    CloseSerialPort(port_);
    port_ = -1;
    if (failure == 0) {
        EndNotice();
    } else if (!closing_) {
        sink_.OnReadFailure(failure, std::system_category().message(failure));
    }
}

void ComLink::TestDataLoop() {
    TestDataGenerator generator(rand_, testHeaderCountdown_);
    const TestDataSource source = std::move(source_);
    source_ = nullptr;
    while (mode_ != kModeStopped) {
        if (wake_.Wait(timing_.testDataPeriod) || mode_ == kModeStopped) {
            continue;
        }
        TestDataSettings settings;
        {
            StateGuard guard(state_.lock);
            settings = state_.testData;
        }
        const TestDataCycle cycle = source ? source(settings) : generator.Next(settings);
        if (cycle.writesOneWire) {
            StateGuard guard(state_.lock);
            state_.oneWire.currentValues = cycle.oneWireValues;
            state_.oneWire.switchState = cycle.switchState;
        }
        if (cycle.header) {
            sink_.OnControllerLine(kTestDataHeader);
        }
        if (settings.lineFormat == 2) {
            wake_.Wait(timing_.keyValueDelay);
        }
        sink_.OnControllerLine(cycle.line);
        if (cycle.hasGpmLine) {
            sink_.OnControllerLine("");
            sink_.OnControllerLine(cycle.gpmLine);
            sink_.OnControllerLine("");
        }
    }
    testHeaderCountdown_ = generator.HeaderCountdown();
}

}  // namespace brennic
