#pragma once
// A horizontal slider over a range of decimal values that keeps its own
// setting: it starts from the value stored under its key (else its default),
// shows the value in its label with the given number of decimals, stores
// every change under the key the moment it happens, and calls back.
#include <functional>
#include <optional>
#include <string>

#include <QPointer>
#include <QSlider>

#include "project/duck_settings.h"

class QLabel;

namespace quelvo::ui {

class SettingSlider : public QSlider {
    Q_OBJECT
  public:
    explicit SettingSlider(QWidget* parent = nullptr);

    // The range in the slider's own unit; set it before configure. Steps are
    // one unit of the last shown decimal (whole numbers for decimals 0).
    void setRange(double minimum, double maximum);
    // Positive values are shown as "+6" (for gains, where 0 is the reference).
    void setShowsPlusSign(bool shows) { m_plusSign = shows; }

    void configure(QLabel* label, std::optional<double> defaultValue, const std::string& key,
                   int decimals, std::function<void(double)> onChange);
    // The slider of a setting from the settings table: its range, steps, key
    // and default come from there, and a stored value outside the range
    // starts the slider at the default.
    void configure(QLabel* label, const NumberSetting& setting,
                   std::function<void(double)> onChange);

    double value() const { return m_value; }
    // Moves the slider as a user would: label, store and callback follow.
    void setValue(double value);
    QString valueText() const { return format(m_value); }
    QString format(double value) const;

  private:
    void setUp(QLabel* label, const std::string& key, int decimals,
               std::function<void(double)> onChange, double start);
    void onPositionChanged(int position);
    int positionFor(double value) const;
    double valueAt(int position) const;
    double stepSize() const;
    void updateLabel();

    double m_minimum = 0;
    double m_maximum = 1;
    double m_value = 0;
    int m_decimals = 0;
    bool m_plusSign = false;
    std::string m_key;
    QPointer<QLabel> m_label;
    std::function<void(double)> m_onChange;
};

} // namespace quelvo::ui
