#include "ui/kit/ky_slider.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QLabel>
#include <QSignalBlocker>

#include "base/settings_store.h"

namespace kyui {

KySlider::KySlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    connect(this, &QSlider::valueChanged, this, &KySlider::onPositionChanged);
    setRange(0, 1);
}

double KySlider::stepSize() const { return std::pow(10.0, -m_decimals); }

int KySlider::positionFor(double value) const {
    value = std::clamp(value, m_minimum, m_maximum);
    return static_cast<int>(std::lround((value - m_minimum) / stepSize()));
}

double KySlider::valueAt(int position) const {
    // Rounded to the shown decimals, so 0.1 steps never read 0.30000000000000004.
    const double scale = std::pow(10.0, m_decimals);
    return std::round((m_minimum + position * stepSize()) * scale) / scale;
}

void KySlider::setRange(double minimum, double maximum) {
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    const QSignalBlocker block(this);
    QSlider::setRange(0, positionFor(m_maximum));
    QSlider::setValue(positionFor(m_value));
    m_value = valueAt(QSlider::value());
    setPageStep(std::max(1, (QSlider::maximum()) / 10));
}

QString KySlider::format(double value) const {
    const double scale = std::pow(10.0, m_decimals);
    double shown = std::round(value * scale) / scale;
    if (shown == 0) shown = 0; // no "-0"
    QString text = QString::number(shown, 'f', m_decimals);
    if (m_plusSign && shown > 0) text.prepend(QLatin1Char('+'));
    return text;
}

void KySlider::configure(QLabel* label, std::optional<double> defaultValue, const std::string& key,
                         int decimals, std::function<void(double)> onChange) {
    setUp(label, key, decimals, std::move(onChange),
          kykit::storedDouble(key, defaultValue.value_or(m_minimum)));
}

void KySlider::configure(QLabel* label, const quelvo::NumberSetting& setting,
                         std::function<void(double)> onChange) {
    setRange(setting.minimum, setting.maximum);
    setUp(label, setting.key, setting.decimals, std::move(onChange), quelvo::storedNumber(setting));
}

void KySlider::setUp(QLabel* label, const std::string& key, int decimals,
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

void KySlider::setValue(double value) { QSlider::setValue(positionFor(value)); }

void KySlider::onPositionChanged(int position) {
    m_value = valueAt(position);
    updateLabel();
    if (!m_key.empty()) kykit::storeDouble(m_key, m_value);
    if (m_onChange) m_onChange(m_value);
}

void KySlider::updateLabel() {
    if (m_label) m_label->setText(format(m_value));
}

} // namespace kyui
