// The thread sanitizer suite found that KySemaphore::release() notified its
// condition variable after giving back the mutex, so a waiter could return
// from wait() and destroy the semaphore (the ducking job keeps it on its
// stack) while release() was still using it. Run under
// scripts/run-sanitized-tests.sh thread (or address) this test reports the
// use of the destroyed semaphore whenever release() touches it too late.
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "base/concurrency.h"

TEST(SemaphoreRegression, AWaiterMayDestroyTheSemaphoreAsSoonAsItWakes) {
    for (int round = 0; round < 200; ++round) {
        auto semaphore = std::make_unique<kykit::KySemaphore>(true);
        std::thread releaser([s = semaphore.get()] { s->release(); });
        semaphore->wait();
        semaphore.reset();
        releaser.join();
    }
}
