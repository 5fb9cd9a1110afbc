#include "ui/window/HandOver.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace brennic {

void MarkHandedOver([[maybe_unused]] const void* payload) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void*>(payload));
#endif
}

void MarkTakenOver([[maybe_unused]] const void* payload) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void*>(payload));
#endif
}

namespace {

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Told when a waited-for call ran, or was dropped unrun.
struct Done {
    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;
    bool ran = false;
};

struct CallEvent : QEvent {
    CallEvent(QObject* to, std::function<void()> work, std::shared_ptr<Done> told)
        : QEvent(kCallEvent), context(to), call(std::move(work)), done(std::move(told)) {}
    ~CallEvent() override {
        if (done) {
            {
                const std::lock_guard<std::mutex> lock(done->mutex);
                done->finished = true;
                done->ran = ran;
            }
            done->changed.notify_all();
        }
    }
    QPointer<QObject> context;
    std::function<void()> call;
    std::shared_ptr<Done> done;
    bool ran = false;
};

// A receiver made by the posting thread and moved to the context's thread, where it runs the
// call and goes away.
class CallTarget : public QObject {
  public:
    bool event(QEvent* e) override {
        MarkTakenOver(this);
        MarkTakenOver(e);
        if (e->type() != kCallEvent) {
            return QObject::event(e);
        }
        auto* call = static_cast<CallEvent*>(e);
        if (call->context) {
            call->call();
            call->ran = true;
        }
        deleteLater();
        return true;
    }
};

void Post(QObject* context, std::function<void()> call, std::shared_ptr<Done> done) {
    auto* target = new CallTarget;
    target->moveToThread(context->thread());
    auto* e = new CallEvent(context, std::move(call), std::move(done));
    MarkHandedOver(target);
    MarkHandedOver(e);
    QCoreApplication::postEvent(target, e);
}

}  // namespace

void PostCall(QObject* context, std::function<void()> call) {
    Post(context, std::move(call), nullptr);
}

bool CallAndWait(QObject* context, std::function<void()> call) {
    auto done = std::make_shared<Done>();
    Post(context, std::move(call), done);
    std::unique_lock<std::mutex> lock(done->mutex);
    done->changed.wait(lock, [&done] { return done->finished; });
    return done->ran;
}

}  // namespace brennic
