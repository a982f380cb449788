#pragma once
// The preferences window: the five timing settings of the ducking envelope,
// how speech is detected (automatically, or at the fixed threshold whose
// slider is enabled only then), and the editor: which Final Cut Pro version
// the editor question suggests, whether it remembers the choice (and which
// editor it remembers), and whether Final Cut Pro projects are sent to it
// without a file. Every change takes effect at once: the sliders store
// themselves and update the running program's timing (currentEnvelopeTiming), the
// switches write straight into the objects that keep those choices. OK only
// closes the window.
//
// Its controls are named for tests: the sliders "attackWindow",
// "releaseWindow", "attackPreRoll", "releasePreRoll" and "threshold", each
// with its value label (the same name and "Value"); "automaticDetection",
// "fixedThreshold", "depthMode", "preferFcpxml19", "rememberMyChoice",
// "rememberedEditor", "sendWithoutFile", "sendNote" and "ok".
#include "ui/kit/panel.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quelvo::ui {

class DepthModeChooser;
class CheckBox;
class SettingSlider;

class PreferencesWindow : public Panel {
    Q_OBJECT
  public:
    // Belongs to the window of `owner`, or stands alone when owner is null.
    explicit PreferencesWindow(QWidget* owner = nullptr);

  private:
    // Shows the stored settings and ties each control to its setting.
    void loadTimingSettings();
    struct SliderRow;
    void buildLayout();
    QGridLayout* buildTimingGrid(int unit);
    void addSectionTitle(QGridLayout* grid, int& row, const QString& title);
    void addSliderRow(QGridLayout* grid, int& row, const SliderRow& r);
    void addDetectionChoice(QGridLayout* grid, int& row);
    void addDepthMode(QGridLayout* grid, int& row);
    // Stores the choice, hands it to the running program and enables the
    // threshold only where it applies.
    void chooseDetection(bool automatic);
    void enableThreshold(bool enabled);
    QLayout* buildEditorSection();
    void loadEditorChoices();
    // Shows the stored remembered editor and enables the list while remembering.
    void showRememberedEditor();

    SettingSlider* m_attackWindow = nullptr;
    QLabel* m_attackWindowValue = nullptr;
    SettingSlider* m_releaseWindow = nullptr;
    QLabel* m_releaseWindowValue = nullptr;
    SettingSlider* m_attackPreRoll = nullptr;
    QLabel* m_attackPreRollValue = nullptr;
    SettingSlider* m_releasePreRoll = nullptr;
    QLabel* m_releasePreRollValue = nullptr;
    QRadioButton* m_automaticDetection = nullptr;
    QRadioButton* m_fixedThreshold = nullptr;
    SettingSlider* m_threshold = nullptr;
    QLabel* m_thresholdValue = nullptr;
    // The threshold row's caption and unit, greyed with its slider.
    QLabel* m_thresholdCaption = nullptr;
    QLabel* m_thresholdUnit = nullptr;
    CheckBox* m_preferFcpxml19 = nullptr;
    CheckBox* m_rememberMyChoice = nullptr;
    // The remembered editor, changeable while remembering is on; shows its
    // placeholder while nothing is remembered.
    QComboBox* m_rememberedEditor = nullptr;
    CheckBox* m_sendWithoutFile = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace quelvo::ui
