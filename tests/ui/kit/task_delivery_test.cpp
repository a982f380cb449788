// Task deliveries on the Qt main thread, with a real event loop.
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <thread>

#include "base/task_runner.h"
#include "support/test_support.h"
#include "ui/kit/task_delivery.h"

using namespace quelvo;
using namespace std::chrono_literals;

namespace {

// Runs the event loop until `done` or two seconds have passed.
template <class Done> void spinUntil(Done done) {
    const auto until = std::chrono::steady_clock::now() + 2s;
    while (!done() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TaskRequest<int> countingTo(int steps) {
    return {"count", [steps](TaskControl& control) -> TaskReturn<int> {
                for (int i = 1; i <= steps; ++i) {
                    control.setProgress(double(i) / steps);
                    std::this_thread::sleep_for(2ms);
                }
                return steps;
            }};
}

} // namespace

TEST(TaskDelivery, ProgressAndResultArriveOnTheMainThreadInOrder) {
    TaskRunner runner;
    deliverTasksOnMainThread(runner);
    std::vector<double> seen;
    bool done = false;
    TaskRequest<int> request = countingTo(5);
    request.onProgress = [&](double p) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        seen.push_back(p);
    };
    request.onDone = [&](const TaskResult<int>& result) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        EXPECT_EQ(result.value, 5);
        done = true;
    };
    runner.start(std::move(request)).wait(); // over, but nothing delivered yet
    EXPECT_TRUE(seen.empty());
    spinUntil([&] { return done; });
    ASSERT_TRUE(done);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 1.0);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]);
}

TEST(TaskDelivery, AReceiverDestroyedBeforeDeliveryGetsNothing) {
    TaskRunner runner;
    auto* window = new QObject;
    bool delivered = false;
    TaskRequest<int> request = countingTo(3);
    request.delivery = mainThreadDelivery(window);
    request.onProgress = [&](double) { delivered = true; };
    request.onDone = [&](const TaskResult<int>&) { delivered = true; };
    runner.start(std::move(request)).wait();
    const QPointer<QObject> alive(window);
    std::thread([alive, &delivered] { onMainThread(alive, [&] { delivered = true; }); }).join();
    delete window;
    bool later = false;
    onMainThread([&] { later = true; }); // on the main thread: at once
    EXPECT_TRUE(later);
    QTimer::singleShot(50, [&] { later = false; });
    spinUntil([&] { return !later; });
    EXPECT_FALSE(delivered);
}
