#include "ui/windows/quelvo_prefs_vc.h"

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

#include "project/version_question_settings.h"
#include "project/format_choice.h"
#include "project/envelope_timing.h"
#include "titles/fcpxml_titles_settings.h"
#include "ui/kit/bold_label.h"
#include "ui/kit/ky_check_button.h"
#include "ui/kit/ky_slider.h"
#include "ui/windows/depth_mode_chooser.h"
#include "ui/windows/editor_names.h"

namespace kyui {


QuelvoPrefsVC::QuelvoPrefsVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(tr("Preferences"));
    buildLayout();
    connect(btnOk, &QPushButton::clicked, this, &QuelvoPrefsVC::okPressed);
    loadTimingSettings();
    loadEditorChoices();
}

void QuelvoPrefsVC::loadTimingSettings() {
    using namespace quelvo;
    // Each slider keeps its own setting; its change goes into the running
    // program's timing at once, so the next job uses it.
    attackWindowSlider->configure(attackWindowLabel, settings::kAttackWindow,
                                  [](double v) { applyAttackWindow(currentEnvelopeTiming(), v); });
    releaseWindowSlider->configure(releaseWindowLabel, settings::kReleaseWindow,
                                   [](double v) { applyReleaseWindow(currentEnvelopeTiming(), v); });
    attackPreRollSlider->configure(attackPreRollLabel, settings::kAttackPreRoll,
                                   [](double v) { applyAttackPreRoll(currentEnvelopeTiming(), v); });
    releasePreRollSlider->configure(releasePreRollLabel, settings::kReleasePreRoll,
                                    [](double v) { applyReleasePreRoll(currentEnvelopeTiming(), v); });
    sldThreshold->configure(lblThreshold, settings::kThreshold,
                            [](double v) { applyThreshold(currentEnvelopeTiming(), v); });
    const bool automatic = storedDetectionMode() == DetectionMode::automatic;
    (automatic ? rdoAutomaticDetection : rdoFixedThreshold)->setChecked(true);
    enableThreshold(!automatic);
    connect(rdoAutomaticDetection, &QRadioButton::toggled, this, &QuelvoPrefsVC::chooseDetection);
}

void QuelvoPrefsVC::loadEditorChoices() {
    using quelvo::FCPXML_Titles_Settings;
    auto& versionPrefs = kymovie::VersionQuestionSettings::shared();
    chkPreferFCP106->configure(versionPrefs.preferFcpxml19(), [](bool on) {
        kymovie::VersionQuestionSettings::shared().setPreferFcpxml19(on);
    });
    chkRememberMyChoice->configure(versionPrefs.rememberMyChoice(), [this](bool on) {
        kymovie::VersionQuestionSettings::shared().setRememberMyChoice(on);
        showRememberedEditor();
    });
    showRememberedEditor();
    connect(cmbRememberedEditor, &QComboBox::activated, this, [this](int index) {
        quelvo::rememberFormat(
            static_cast<quelvo::ProjectFormat>(cmbRememberedEditor->itemData(index).toInt()));
    });
    chksendImmediatelyToFCP->configure(FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile,
                                       [](bool on) {
                                           auto& settings = FCPXML_Titles_Settings::shared();
                                           settings.xmlExport.sendToFCPWithoutXMLFile = on;
                                           settings.save();
                                       });
}

void QuelvoPrefsVC::showRememberedEditor() {
    const auto remembered = quelvo::rememberedFormat();
    cmbRememberedEditor->setCurrentIndex(
        remembered ? cmbRememberedEditor->findData(static_cast<int>(*remembered)) : -1);
    cmbRememberedEditor->setEnabled(kymovie::VersionQuestionSettings::shared().rememberMyChoice());
}

void QuelvoPrefsVC::chooseDetection(bool automatic) {
    using namespace quelvo;
    const DetectionMode mode = automatic ? DetectionMode::automatic : DetectionMode::threshold;
    storeDetectionMode(mode);
    applyDetection(currentEnvelopeTiming(), mode);
    enableThreshold(!automatic);
}

void QuelvoPrefsVC::enableThreshold(bool enabled) {
    for (QWidget* part : std::initializer_list<QWidget*>{sldThreshold, lblThreshold, m_thresholdCaption, m_thresholdUnit})
        if (part) part->setEnabled(enabled);
}

void QuelvoPrefsVC::okPressed() { close(); }

// One slider row of the timing grid and the members it fills.
struct QuelvoPrefsVC::SliderRow {
    const char* caption;
    const char* tip;
    KySlider** slider;
    QLabel** label;
    const char* unitText;
    const quelvo::NumberSetting& setting;
};

void QuelvoPrefsVC::buildLayout() {
    const int unit = fontMetrics().height();
    QGridLayout* grid = buildTimingGrid(unit);

    // Made before OK so that Tab reaches the editor's switches first.
    QLayout* editor = buildEditorSection();
    btnOk = new QPushButton(tr("OK"), this);
    btnOk->setDefault(true);
    btnOk->setMinimumWidth(6 * unit);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOk, QDialogButtonBox::AcceptRole);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(3 * unit / 2, 3 * unit / 2, 3 * unit / 2, unit);
    page->setSpacing(unit * 2 / 3);
    page->addLayout(grid);
    page->addWidget(line);
    page->addLayout(editor);
    page->addSpacing(unit / 2);
    page->addWidget(buttons);
}

QGridLayout* QuelvoPrefsVC::buildTimingGrid(int unit) {
    using quelvo::settings::kAttackPreRoll, quelvo::settings::kAttackWindow;
    using quelvo::settings::kReleasePreRoll, quelvo::settings::kReleaseWindow;
    const SliderRow fadeDown[] = {
        {"Attack window:", "How long the music takes to go down, in all", &attackWindowSlider,
         &attackWindowLabel, "s", kAttackWindow},
        {"Attack pre-roll:", "How much of the fade down lies before the speech starts",
         &attackPreRollSlider, &attackPreRollLabel, "s", kAttackPreRoll},
    };
    const SliderRow fadeUp[] = {
        {"Release window:", "How long the music takes to come back up, in all",
         &releaseWindowSlider, &releaseWindowLabel, "s", kReleaseWindow},
        {"Release pre-roll:", "How much of the fade up lies before the speech ends",
         &releasePreRollSlider, &releasePreRollLabel, "s", kReleasePreRoll},
    };
    const SliderRow threshold{"Speech threshold:",
                              "How loud the dialogue must be to count as speech",
                              &sldThreshold,
                              &lblThreshold,
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
    // The depth mode: one compact row under the detection.
    depthMode = new DepthModeChooser(this);
    auto* depthCaption = new QLabel(tr("Music depth:"), this);
    depthCaption->setBuddy(depthMode);
    grid->addWidget(depthCaption, row, 0);
    grid->addWidget(depthMode, row++, 1, 1, 3);
    int captionWidth = 0;
    for (const char* caption : {"Attack window:", "Attack pre-roll:", "Release window:", "Release pre-roll:",
                                "Detection:", "Speech threshold:", "Music depth:"})
        captionWidth = std::max(captionWidth, fontMetrics().horizontalAdvance(tr(caption)));
    grid->setColumnMinimumWidth(0, captionWidth + unit);
    return grid;
}

void QuelvoPrefsVC::addSectionTitle(QGridLayout* grid, int& row, const QString& title) {
    if (row > 0) grid->addItem(new QSpacerItem(0, fontMetrics().height() / 2), row++, 0);
    grid->addWidget(boldLabel(title, this), row++, 0, 1, 4);
}

void QuelvoPrefsVC::addSliderRow(QGridLayout* grid, int& row, const SliderRow& r) {
    auto* slider = new KySlider(this);
    slider->setRange(r.setting.minimum, r.setting.maximum);
    slider->setMinimumWidth(16 * fontMetrics().height());
    slider->setTickPosition(QSlider::TicksBelow);
    // A tick every half second, every 6 dB.
    slider->setTickInterval(r.unitText[0] == 's' ? 5 : 6);
    slider->setToolTip(tr(r.tip));
    slider->setAccessibleName(tr(r.caption).chopped(1));
    auto* value = new QLabel(this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* caption = new QLabel(tr(r.caption), this);
    caption->setBuddy(slider);
    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(value, row, 2);
    auto* unit = new QLabel(tr(r.unitText), this);
    grid->addWidget(unit, row, 3);
    if (r.slider == &sldThreshold) {
        m_thresholdCaption = caption;
        m_thresholdUnit = unit;
    }
    *r.slider = slider;
    *r.label = value;
    ++row;
}

void QuelvoPrefsVC::addDetectionChoice(QGridLayout* grid, int& row) {
    rdoAutomaticDetection = new QRadioButton(tr("Automatic (adapts to each recording)"), this);
    rdoAutomaticDetection->setToolTip(tr(
        "Finds speech from each recording's own noise floor and speech level; no setting needed"));
    rdoFixedThreshold = new QRadioButton(tr("Fixed threshold"), this);
    rdoFixedThreshold->setToolTip(
        tr("Counts as speech whatever is louder than the threshold below"));
    auto* group = new QButtonGroup(this);
    group->addButton(rdoAutomaticDetection);
    group->addButton(rdoFixedThreshold);
    auto* choices = new QVBoxLayout;
    choices->setSpacing(fontMetrics().height() / 4);
    choices->addWidget(rdoAutomaticDetection);
    choices->addWidget(rdoFixedThreshold);
    auto* caption = new QLabel(tr("Detection:"), this);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setBuddy(rdoAutomaticDetection);
    grid->addWidget(caption, row, 0);
    grid->addLayout(choices, row, 1, 1, 3);
    ++row;
}

QLayout* QuelvoPrefsVC::buildEditorSection() {
    const int unit = fontMetrics().height();
    chkPreferFCP106 =
        new KyCheckButton(tr("Prefer Final Cut Pro 10.6 and later (FCPXML 1.9)"), this);
    chkPreferFCP106->setToolTip(tr("Which Final Cut Pro version the editor question suggests"));
    chkRememberMyChoice = new KyCheckButton(tr("Remember my choice of editor:"), this);
    chkRememberMyChoice->setToolTip(tr("Ask for the editor once, then use the same one"));
    cmbRememberedEditor = new QComboBox(this);
    for (quelvo::ProjectFormat format : quelvo::allProjectFormats())
        cmbRememberedEditor->addItem(editorChoiceLongText(format), static_cast<int>(format));
    cmbRememberedEditor->setPlaceholderText(tr("Chosen at the next project"));
    cmbRememberedEditor->setAccessibleName(tr("Remembered editor"));
    cmbRememberedEditor->setToolTip(
        tr("The editor every project is written for while remembering is on"));
    chksendImmediatelyToFCP =
        new KyCheckButton(tr("Send to Final Cut Pro without an XML file"), this);
    chksendImmediatelyToFCP->setToolTip(
        tr("Open finished projects in Final Cut Pro instead of writing them next to the dialogue"));
    // Sending is Final Cut Pro's alone: said under the switch, not only in its tooltip.
    lblSendNote = new QLabel(
        tr("Final Cut Pro projects only; the other editors' projects are always saved as files."),
        this);
    lblSendNote->setWordWrap(true);
    lblSendNote->setForegroundRole(QPalette::PlaceholderText);
    lblSendNote->setContentsMargins(fontMetrics().horizontalAdvance(QStringLiteral("MM")), 0, 0, 0);

    auto* remember = new QHBoxLayout;
    remember->addWidget(chkRememberMyChoice);
    remember->addWidget(cmbRememberedEditor, 1);
    auto* editor = new QVBoxLayout;
    editor->setSpacing(unit / 3);
    editor->addWidget(boldLabel(tr("Editor"), this));
    editor->addWidget(chkPreferFCP106);
    editor->addLayout(remember);
    editor->addWidget(chksendImmediatelyToFCP);
    editor->addWidget(lblSendNote);
    return editor;
}

} // namespace kyui
