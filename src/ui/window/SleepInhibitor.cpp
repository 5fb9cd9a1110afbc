#include "ui/window/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

namespace brennic {

// The inhibitor lasts as long as logind's file descriptor stays open.
struct SleepInhibitor::Lock {
    QDBusUnixFileDescriptor fd;
};

SleepInhibitor::SleepInhibitor() = default;
SleepInhibitor::~SleepInhibitor() = default;

void SleepInhibitor::Hold() {
    if (lock_ || unavailable_) {
        return;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered("org.freedesktop.login1")) {
        unavailable_ = true;
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "Inhibit");
    call << QString("sleep") << QString("Brennic") << QString("Logging solar controller data")
         << QString("block");
    const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        unavailable_ = true;
        return;
    }
    auto lock = std::make_unique<Lock>();
    lock->fd = reply.arguments().first().value<QDBusUnixFileDescriptor>();
    if (lock->fd.isValid()) {
        lock_ = std::move(lock);
    }
}

void SleepInhibitor::Release() {
    lock_.reset();
}

bool SleepInhibitor::Held() const {
    return lock_ != nullptr;
}

}  // namespace brennic
