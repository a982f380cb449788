#include "ui/kit/check_box.h"

#include <QSignalBlocker>

namespace quelvo::ui {

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // clicked, not toggled: setting the state in code must not call back.
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_onChange) m_onChange(checked);
    });
}

void CheckBox::configure(bool state, std::function<void(bool)> onChange) {
    m_onChange = std::move(onChange);
    const QSignalBlocker block(this);
    setChecked(state);
}

} // namespace quelvo::ui
