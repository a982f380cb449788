#pragma once
// A button that shows a colour and opens the platform's colour picker.
#include <functional>

#include <QColor>
#include <QPushButton>

namespace quelvo::ui {

class ColorButton : public QPushButton {
    Q_OBJECT
  public:
    explicit ColorButton(QWidget* parent = nullptr);
    QColor color() const { return m_color; }
    // Shows the colour without calling back.
    void setColor(const QColor& color);
    // Runs after the user picked a colour (and it differs).
    std::function<void(const QColor&)> onPick;
    // Sets the colour as a pick would: shown, then onPick.
    void pick(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor m_color = Qt::white;
};

} // namespace quelvo::ui
