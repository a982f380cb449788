#include "ui/kit/ky_text_field.h"

namespace kyui {

KyTextField::KyTextField(QWidget* parent) : QLineEdit(parent) {
    // textEdited, not textChanged: only the user's edits call back.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_onChange && !m_onEditingFinished) m_onChange(text.toStdString());
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (m_onChange && m_onEditingFinished) m_onChange(text().toStdString());
    });
}

void KyTextField::configure(const std::string& text, bool flagA, bool flagB,
                            std::function<void(const std::string&)> onChange) {
    setText(QString::fromStdString(text));
    setReadOnly(!flagA);
    m_onEditingFinished = flagB;
    m_onChange = std::move(onChange);
}

} // namespace kyui
