#include "ui/kit/setting_slider.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QLabel>
#include <QSignalBlocker>

#include "base/settings_store.h"

namespace quelvo::ui {

SettingSlider::SettingSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    connect(this, &QSlider::valueChanged, this, &SettingSlider::onPositionChanged);
    setRange(0, 1);
}

double SettingSlider::stepSize() const {
    return std::pow(10.0, -m_decimals);
}

int SettingSlider::positionFor(double value) const {
    value = std::clamp(value, m_minimum, m_maximum);
    return static_cast<int>(std::lround((value - m_minimum) / stepSize()));
}

double SettingSlider::valueAt(int position) const {
    // Rounded to the shown decimals, so 0.1 steps never read 0.30000000000000004.
    const double scale = std::pow(10.0, m_decimals);
    return std::round((m_minimum + position * stepSize()) * scale) / scale;
}

void SettingSlider::setRange(double minimum, double maximum) {
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    const QSignalBlocker block(this);
    QSlider::setRange(0, positionFor(m_maximum));
    QSlider::setValue(positionFor(m_value));
    m_value = valueAt(QSlider::value());
    setPageStep(std::max(1, (QSlider::maximum()) / 10));
}

QString SettingSlider::format(double value) const {
    const double scale = std::pow(10.0, m_decimals);
    double shown = std::round(value * scale) / scale;
    if (shown == 0) shown = 0; // no "-0"
    QString text = QString::number(shown, 'f', m_decimals);
    if (m_plusSign && shown > 0) text.prepend(QLatin1Char('+'));
    return text;
}

void SettingSlider::configure(QLabel* label, std::optional<double> defaultValue,
                              const std::string& key, int decimals,
                              std::function<void(double)> onChange) {
    setUp(label, key, decimals, std::move(onChange),
          quelvo::storedDouble(key, defaultValue.value_or(m_minimum)));
}

void SettingSlider::configure(QLabel* label, const NumberSetting& setting,
                              std::function<void(double)> onChange) {
    setRange(setting.minimum, setting.maximum);
    setUp(label, setting.key, setting.decimals, std::move(onChange), quelvo::storedNumber(setting));
}

void SettingSlider::setUp(QLabel* label, const std::string& key, int decimals,
                          std::function<void(double)> onChange, double start) {
    m_label = label;
    m_key = key;
    m_onChange = std::move(onChange);
    if (decimals != m_decimals) {
        m_decimals = std::max(0, decimals);
        setRange(m_minimum, m_maximum);
    }
    {
        const QSignalBlocker block(this);
        QSlider::setValue(positionFor(start));
    }
    m_value = valueAt(QSlider::value());
    if (m_label) {
        // Wide enough for every value of the range, so the layout never jumps.
        const QFontMetrics fm(m_label->font());
        m_label->setMinimumWidth(std::max(fm.horizontalAdvance(format(m_minimum)),
                                          fm.horizontalAdvance(format(m_maximum))) +
                                 fm.horizontalAdvance(QLatin1Char(' ')));
    }
    updateLabel();
}

void SettingSlider::setValue(double value) {
    QSlider::setValue(positionFor(value));
}

void SettingSlider::onPositionChanged(int position) {
    m_value = valueAt(position);
    updateLabel();
    if (!m_key.empty()) quelvo::storeDouble(m_key, m_value);
    if (m_onChange) m_onChange(m_value);
}

void SettingSlider::updateLabel() {
    if (m_label) m_label->setText(format(m_value));
}

} // namespace quelvo::ui
