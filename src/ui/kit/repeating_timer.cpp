#include "ui/kit/repeating_timer.h"

#include <algorithm>
#include <cmath>

namespace quelvo::ui {

RepeatingTimer::RepeatingTimer(std::optional<double> tolerance, QObject* parent)
    : QObject(parent), m_tolerance(tolerance) {
    connect(&m_timer, &QTimer::timeout, this, &RepeatingTimer::fire);
}

void RepeatingTimer::loop(const std::string& name, double interval, std::optional<double> tolerance,
                          bool triggerImmediately, std::function<void()> block) {
    m_block = std::move(block);
    m_timer.setObjectName(QString::fromStdString(name));
    const int ms = std::max(1, static_cast<int>(std::lround(interval * 1000)));
    const std::optional<double> slack = tolerance ? tolerance : m_tolerance;
    // A tolerance of under a millisecond asks for precise ticks.
    m_timer.setTimerType(slack && *slack < 0.001 ? Qt::PreciseTimer : Qt::CoarseTimer);
    m_timer.start(ms);
    if (triggerImmediately)
        QMetaObject::invokeMethod(this, &RepeatingTimer::fire, Qt::QueuedConnection);
}

void RepeatingTimer::stop() {
    m_timer.stop();
}

void RepeatingTimer::fire() {
    if (m_block) m_block();
    emit fired();
}

} // namespace quelvo::ui
