#pragma once
// A check box that reports each click.
#include <functional>

#include <QCheckBox>

namespace quelvo::ui {

class CheckBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit CheckBox(const QString& text = {}, QWidget* parent = nullptr);
    // Shows state without calling back; onChange runs on every user click
    // (mouse or keyboard) with the new state.
    void configure(bool state, std::function<void(bool)> onChange);

  private:
    std::function<void(bool)> m_onChange;
};

} // namespace quelvo::ui
