// The task runner: cancel, failure as a value, waiting, and deliveries run
// on the waiting thread.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/task_runner.h"
#include "support/test_support.h"

using namespace quelvo;
using namespace std::chrono_literals;

TEST(TaskRunner, CancelStopsAPollingWorkAndAWaitingOneNeverRuns) {
    TaskRunner runner(1);
    std::atomic<bool> started{false}, secondRan{false};
    TaskHandle<int> polling =
        runner.start<int>({"poll", [&](TaskControl& control) -> TaskReturn<int> {
                               started = true;
                               while (!control.cancelled())
                                   std::this_thread::sleep_for(1ms);
                               return 1;
                           }});
    TaskHandle<int> queued = runner.start<int>({"queued", [&](TaskControl&) -> TaskReturn<int> {
                                                    secondRan = true;
                                                    return 2;
                                                }});
    while (!started)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(queued.state(), TaskState::waiting);
    queued.cancel();
    EXPECT_EQ(queued.wait().state, TaskState::cancelled);
    polling.cancel();
    const TaskResult<int> stopped = polling.wait();
    EXPECT_EQ(stopped.state, TaskState::cancelled);
    EXPECT_FALSE(stopped.value); // a cancelled work's value is not handed on
    runner.waitForAll();
    EXPECT_FALSE(secondRan);
}

TEST(TaskRunner, FailureAndExceptionAreValues) {
    TaskRunner runner;
    auto failing = runner.start<int>(
        {"fail", [](TaskControl&) -> TaskReturn<int> { return TaskFailure{"No file."}; }});
    auto throwing = runner.start<int>(
        {"throw", [](TaskControl&) -> TaskReturn<int> { throw std::runtime_error("Broke."); }});
    const TaskResult<int> failed = failing.wait();
    EXPECT_EQ(failed.state, TaskState::failed);
    EXPECT_EQ(failed.error, "No file.");
    EXPECT_FALSE(failed.value);
    EXPECT_EQ(throwing.wait().error, "Broke.");
    auto fine = runner.start<int>({"fine", [](TaskControl&) -> TaskReturn<int> { return 7; }});
    EXPECT_EQ(fine.wait().value, 7);
}

// Without a delivery the waiting thread runs the progress and the end, in
// order, and waitForAll waits for tasks started by tasks.
TEST(TaskRunner, WaitingThreadReceivesProgressThenResult) {
    TaskRunner runner;
    const auto waiter = std::this_thread::get_id();
    std::vector<double> seen;
    std::atomic<bool> lateRan{false};
    TaskRequest<TaskDone> request{"steps", [&](TaskControl& control) -> TaskReturn<TaskDone> {
                                      for (int i = 1; i <= 4; ++i) {
                                          control.setProgress(i / 4.0);
                                          std::this_thread::sleep_for(5ms);
                                      }
                                      runner.start<TaskDone>(
                                          {"late", [&](TaskControl&) -> TaskReturn<TaskDone> {
                                               std::this_thread::sleep_for(50ms);
                                               lateRan = true;
                                               return TaskDone{};
                                           }});
                                      return TaskDone{};
                                  }};
    request.onProgress = [&](double p) {
        EXPECT_EQ(std::this_thread::get_id(), waiter);
        seen.push_back(p);
    };
    request.onDone = [&](const TaskResult<TaskDone>& result) {
        EXPECT_EQ(std::this_thread::get_id(), waiter);
        EXPECT_TRUE(result.ok());
        seen.push_back(-1);
    };
    auto handle = runner.start(std::move(request));
    EXPECT_FALSE(handle.waitFor(0ms));
    runner.waitForAll();
    EXPECT_TRUE(lateRan);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), -1);
    EXPECT_EQ(seen[seen.size() - 2], 1.0);
    for (size_t i = 1; i + 1 < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]);
}
