#pragma once
// The depth mode in one compact control: the fixed depth of the main window's
// slider, or one of the presets that put the music a number of LU under the
// speech. It stores the choice itself, the moment it changes.
#include <QComboBox>

namespace quelvo::ui {

class DepthModeChooser : public QComboBox {
    Q_OBJECT
  public:
    explicit DepthModeChooser(QWidget* parent = nullptr);
    // Shows the stored mode (a distance set elsewhere gets its own entry).
    void reload();

  private:
    void store(int index);
    bool m_loading = false;
};

} // namespace quelvo::ui
