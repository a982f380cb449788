#pragma once
// The presets row of the titles window: choosing a preset loads it into the
// shared title settings (and stores them); the menu saves the current
// settings under a name, imports a colleague's file, exports the current
// settings to share, and deletes one of the editor's own presets.
#include <string>

#include <QWidget>

class QComboBox;
class QToolButton;

namespace quelvo::ui {

class TitlesPresetsBar : public QWidget {
    Q_OBJECT
  public:
    explicit TitlesPresetsBar(QWidget* parent = nullptr);

    // Loads a preset by name; false when there is none of that name. The
    // settings of what happens after an export are not part of a look and
    // stay as they are.
    bool loadPreset(const std::string& name);
    // Saves the shared settings under name (alerts on failure).
    bool savePreset(const std::string& name);
    // Lists the presets again (after a save or import elsewhere).
    void reload();

    // For tests that look at what a user sees.
    QComboBox* presetChoice() const { return m_presetChoice; }
    QToolButton* menuButton() const { return m_menuButton; }

  private:
    void askName();
    void importFile();
    void exportFile();
    void deleteCurrent();

    QComboBox* m_presetChoice = nullptr;
    QToolButton* m_menuButton = nullptr;
};

} // namespace quelvo::ui
