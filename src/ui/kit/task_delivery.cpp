#include "ui/kit/task_delivery.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace quelvo {

namespace {

bool onTheMainThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// The block is posted to the application, which outlives every window, and
// the receiver is looked at only there, on the main thread: a worker never
// touches a pointer that may already dangle.
void post(const QPointer<QObject>& receiver, bool withReceiver, std::function<void()> block) {
    auto* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [receiver, withReceiver, block = std::move(block)] {
            if (!withReceiver || receiver) block();
        },
        Qt::QueuedConnection);
}

} // namespace

Delivery mainThreadDelivery(QObject* receiver) {
    const QPointer<QObject> guard(receiver);
    const bool withReceiver = receiver != nullptr;
    return Delivery{[guard, withReceiver](std::function<void()> block) {
        post(guard, withReceiver, std::move(block));
    }};
}

void onMainThread(const QPointer<QObject>& receiver, std::function<void()> block) {
    if (!onTheMainThread()) return post(receiver, true, std::move(block));
    if (receiver) block();
}

void onMainThread(std::function<void()> block) {
    if (!onTheMainThread()) return post({}, false, std::move(block));
    block();
}

void deliverTasksOnMainThread(TaskRunner& runner) {
    runner.setDelivery(mainThreadDelivery());
}

} // namespace quelvo
