#include "ui/windows/titles_style_panel.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include "base/notify.h"
#include "base/prefs.h"
#include "titles/fcpxml_titles_settings.h"
#include "ui/kit/ky_wheel_guard.h"
#include "ui/windows/color_button.h"
#include "writers/fcpxml_video_fragments.h"

namespace kyui {

using quelvo::FCPXML_Titles_Settings;

namespace {

// Where the stroke width waits while the stroke is switched off: the model
// knows no separate switch (its doBorder is read by nothing), a width of 0
// is what draws no stroke.
const char* const kLastStrokeWidthKey = "ui.titles.lastStrokeWidth";

struct FrameSizeChoice {
    const char* text;
    int width, height;
};
const FrameSizeChoice kFrameSizes[] = {
    {"1920 × 1080 (HD)", 1920, 1080},        {"3840 × 2160 (4K UHD)", 3840, 2160},
    {"1280 × 720 (720p)", 1280, 720},        {"1080 × 1920 (vertical)", 1080, 1920},
    {"1080 × 1080 (square)", 1080, 1080},   {"2048 × 1080 (2K DCI)", 2048, 1080},
};

const double kFrameRates[] = {23.976, 24, 25, 29.97, 30, 50, 59.94, 60};

QColor toQColor(const kykit::KyColor& c) { return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue)); }

// The picked colour in the model's form; the stored alpha stays.
void setRGB(kykit::KyColor& target, const QColor& c) {
    target.red = c.redF();
    target.green = c.greenF();
    target.blue = c.blueF();
}

QDoubleSpinBox* number(QWidget* parent, double min, double max, double step, int decimals,
                       const QString& suffix = {}) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(min, max);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false); // typing stores once, at Return or on leaving
    box->setAccelerated(true);
    return box;
}

QSpinBox* whole(QWidget* parent, int min, int max, const QString& suffix = {}) {
    auto* box = new QSpinBox(parent);
    box->setRange(min, max);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    box->setAccelerated(true);
    return box;
}

QFormLayout* group(QVBoxLayout* page, const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    page->addWidget(box);
    return form;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets) layout->addWidget(w);
    layout->addStretch();
    return layout;
}

} // namespace

void TitlesStylePanel::storeAndAnnounce() {
    FCPXML_Titles_Settings::shared().save();
    kykit::KyNotify::notify(kSettingsChangedKey);
}

void TitlesStylePanel::change(const std::function<void(Settings&)>& edit) {
    if (m_refreshing) return;
    edit(FCPXML_Titles_Settings::shared());
    storeAndAnnounce();
}

TitlesStylePanel::TitlesStylePanel(QWidget* parent) : QWidget(parent) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    addTextGroup(page);
    addStrokeGroup(page);
    addShadowGroup(page);
    addPatchGroup(page);
    addTimingGroup(page);
    addTextHandlingGroup(page);
    addTemplateGroup(page);
    addOutputGroup(page);
    page->addStretch();
    // The panel scrolls: the wheel moves it, not the field under the pointer.
    guardWheel(this);
    refresh();
    // Observers run on the thread that announces, and only the GUI thread
    // changes the settings.
    // An observer may still be called once after its removal (the list is
    // copied before the calls): the guard skips a panel that is gone.
    m_observer = kykit::KyNotify::observe(kSettingsChangedKey, [self = QPointer<TitlesStylePanel>(this)] {
        if (self) self->refresh();
    });
}

void TitlesStylePanel::addTextGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* text = group(page, tr("Text"), this);
    fontFamily = new QFontComboBox(this);
    fontFamily->setToolTip(tr("The font; Final Cut Pro uses the one of this name on the editing Mac"));
    fontFace = new QComboBox(this);
    fontFace->setEditable(true);
    fontFace->setToolTip(tr("The face (style) of the font: Regular, Bold, ..."));
    fontSize = whole(this, 1, 1000);
    textColor = new ColorButton(this);
    alignment = new QComboBox(this);
    for (quelvo::Aligment a : quelvo::kAllAligments)
        alignment->addItem(QString::fromStdString(quelvo::displayText(a)), QString::fromStdString(quelvo::rawValue(a)));
    lineSpacing = number(this, -200, 500, 1, 1);
    baseline = number(this, -50, 150, 0.5, 1, tr(" % of the height"));
    baseline->setToolTip(tr("Where the last line's baseline sits, measured up from the bottom of the frame"));
    text->addRow(tr("Font:"), fontFamily);
    text->addRow(tr("Face:"), fontFace);
    text->addRow(tr("Size:"), row({fontSize, new QLabel(tr("Colour:"), this), textColor}));
    text->addRow(tr("Alignment:"), alignment);
    text->addRow(tr("Line spacing:"), lineSpacing);
    text->addRow(tr("Baseline:"), baseline);
    connect(fontFamily, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        const QStringList faces = QFontDatabase::styles(f.family());
        {
            const QSignalBlocker block(fontFace);
            fontFace->clear();
            fontFace->addItems(faces);
        }
        change([&](S& s) {
            s.font = f.family().toStdString();
            // The face stays when the new family has it, else its first one.
            if (!faces.isEmpty() && !faces.contains(QString::fromStdString(s.fontFace)))
                s.fontFace = faces.first().toStdString();
        });
    });
    connect(fontFace, &QComboBox::currentTextChanged, this, [this](const QString& face) {
        if (!face.isEmpty()) change([&](S& s) { s.fontFace = face.toStdString(); });
    });
    connect(fontSize, &QSpinBox::valueChanged, this, [this](int v) { change([&](S& s) { s.size = v; }); });
    textColor->onPick = [this](const QColor& c) { change([&](S& s) { setRGB(s.color, c); }); };
    connect(alignment, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) change([&](S& s) { s.alignment = quelvo::kAllAligments[size_t(i)]; });
    });
    connect(lineSpacing, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.lineSpacing = v; }); });
    connect(baseline, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.baselinePerc = float(v / 100); }); });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        const QString family = QString::fromStdString(s.font);
        fontFamily->setCurrentFont(QFont(family));
        // A font this machine lacks is still the project's choice: show its name.
        if (fontFamily->currentText() != family) fontFamily->setEditText(family);
        const QStringList faces = QFontDatabase::styles(family);
        QStringList shown;
        for (int i = 0; i < fontFace->count(); ++i) shown << fontFace->itemText(i);
        if (shown != faces) {
            fontFace->clear();
            fontFace->addItems(faces);
        }
        fontFace->setCurrentText(QString::fromStdString(s.fontFace));
        fontSize->setValue(int(s.size));
        textColor->setColor(toQColor(s.color));
        alignment->setCurrentIndex(alignment->findData(QString::fromStdString(quelvo::rawValue(s.alignment))));
        lineSpacing->setValue(s.lineSpacing);
        baseline->setValue(double(s.baselinePerc) * 100);
    });
}

void TitlesStylePanel::addStrokeGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* stroke = group(page, tr("Stroke"), this);
    strokeOn = new QCheckBox(tr("Outline the letters"), this);
    strokeColor = new ColorButton(this);
    strokeWidth = number(this, 0, 100, 0.5, 1);
    strokeBlur = number(this, 0, 100, 0.5, 1);
    stroke->addRow(strokeOn);
    stroke->addRow(tr("Colour:"), row({strokeColor}));
    stroke->addRow(tr("Width:"), strokeWidth);
    stroke->addRow(tr("Blur:"), strokeBlur);
    connect(strokeOn, &QCheckBox::toggled, this, [this](bool on) {
        change([&](S& s) {
            if (on) {
                s.strokeWidth = kykit::prefs_getValueDouble(kLastStrokeWidthKey, 2.0);
                if (s.strokeWidth <= 0) s.strokeWidth = 2.0;
            } else {
                if (s.strokeWidth > 0) kykit::prefs_setValueDouble(kLastStrokeWidthKey, s.strokeWidth);
                s.strokeWidth = 0;
            }
        });
    });
    strokeColor->onPick = [this](const QColor& c) { change([&](S& s) { setRGB(s.strokeColor, c); }); };
    connect(strokeWidth, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.strokeWidth = v; }); });
    connect(strokeBlur, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.strokeBlur = v; }); });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        strokeOn->setChecked(s.strokeWidth > 0);
        strokeColor->setColor(toQColor(s.strokeColor));
        strokeWidth->setValue(s.strokeWidth);
        strokeBlur->setValue(s.strokeBlur);
    });
}

void TitlesStylePanel::addShadowGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* shadow = group(page, tr("Shadow"), this);
    shadowOn = new QCheckBox(tr("Drop a shadow"), this);
    shadowColor = new ColorButton(this);
    shadowOpacity = number(this, 0, 100, 5, 0, tr(" %"));
    shadowBlur = number(this, 0, 100, 0.5, 1);
    shadowDistance = number(this, 0, 200, 0.5, 1);
    shadowAngle = number(this, 0, 360, 15, 0, tr("°"));
    shadowAngle->setWrapping(true);
    shadow->addRow(shadowOn);
    shadow->addRow(tr("Colour:"), row({shadowColor}));
    shadow->addRow(tr("Opacity:"), shadowOpacity);
    shadow->addRow(tr("Blur:"), shadowBlur);
    shadow->addRow(tr("Distance:"), shadowDistance);
    shadow->addRow(tr("Angle:"), shadowAngle);
    connect(shadowOn, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.shadow.enable = on; }); });
    shadowColor->onPick = [this](const QColor& c) { change([&](S& s) { setRGB(s.shadow.color, c); }); };
    connect(shadowOpacity, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.opacity = v / 100; }); });
    connect(shadowBlur, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.blur = v; }); });
    connect(shadowDistance, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.distance = v; }); });
    connect(shadowAngle, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.angle = v; }); });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        shadowOn->setChecked(s.shadow.enable);
        shadowColor->setColor(toQColor(s.shadow.color));
        shadowOpacity->setValue(s.shadow.opacity * 100);
        shadowBlur->setValue(s.shadow.blur);
        shadowDistance->setValue(s.shadow.distance);
        shadowAngle->setValue(s.shadow.angle);
    });
}

void TitlesStylePanel::addPatchGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* patch = group(page, tr("Patch"), this);
    patchOn = new QCheckBox(tr("A box behind the text"), this);
    patchColor = new ColorButton(this);
    patchOpacity = number(this, 0, 100, 5, 0, tr(" %"));
    patchWidth = number(this, 0, 100, 1, 1, tr(" % of the width"));
    patchHeight = number(this, 0, 100, 0.5, 1, tr(" % of the height"));
    patchPosition = number(this, 0, 100, 0.5, 1, tr(" % from the bottom"));
    patch->addRow(patchOn);
    patch->addRow(tr("Colour:"), row({patchColor}));
    patch->addRow(tr("Opacity:"), patchOpacity);
    patch->addRow(tr("Width:"), patchWidth);
    patch->addRow(tr("Height:"), patchHeight);
    patch->addRow(tr("Position:"), patchPosition);
    const auto editPatch = [this](const std::function<void(quelvo::Patch&)>& edit) {
        change([&](S& s) {
            if (!s.patch) s.patch = quelvo::Patch{};
            edit(*s.patch);
        });
    };
    connect(patchOn, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.addPatch = on; }); });
    patchColor->onPick = [editPatch](const QColor& c) { editPatch([&](quelvo::Patch& p) { setRGB(p.color, c); }); };
    connect(patchOpacity, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](quelvo::Patch& p) { p.opacity = v / 100; }); });
    connect(patchWidth, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](quelvo::Patch& p) { p.hSize = v / 100; }); });
    connect(patchHeight, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](quelvo::Patch& p) { p.vSize = v / 100; }); });
    connect(patchPosition, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](quelvo::Patch& p) { p.vPosition = v / 100; }); });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        const quelvo::Patch p = s.patch.value_or(quelvo::Patch{});
        patchOn->setChecked(s.addPatch.value_or(false));
        patchColor->setColor(toQColor(p.color));
        patchOpacity->setValue(p.opacity * 100);
        patchWidth->setValue(p.hSize * 100);
        patchHeight->setValue(p.vSize * 100);
        patchPosition->setValue(p.vPosition * 100);
    });
}

void TitlesStylePanel::addTimingGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* timing = group(page, tr("Timing"), this);
    minDuration = number(this, 0, 60, 0.1, 2, tr(" s"));
    minDuration->setToolTip(tr("Shorter titles are lengthened to this"));
    extendAfter = number(this, 0, 60, 0.1, 2, tr(" s"));
    extendAfter->setToolTip(tr("Every title stays this much longer than its subtitle"));
    avoidOverlap = new QCheckBox(tr("Avoid overlaps (one lane, a title ends before the next)"), this);
    blankFrame = new QCheckBox(tr("One blank frame between titles"), this);
    nonZeroStart = new QCheckBox(tr("Follow the video's start timecode"), this);
    frameRate = new QComboBox(this);
    frameRate->addItem(tr("The video's (else 30)"), QVariant());
    for (double r : kFrameRates) frameRate->addItem(QString::number(r), r);
    frameRate->setToolTip(tr("The timeline's frame rate when no video gives one"));
    timing->addRow(tr("Minimum duration:"), minDuration);
    timing->addRow(tr("Extend after:"), extendAfter);
    timing->addRow(avoidOverlap);
    timing->addRow(blankFrame);
    timing->addRow(nonZeroStart);
    timing->addRow(tr("Timeline frame rate:"), frameRate);
    connect(minDuration, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.minDuration = v; }); });
    connect(extendAfter, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.extendAfter = v; }); });
    connect(avoidOverlap, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.avoidOverlap = on; }); });
    connect(blankFrame, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.add1BlankFrame = on; }); });
    connect(nonZeroStart, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.handleNonZeroStartTime = on; }); });
    connect(frameRate, &QComboBox::currentIndexChanged, this, [this](int i) {
        const QVariant v = frameRate->itemData(i);
        change([&](S& s) { s.timeLineFPS = v.isValid() ? std::optional<double>(v.toDouble()) : std::nullopt; });
    });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        minDuration->setValue(s.minDuration);
        extendAfter->setValue(s.extendAfter);
        avoidOverlap->setChecked(s.avoidOverlap.value_or(false));
        blankFrame->setChecked(s.add1BlankFrame);
        nonZeroStart->setChecked(s.handleNonZeroStartTime);
        int index = 0;
        if (s.timeLineFPS) {
            index = frameRate->findData(*s.timeLineFPS);
            if (index < 0) { // a rate written by hand keeps its place
                frameRate->addItem(QString::number(*s.timeLineFPS), *s.timeLineFPS);
                index = frameRate->count() - 1;
            }
        }
        frameRate->setCurrentIndex(index);
    });
}

void TitlesStylePanel::addTextHandlingGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* handling = group(page, tr("Text handling"), this);
    splitLines = new QCheckBox(tr("Split long lines at"), this);
    splitLength = whole(this, 1, 1000, tr(" characters"));
    ignoreI = new QCheckBox(tr("<i>"), this);
    ignoreB = new QCheckBox(tr("<b>"), this);
    ignoreFont = new QCheckBox(tr("<font>"), this);
    ignoreU = new QCheckBox(tr("<u>"), this);
    handling->addRow(row({splitLines, splitLength}));
    handling->addRow(tr("Remove tags:"), row({ignoreI, ignoreB, ignoreFont, ignoreU}));
    const auto editSplit = [this](const std::function<void(quelvo::SplitText&)>& edit) {
        change([&](S& s) {
            if (!s.splitText) s.splitText = quelvo::SplitText{};
            edit(*s.splitText);
        });
    };
    connect(splitLines, &QCheckBox::toggled, this, [editSplit](bool on) { editSplit([&](auto& t) { t.split = on; }); });
    connect(splitLength, &QSpinBox::valueChanged, this, [editSplit](int v) { editSplit([&](auto& t) { t.length = v; }); });
    connect(ignoreI, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.ignore.ignoreITags = on; }); });
    connect(ignoreB, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.ignore.ignoreBTags = on; }); });
    connect(ignoreFont, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.ignore.ignoreFontTags = on; }); });
    connect(ignoreU, &QCheckBox::toggled, this, [this](bool on) { change([&](S& s) { s.ignore.ignoreUTags = on; }); });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        const quelvo::SplitText split = s.splitText.value_or(quelvo::SplitText{});
        splitLines->setChecked(split.split);
        splitLength->setValue(int(split.length));
        ignoreI->setChecked(s.ignore.ignoreITags);
        ignoreB->setChecked(s.ignore.ignoreBTags);
        ignoreFont->setChecked(s.ignore.ignoreFontTags);
        ignoreU->setChecked(s.ignore.ignoreUTags);
    });
}

void TitlesStylePanel::addTemplateGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* templ = group(page, tr("Template"), this);
    templateOn = new QCheckBox(tr("Use a custom title template"), this);
    templateOn->setToolTip(tr("The template's own colours, stroke and shadow then apply"));
    templatePath = new QLineEdit(this);
    templatePath->setReadOnly(true);
    templatePath->setPlaceholderText(tr("No template file chosen"));
    auto* choose = new QPushButton(tr("Choose…"), this);
    templ->addRow(templateOn);
    auto* templRow = new QHBoxLayout;
    templRow->addWidget(templatePath, 1);
    templRow->addWidget(choose);
    templ->addRow(templRow);
    connect(templateOn, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.customTitle.enable = on; }); });
    connect(choose, &QPushButton::clicked, this, &TitlesStylePanel::chooseTemplate);
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        templateOn->setChecked(s.customTitle.enable);
        templatePath->setText(s.customTitle.sourceUrl
                                  ? QString::fromStdString(kymovie::pathFromFileUrl(*s.customTitle.sourceUrl))
                                  : QString());
    });
}

void TitlesStylePanel::addOutputGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* output = group(page, tr("Output"), this);
    frameSizeChoice = new QComboBox(this);
    for (const FrameSizeChoice& f : kFrameSizes) frameSizeChoice->addItem(tr(f.text), QSize(f.width, f.height));
    frameSizeChoice->addItem(tr("Custom"), QSize());
    frameWidth = whole(this, quelvo::kMinFrameSide, quelvo::kMaxFrameSide);
    frameHeight = whole(this, quelvo::kMinFrameSide, quelvo::kMaxFrameSide);
    output->addRow(tr("Frame size:"), frameSizeChoice);
    output->addRow(QString(), row({frameWidth, new QLabel(tr("×"), this), frameHeight}));
    connect(frameSizeChoice, &QComboBox::currentIndexChanged, this, [this](int i) {
        const QSize size = frameSizeChoice->itemData(i).toSize();
        if (size.isValid()) change([&](S& s) { s.frameSize = {double(size.width()), double(size.height())}; });
    });
    connect(frameWidth, &QSpinBox::valueChanged, this, [this](int v) { change([&](S& s) { s.frameSize.width = v; }); });
    connect(frameHeight, &QSpinBox::valueChanged, this,
            [this](int v) { change([&](S& s) { s.frameSize.height = v; }); });
    bind([this] {
        const S& s = FCPXML_Titles_Settings::shared();
        frameWidth->setValue(int(s.frameSize.width));
        frameHeight->setValue(int(s.frameSize.height));
        const int index = frameSizeChoice->findData(QSize(int(s.frameSize.width), int(s.frameSize.height)));
        frameSizeChoice->setCurrentIndex(index >= 0 ? index : frameSizeChoice->count() - 1);
    });
}

TitlesStylePanel::~TitlesStylePanel() { kykit::KyNotify::removeObserver(m_observer); }

void TitlesStylePanel::chooseTemplate() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Choose a Title Template"), templatePath->text(),
                                                      tr("Motion titles (*.moti);;All files (*)"));
    if (path.isEmpty()) return;
    change([&](Settings& s) {
        s.customTitle.sourceUrl = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
        s.customTitle.enable = true;
    });
}

void TitlesStylePanel::enableDependents() {
    for (QWidget* w : std::initializer_list<QWidget*>{strokeColor, strokeWidth, strokeBlur})
        w->setEnabled(strokeOn->isChecked());
    for (QWidget* w :
         std::initializer_list<QWidget*>{shadowColor, shadowOpacity, shadowBlur, shadowDistance, shadowAngle})
        w->setEnabled(shadowOn->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{patchColor, patchOpacity, patchWidth, patchHeight, patchPosition})
        w->setEnabled(patchOn->isChecked());
    splitLength->setEnabled(splitLines->isChecked());
}

void TitlesStylePanel::refresh() {
    m_refreshing = true;
    for (const auto& show : m_shows) show();
    m_refreshing = false;
    enableDependents();
}

} // namespace kyui
