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
class FCPXML_Titles_Settings;
}

namespace kyui {

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

    // Outlets (tests drive them as a user would).
    QFontComboBox* fontFamily;
    QComboBox* fontFace;
    QSpinBox* fontSize;
    ColorButton* textColor;
    QComboBox* alignment;
    QDoubleSpinBox* lineSpacing;
    QDoubleSpinBox* baseline;
    QCheckBox* strokeOn;
    ColorButton* strokeColor;
    QDoubleSpinBox* strokeWidth;
    QDoubleSpinBox* strokeBlur;
    QCheckBox* shadowOn;
    ColorButton* shadowColor;
    QDoubleSpinBox* shadowOpacity;
    QDoubleSpinBox* shadowBlur;
    QDoubleSpinBox* shadowDistance;
    QDoubleSpinBox* shadowAngle;
    QCheckBox* patchOn;
    ColorButton* patchColor;
    QDoubleSpinBox* patchOpacity;
    QDoubleSpinBox* patchWidth;
    QDoubleSpinBox* patchHeight;
    QDoubleSpinBox* patchPosition;
    QDoubleSpinBox* minDuration;
    QDoubleSpinBox* extendAfter;
    QCheckBox* avoidOverlap;
    QCheckBox* blankFrame;
    QCheckBox* nonZeroStart;
    QComboBox* frameRate;
    QCheckBox* splitLines;
    QSpinBox* splitLength;
    QCheckBox* ignoreI;
    QCheckBox* ignoreB;
    QCheckBox* ignoreFont;
    QCheckBox* ignoreU;
    QCheckBox* templateOn;
    QLineEdit* templatePath;
    QComboBox* frameSizeChoice;
    QSpinBox* frameWidth;
    QSpinBox* frameHeight;

private:
    using Settings = quelvo::FCPXML_Titles_Settings;
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

    std::vector<std::function<void()>> m_shows;
    bool m_refreshing = false;
    long m_observer = 0;
};

} // namespace kyui
