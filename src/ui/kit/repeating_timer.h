#pragma once
// A repeating timer whose block runs on the GUI thread.
#include <functional>
#include <optional>
#include <string>

#include <QObject>
#include <QTimer>

namespace quelvo::ui {

class RepeatingTimer : public QObject {
    Q_OBJECT
  public:
    // tolerance in seconds: how late a tick may come; nothing means precise
    // enough for a user to see (Qt's coarse timer, within 5 %).
    explicit RepeatingTimer(std::optional<double> tolerance = std::nullopt,
                            QObject* parent = nullptr);

    // Starts (or restarts) calling block every `interval` seconds; with
    // triggerImmediately the first call comes at once. The name is for
    // debugging only.
    void loop(const std::string& name, double interval, std::optional<double> tolerance,
              bool triggerImmediately, std::function<void()> block);
    void stop();

    bool isActive() const { return m_timer.isActive(); }
    // Milliseconds between ticks.
    int intervalMs() const { return m_timer.interval(); }

  signals:
    // After each call of the block.
    void fired();

  private:
    void fire();
    QTimer m_timer;
    std::optional<double> m_tolerance;
    std::function<void()> m_block;
};

} // namespace quelvo::ui
