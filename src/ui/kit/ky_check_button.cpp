#include "ui/kit/ky_check_button.h"

#include <QSignalBlocker>

namespace kyui {

KyCheckButton::KyCheckButton(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // clicked, not toggled: setting the state in code must not call back.
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_onChange) m_onChange(checked);
    });
}

void KyCheckButton::configure(bool state, std::function<void(bool)> onChange) {
    m_onChange = std::move(onChange);
    const QSignalBlocker block(this);
    setChecked(state);
}

} // namespace kyui
