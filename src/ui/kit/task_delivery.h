#pragma once
// The desktop's side of the task runner: progress and results handed to the
// Qt main thread, to a receiver that may close meanwhile.
#include <functional>

#include <QObject>
#include <QPointer>

#include "base/task_runner.h"

namespace quelvo {

// Deliveries for `receiver`, run on the main thread; once it is destroyed
// they are dropped. Without a receiver they go to the application.
Delivery mainThreadDelivery(QObject* receiver = nullptr);

// Runs block on the main thread (at once when called there) if `receiver`
// still exists then. Take the QPointer on the main thread, before handing it
// to a worker.
void onMainThread(const QPointer<QObject>& receiver, std::function<void()> block);
// The same for the program as a whole.
void onMainThread(std::function<void()> block);

// Makes the main thread the runner's delivery: the desktop program calls it
// at start.
void deliverTasksOnMainThread(TaskRunner& runner = TaskRunner::shared());

} // namespace quelvo
