#pragma once
// A one-line text field that reports edits.
#include <functional>
#include <string>

#include <QLineEdit>

namespace quelvo::ui {

class TextField : public QLineEdit {
    Q_OBJECT
  public:
    explicit TextField(QWidget* parent = nullptr);

    // flagA: the user may edit the text. flagB: call back only when editing
    // ends (Return or leaving the field) instead of on every keystroke.
    // Setting the text here does not call back.
    void configure(const std::string& text, bool flagA, bool flagB,
                   std::function<void(const std::string&)> onChange);

    std::string stdText() const { return text().toStdString(); }

  private:
    bool m_onEditingFinished = false;
    std::function<void(const std::string&)> m_onChange;
};

} // namespace quelvo::ui
