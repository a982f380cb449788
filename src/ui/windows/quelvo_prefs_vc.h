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
#include "ui/kit/ky_view_controller.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kyui {

class DepthModeChooser;
class KyCheckButton;
class KySlider;

class QuelvoPrefsVC : public KyViewController {
    Q_OBJECT
  public:
    // Slider ranges: the four times in tenths of a second, the threshold in
    // whole decibels.

    explicit QuelvoPrefsVC(QWidget* parent = nullptr);

    // Outlets.
    KySlider* attackWindowSlider;
    QLabel* attackWindowLabel;
    KySlider* releaseWindowSlider;
    QLabel* releaseWindowLabel;
    KySlider* attackPreRollSlider;
    QLabel* attackPreRollLabel;
    KySlider* releasePreRollSlider;
    QLabel* releasePreRollLabel;
    QRadioButton* rdoAutomaticDetection;
    QRadioButton* rdoFixedThreshold;
    KySlider* sldThreshold;
    QLabel* lblThreshold;
    DepthModeChooser* depthMode;
    KyCheckButton* chkPreferFCP106;
    KyCheckButton* chkRememberMyChoice;
    // The remembered editor, changeable while remembering is on; shows its
    // placeholder while nothing is remembered.
    QComboBox* cmbRememberedEditor;
    KyCheckButton* chksendImmediatelyToFCP;
    QLabel* lblSendNote;
    QPushButton* btnOk;

    // Closes the window; everything is already stored.
    void okPressed();

    bool closesOnEscape() const override { return true; }

private:
  // Shows the stored settings and ties each control to its setting.
  void loadTimingSettings();
  struct SliderRow;
  void buildLayout();
  QGridLayout* buildTimingGrid(int unit);
  void addSectionTitle(QGridLayout* grid, int& row, const QString& title);
  void addSliderRow(QGridLayout* grid, int& row, const SliderRow& r);
  void addDetectionChoice(QGridLayout* grid, int& row);
  // Stores the choice, hands it to the running program and enables the
  // threshold only where it applies.
  void chooseDetection(bool automatic);
  void enableThreshold(bool enabled);
  QLayout* buildEditorSection();
  void loadEditorChoices();
  // Shows the stored remembered editor and enables the list while remembering.
  void showRememberedEditor();

  // The threshold row's caption and unit, greyed with its slider.
  QLabel* m_thresholdCaption = nullptr;
  QLabel* m_thresholdUnit = nullptr;
};

} // namespace kyui
