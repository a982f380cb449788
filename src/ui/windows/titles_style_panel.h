#pragma once
// Every title setting that the parser or the titles generator reads, grouped
// as an editor thinks of them: Text, Stroke, Shadow, Patch, Timing, Text
// handling, Template and Output. The controls edit the one shared settings
// object and store it the moment anything changes, so the command line and
// every other titles window see the change at once (they hear of it through
// kSettingsChangedKey and call refresh).
#include <functional>
#include <vector>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QVBoxLayout;

namespace quelvo {
class TitlesSettings;
}

namespace quelvo::ui {

class ColorButton;

class TitlesStylePanel : public QWidget {
    Q_OBJECT
  public:
    // Announced after every stored change of the shared title settings.
    static constexpr const char* kSettingsChangedKey = "quelvo.titles.settingsChanged";

    explicit TitlesStylePanel(QWidget* parent = nullptr);
    ~TitlesStylePanel() override;

    // Shows the shared settings in every control, without storing anything.
    void refresh();

    // Stores the shared settings and tells every window.
    static void storeAndAnnounce();

    // The controls that tests drive as a user would.
    QSpinBox* fontSize() const { return m_fontSize; }
    QComboBox* alignment() const { return m_alignment; }
    QCheckBox* strokeOn() const { return m_strokeOn; }
    QDoubleSpinBox* strokeWidth() const { return m_strokeWidth; }
    QCheckBox* shadowOn() const { return m_shadowOn; }
    QDoubleSpinBox* shadowAngle() const { return m_shadowAngle; }
    QCheckBox* patchOn() const { return m_patchOn; }
    QDoubleSpinBox* patchHeight() const { return m_patchHeight; }
    QDoubleSpinBox* minDuration() const { return m_minDuration; }
    QCheckBox* avoidOverlap() const { return m_avoidOverlap; }
    QComboBox* frameRate() const { return m_frameRate; }
    QCheckBox* ignoreI() const { return m_ignoreI; }
    QSpinBox* frameHeight() const { return m_frameHeight; }

  private:
    using Settings = TitlesSettings;
    // One control's two directions: how it shows the settings, and what a
    // user's change does to them (then stored and announced).
    void bind(std::function<void()> show) { m_shows.push_back(std::move(show)); }
    void change(const std::function<void(Settings&)>& edit);
    void enableDependents();
    void chooseTemplate();
    // One group of controls each, added to the panel's column.
    void addTextGroup(QVBoxLayout* page);
    void addStrokeGroup(QVBoxLayout* page);
    void addShadowGroup(QVBoxLayout* page);
    void addPatchGroup(QVBoxLayout* page);
    void addTimingGroup(QVBoxLayout* page);
    void addTextHandlingGroup(QVBoxLayout* page);
    void addTemplateGroup(QVBoxLayout* page);
    void addOutputGroup(QVBoxLayout* page);

    QFontComboBox* m_fontFamily = nullptr;
    QComboBox* m_fontFace = nullptr;
    QSpinBox* m_fontSize = nullptr;
    ColorButton* m_textColor = nullptr;
    QComboBox* m_alignment = nullptr;
    QDoubleSpinBox* m_lineSpacing = nullptr;
    QDoubleSpinBox* m_baseline = nullptr;
    QCheckBox* m_strokeOn = nullptr;
    ColorButton* m_strokeColor = nullptr;
    QDoubleSpinBox* m_strokeWidth = nullptr;
    QDoubleSpinBox* m_strokeBlur = nullptr;
    QCheckBox* m_shadowOn = nullptr;
    ColorButton* m_shadowColor = nullptr;
    QDoubleSpinBox* m_shadowOpacity = nullptr;
    QDoubleSpinBox* m_shadowBlur = nullptr;
    QDoubleSpinBox* m_shadowDistance = nullptr;
    QDoubleSpinBox* m_shadowAngle = nullptr;
    QCheckBox* m_patchOn = nullptr;
    ColorButton* m_patchColor = nullptr;
    QDoubleSpinBox* m_patchOpacity = nullptr;
    QDoubleSpinBox* m_patchWidth = nullptr;
    QDoubleSpinBox* m_patchHeight = nullptr;
    QDoubleSpinBox* m_patchPosition = nullptr;
    QDoubleSpinBox* m_minDuration = nullptr;
    QDoubleSpinBox* m_extendAfter = nullptr;
    QCheckBox* m_avoidOverlap = nullptr;
    QCheckBox* m_blankFrame = nullptr;
    QCheckBox* m_nonZeroStart = nullptr;
    QComboBox* m_frameRate = nullptr;
    QCheckBox* m_splitLines = nullptr;
    QSpinBox* m_splitLength = nullptr;
    QCheckBox* m_ignoreI = nullptr;
    QCheckBox* m_ignoreB = nullptr;
    QCheckBox* m_ignoreFont = nullptr;
    QCheckBox* m_ignoreU = nullptr;
    QCheckBox* m_templateOn = nullptr;
    QLineEdit* m_templatePath = nullptr;
    QComboBox* m_frameSizeChoice = nullptr;
    QSpinBox* m_frameWidth = nullptr;
    QSpinBox* m_frameHeight = nullptr;

    std::vector<std::function<void()>> m_shows;
    bool m_refreshing = false;
    long m_observer = 0;
};

} // namespace quelvo::ui
