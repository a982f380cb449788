#include "ui/windows/preferences_window.h"

#include <functional>

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "project/envelope_timing.h"
#include "project/format_choice.h"
#include "project/version_question_settings.h"
#include "titles/titles_settings.h"
#include "ui/kit/bold_label.h"
#include "ui/kit/check_box.h"
#include "ui/kit/setting_slider.h"
#include "ui/windows/depth_mode_chooser.h"
#include "ui/windows/editor_names.h"

namespace quelvo::ui {

PreferencesWindow::PreferencesWindow(QWidget* owner) : Panel(owner) {
    setWindowTitle(tr("Preferences"));
    buildLayout();
    // Everything is stored already: OK only closes.
    connect(m_ok, &QPushButton::clicked, this, &QWidget::close);
    loadTimingSettings();
    loadEditorChoices();
}

void PreferencesWindow::loadTimingSettings() {
    // Each slider keeps its own setting; its change goes into the running
    // program's timing at once, so the next job uses it.
    m_attackWindow->configure(m_attackWindowValue, settings::kAttackWindow,
                              [](double v) { applyAttackWindow(currentEnvelopeTiming(), v); });
    m_releaseWindow->configure(m_releaseWindowValue, settings::kReleaseWindow,
                               [](double v) { applyReleaseWindow(currentEnvelopeTiming(), v); });
    m_attackPreRoll->configure(m_attackPreRollValue, settings::kAttackPreRoll,
                               [](double v) { applyAttackPreRoll(currentEnvelopeTiming(), v); });
    m_releasePreRoll->configure(m_releasePreRollValue, settings::kReleasePreRoll,
                                [](double v) { applyReleasePreRoll(currentEnvelopeTiming(), v); });
    m_threshold->configure(m_thresholdValue, settings::kThreshold,
                           [](double v) { applyThreshold(currentEnvelopeTiming(), v); });
    const bool automatic = storedDetectionMode() == DetectionMode::automatic;
    (automatic ? m_automaticDetection : m_fixedThreshold)->setChecked(true);
    enableThreshold(!automatic);
    connect(m_automaticDetection, &QRadioButton::toggled, this,
            &PreferencesWindow::chooseDetection);
}

void PreferencesWindow::loadEditorChoices() {
    auto& versionPrefs = VersionQuestionSettings::shared();
    m_preferFcpxml19->configure(versionPrefs.preferFcpxml19(), [](bool on) {
        VersionQuestionSettings::shared().setPreferFcpxml19(on);
    });
    m_rememberMyChoice->configure(versionPrefs.rememberMyChoice(), [this](bool on) {
        VersionQuestionSettings::shared().setRememberMyChoice(on);
        showRememberedEditor();
    });
    showRememberedEditor();
    connect(m_rememberedEditor, &QComboBox::activated, this, [this](int index) {
        quelvo::rememberFormat(
            static_cast<ProjectFormat>(m_rememberedEditor->itemData(index).toInt()));
    });
    m_sendWithoutFile->configure(TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile,
                                 [](bool on) {
                                     auto& settings = TitlesSettings::shared();
                                     settings.xmlExport.sendToFCPWithoutXMLFile = on;
                                     settings.save();
                                 });
}

void PreferencesWindow::showRememberedEditor() {
    const auto remembered = quelvo::rememberedFormat();
    m_rememberedEditor->setCurrentIndex(
        remembered ? m_rememberedEditor->findData(static_cast<int>(*remembered)) : -1);
    m_rememberedEditor->setEnabled(VersionQuestionSettings::shared().rememberMyChoice());
}

void PreferencesWindow::chooseDetection(bool automatic) {
    const DetectionMode mode = automatic ? DetectionMode::automatic : DetectionMode::threshold;
    storeDetectionMode(mode);
    applyDetection(currentEnvelopeTiming(), mode);
    enableThreshold(!automatic);
}

void PreferencesWindow::enableThreshold(bool enabled) {
    for (QWidget* part : std::initializer_list<QWidget*>{m_threshold, m_thresholdValue,
                                                         m_thresholdCaption, m_thresholdUnit})
        if (part) part->setEnabled(enabled);
}

// One slider row of the timing grid and the members it fills.
struct PreferencesWindow::SliderRow {
    const char* name;
    const char* caption;
    const char* tip;
    SettingSlider** slider;
    QLabel** label;
    const char* unitText;
    const NumberSetting& setting;
};

void PreferencesWindow::buildLayout() {
    const int unit = fontMetrics().height();
    QGridLayout* grid = buildTimingGrid(unit);

    // Made before OK so that Tab reaches the editor's switches first.
    QLayout* editor = buildEditorSection();
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_ok->setMinimumWidth(6 * unit);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(3 * unit / 2, 3 * unit / 2, 3 * unit / 2, unit);
    page->setSizeConstraint(QLayout::SetFixedSize);
    page->setSpacing(unit * 2 / 3);
    page->addLayout(grid);
    page->addWidget(line);
    page->addLayout(editor);
    page->addSpacing(unit / 2);
    page->addWidget(buttons);
}

QGridLayout* PreferencesWindow::buildTimingGrid(int unit) {
    using quelvo::settings::kAttackPreRoll, quelvo::settings::kAttackWindow;
    using quelvo::settings::kReleasePreRoll, quelvo::settings::kReleaseWindow;
    const SliderRow fadeDown[] = {
        {"attackWindow", "Attack window:", "How long the music takes to go down, in all",
         &m_attackWindow, &m_attackWindowValue, "s", kAttackWindow},
        {"attackPreRoll",
         "Attack pre-roll:", "How much of the fade down lies before the speech starts",
         &m_attackPreRoll, &m_attackPreRollValue, "s", kAttackPreRoll},
    };
    const SliderRow fadeUp[] = {
        {"releaseWindow", "Release window:", "How long the music takes to come back up, in all",
         &m_releaseWindow, &m_releaseWindowValue, "s", kReleaseWindow},
        {"releasePreRoll",
         "Release pre-roll:", "How much of the fade up lies before the speech ends",
         &m_releasePreRoll, &m_releasePreRollValue, "s", kReleasePreRoll},
    };
    const SliderRow threshold{"threshold",
                              "Speech threshold:",
                              "How loud the dialogue must be to count as speech",
                              &m_threshold,
                              &m_thresholdValue,
                              "dB",
                              quelvo::settings::kThreshold};

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(unit * 2 / 3);
    grid->setVerticalSpacing(unit / 2);
    grid->setColumnStretch(1, 1);
    int row = 0;
    addSectionTitle(grid, row, tr("Music goes down when speech starts"));
    for (const SliderRow& r : fadeDown)
        addSliderRow(grid, row, r);
    addSectionTitle(grid, row, tr("Music comes back up when speech ends"));
    for (const SliderRow& r : fadeUp)
        addSliderRow(grid, row, r);
    // The choice of detection sits above the threshold it governs.
    addSectionTitle(grid, row, tr("Speech detection"));
    addDetectionChoice(grid, row);
    addSliderRow(grid, row, threshold);
    addDepthMode(grid, row);
    int captionWidth = 0;
    for (const char* caption :
         {"Attack window:", "Attack pre-roll:", "Release window:", "Release pre-roll:",
          "Detection:", "Speech threshold:", "Music depth:"})
        captionWidth = std::max(captionWidth, fontMetrics().horizontalAdvance(tr(caption)));
    grid->setColumnMinimumWidth(0, captionWidth + unit);
    return grid;
}

void PreferencesWindow::addDepthMode(QGridLayout* grid, int& row) {
    // The depth mode: one compact row under the detection.
    auto* depthMode = new DepthModeChooser(this);
    depthMode->setObjectName("depthMode");
    auto* depthCaption = new QLabel(tr("Music depth:"), this);
    depthCaption->setBuddy(depthMode);
    grid->addWidget(depthCaption, row, 0);
    grid->addWidget(depthMode, row++, 1, 1, 3);
}

void PreferencesWindow::addSectionTitle(QGridLayout* grid, int& row, const QString& title) {
    if (row > 0) grid->addItem(new QSpacerItem(0, fontMetrics().height() / 2), row++, 0);
    grid->addWidget(boldLabel(title, this), row++, 0, 1, 4);
}

void PreferencesWindow::addSliderRow(QGridLayout* grid, int& row, const SliderRow& r) {
    auto* slider = new SettingSlider(this);
    slider->setObjectName(r.name);
    slider->setRange(r.setting.minimum, r.setting.maximum);
    slider->setMinimumWidth(16 * fontMetrics().height());
    slider->setTickPosition(QSlider::TicksBelow);
    // A tick every half second, every 6 dB.
    slider->setTickInterval(r.unitText[0] == 's' ? 5 : 6);
    slider->setToolTip(tr(r.tip));
    slider->setAccessibleName(tr(r.caption).chopped(1));
    auto* value = new QLabel(this);
    value->setObjectName(QString(r.name) + "Value");
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* caption = new QLabel(tr(r.caption), this);
    caption->setBuddy(slider);
    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(value, row, 2);
    auto* unit = new QLabel(tr(r.unitText), this);
    grid->addWidget(unit, row, 3);
    if (r.slider == &m_threshold) {
        m_thresholdCaption = caption;
        m_thresholdUnit = unit;
    }
    *r.slider = slider;
    *r.label = value;
    ++row;
}

void PreferencesWindow::addDetectionChoice(QGridLayout* grid, int& row) {
    m_automaticDetection = new QRadioButton(tr("Automatic (adapts to each recording)"), this);
    m_automaticDetection->setObjectName("automaticDetection");
    m_automaticDetection->setToolTip(tr(
        "Finds speech from each recording's own noise floor and speech level; no setting needed"));
    m_fixedThreshold = new QRadioButton(tr("Fixed threshold"), this);
    m_fixedThreshold->setObjectName("fixedThreshold");
    m_fixedThreshold->setToolTip(
        tr("Counts as speech whatever is louder than the threshold below"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_automaticDetection);
    group->addButton(m_fixedThreshold);
    auto* choices = new QVBoxLayout;
    choices->setSpacing(fontMetrics().height() / 4);
    choices->addWidget(m_automaticDetection);
    choices->addWidget(m_fixedThreshold);
    auto* caption = new QLabel(tr("Detection:"), this);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setBuddy(m_automaticDetection);
    grid->addWidget(caption, row, 0);
    grid->addLayout(choices, row, 1, 1, 3);
    ++row;
}

QLayout* PreferencesWindow::buildEditorSection() {
    const int unit = fontMetrics().height();
    m_preferFcpxml19 = new CheckBox(tr("Prefer Final Cut Pro 10.6 and later (FCPXML 1.9)"), this);
    m_preferFcpxml19->setObjectName("preferFcpxml19");
    m_preferFcpxml19->setToolTip(tr("Which Final Cut Pro version the editor question suggests"));
    m_rememberMyChoice = new CheckBox(tr("Remember my choice of editor:"), this);
    m_rememberMyChoice->setObjectName("rememberMyChoice");
    m_rememberMyChoice->setToolTip(tr("Ask for the editor once, then use the same one"));
    m_rememberedEditor = new QComboBox(this);
    m_rememberedEditor->setObjectName("rememberedEditor");
    for (ProjectFormat format : quelvo::allProjectFormats())
        m_rememberedEditor->addItem(editorChoiceLongText(format), static_cast<int>(format));
    m_rememberedEditor->setPlaceholderText(tr("Chosen at the next project"));
    m_rememberedEditor->setAccessibleName(tr("Remembered editor"));
    m_rememberedEditor->setToolTip(
        tr("The editor every project is written for while remembering is on"));
    m_sendWithoutFile = new CheckBox(tr("Send to Final Cut Pro without an XML file"), this);
    m_sendWithoutFile->setObjectName("sendWithoutFile");
    m_sendWithoutFile->setToolTip(
        tr("Open finished projects in Final Cut Pro instead of writing them next to the dialogue"));
    // Sending is Final Cut Pro's alone: said under the switch, not only in its tooltip.
    auto* sendNote = new QLabel(
        tr("Final Cut Pro projects only; the other editors' projects are always saved as files."),
        this);
    sendNote->setObjectName("sendNote");
    sendNote->setWordWrap(true);
    sendNote->setForegroundRole(QPalette::PlaceholderText);
    sendNote->setContentsMargins(fontMetrics().horizontalAdvance(QStringLiteral("MM")), 0, 0, 0);

    auto* remember = new QHBoxLayout;
    remember->addWidget(m_rememberMyChoice);
    remember->addWidget(m_rememberedEditor, 1);
    auto* editor = new QVBoxLayout;
    editor->setSpacing(unit / 3);
    editor->addWidget(boldLabel(tr("Editor"), this));
    editor->addWidget(m_preferFcpxml19);
    editor->addLayout(remember);
    editor->addWidget(m_sendWithoutFile);
    editor->addWidget(sendNote);
    return editor;
}

} // namespace quelvo::ui
