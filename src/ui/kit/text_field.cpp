#include "ui/kit/text_field.h"

namespace quelvo::ui {

TextField::TextField(QWidget* parent) : QLineEdit(parent) {
    // textEdited, not textChanged: only the user's edits call back.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_onChange && !m_onEditingFinished) m_onChange(text.toStdString());
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (m_onChange && m_onEditingFinished) m_onChange(text().toStdString());
    });
}

void TextField::configure(const std::string& text, bool flagA, bool flagB,
                          std::function<void(const std::string&)> onChange) {
    setText(QString::fromStdString(text));
    setReadOnly(!flagA);
    m_onEditingFinished = flagB;
    m_onChange = std::move(onChange);
}

} // namespace quelvo::ui
