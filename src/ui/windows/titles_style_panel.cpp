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

#include "base/notifier.h"
#include "base/settings_store.h"
#include "titles/titles_settings.h"
#include "ui/kit/wheel_guard.h"
#include "ui/windows/color_button.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo::ui {

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
    {"1920 × 1080 (HD)", 1920, 1080},     {"3840 × 2160 (4K UHD)", 3840, 2160},
    {"1280 × 720 (720p)", 1280, 720},     {"1080 × 1920 (vertical)", 1080, 1920},
    {"1080 × 1080 (square)", 1080, 1080}, {"2048 × 1080 (2K DCI)", 2048, 1080},
};

const double kFrameRates[] = {23.976, 24, 25, 29.97, 30, 50, 59.94, 60};

QColor toQColor(const RgbaColor& c) {
    return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue));
}

// The picked colour in the model's form; the stored alpha stays.
void setRGB(RgbaColor& target, const QColor& c) {
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
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    return layout;
}

} // namespace

void TitlesStylePanel::storeAndAnnounce() {
    TitlesSettings::shared().save();
    Notifier::notify(kSettingsChangedKey);
}

void TitlesStylePanel::change(const std::function<void(Settings&)>& edit) {
    if (m_refreshing) return;
    edit(TitlesSettings::shared());
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
    m_observer = Notifier::observe(kSettingsChangedKey, [self = QPointer<TitlesStylePanel>(this)] {
        if (self) self->refresh();
    });
}

void TitlesStylePanel::addTextGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* text = group(page, tr("Text"), this);
    m_fontFamily = new QFontComboBox(this);
    m_fontFamily->setToolTip(
        tr("The font; Final Cut Pro uses the one of this name on the editing Mac"));
    m_fontFace = new QComboBox(this);
    m_fontFace->setEditable(true);
    m_fontFace->setToolTip(tr("The face (style) of the font: Regular, Bold, ..."));
    m_fontSize = whole(this, 1, 1000);
    m_textColor = new ColorButton(this);
    m_alignment = new QComboBox(this);
    for (Alignment a : quelvo::kAllAlignments)
        m_alignment->addItem(QString::fromStdString(quelvo::displayText(a)),
                             QString::fromStdString(quelvo::rawValue(a)));
    m_lineSpacing = number(this, -200, 500, 1, 1);
    m_baseline = number(this, -50, 150, 0.5, 1, tr(" % of the height"));
    m_baseline->setToolTip(
        tr("Where the last line's baseline sits, measured up from the bottom of the frame"));
    text->addRow(tr("Font:"), m_fontFamily);
    text->addRow(tr("Face:"), m_fontFace);
    text->addRow(tr("Size:"), row({m_fontSize, new QLabel(tr("Colour:"), this), m_textColor}));
    text->addRow(tr("Alignment:"), m_alignment);
    text->addRow(tr("Line spacing:"), m_lineSpacing);
    text->addRow(tr("Baseline:"), m_baseline);
    connect(m_fontFamily, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        const QStringList faces = QFontDatabase::styles(f.family());
        {
            const QSignalBlocker block(m_fontFace);
            m_fontFace->clear();
            m_fontFace->addItems(faces);
        }
        change([&](S& s) {
            s.font = f.family().toStdString();
            // The face stays when the new family has it, else its first one.
            if (!faces.isEmpty() && !faces.contains(QString::fromStdString(s.fontFace)))
                s.fontFace = faces.first().toStdString();
        });
    });
    connect(m_fontFace, &QComboBox::currentTextChanged, this, [this](const QString& face) {
        if (!face.isEmpty()) change([&](S& s) { s.fontFace = face.toStdString(); });
    });
    connect(m_fontSize, &QSpinBox::valueChanged, this,
            [this](int v) { change([&](S& s) { s.size = v; }); });
    m_textColor->onPick = [this](const QColor& c) { change([&](S& s) { setRGB(s.color, c); }); };
    connect(m_alignment, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) change([&](S& s) { s.alignment = quelvo::kAllAlignments[size_t(i)]; });
    });
    connect(m_lineSpacing, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.lineSpacing = v; }); });
    connect(m_baseline, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.baselinePerc = float(v / 100); }); });
    bind([this] {
        const S& s = TitlesSettings::shared();
        const QString family = QString::fromStdString(s.font);
        m_fontFamily->setCurrentFont(QFont(family));
        // A font this machine lacks is still the project's choice: show its name.
        if (m_fontFamily->currentText() != family) m_fontFamily->setEditText(family);
        const QStringList faces = QFontDatabase::styles(family);
        QStringList shown;
        for (int i = 0; i < m_fontFace->count(); ++i)
            shown << m_fontFace->itemText(i);
        if (shown != faces) {
            m_fontFace->clear();
            m_fontFace->addItems(faces);
        }
        m_fontFace->setCurrentText(QString::fromStdString(s.fontFace));
        m_fontSize->setValue(int(s.size));
        m_textColor->setColor(toQColor(s.color));
        m_alignment->setCurrentIndex(
            m_alignment->findData(QString::fromStdString(quelvo::rawValue(s.alignment))));
        m_lineSpacing->setValue(s.lineSpacing);
        m_baseline->setValue(double(s.baselinePerc) * 100);
    });
}

void TitlesStylePanel::addStrokeGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* stroke = group(page, tr("Stroke"), this);
    m_strokeOn = new QCheckBox(tr("Outline the letters"), this);
    m_strokeColor = new ColorButton(this);
    m_strokeWidth = number(this, 0, 100, 0.5, 1);
    m_strokeBlur = number(this, 0, 100, 0.5, 1);
    stroke->addRow(m_strokeOn);
    stroke->addRow(tr("Colour:"), row({m_strokeColor}));
    stroke->addRow(tr("Width:"), m_strokeWidth);
    stroke->addRow(tr("Blur:"), m_strokeBlur);
    connect(m_strokeOn, &QCheckBox::toggled, this, [this](bool on) {
        change([&](S& s) {
            if (on) {
                s.strokeWidth = quelvo::storedDouble(kLastStrokeWidthKey, 2.0);
                if (s.strokeWidth <= 0) s.strokeWidth = 2.0;
            } else {
                if (s.strokeWidth > 0) quelvo::storeDouble(kLastStrokeWidthKey, s.strokeWidth);
                s.strokeWidth = 0;
            }
        });
    });
    m_strokeColor->onPick = [this](const QColor& c) {
        change([&](S& s) { setRGB(s.strokeColor, c); });
    };
    connect(m_strokeWidth, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.strokeWidth = v; }); });
    connect(m_strokeBlur, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.strokeBlur = v; }); });
    bind([this] {
        const S& s = TitlesSettings::shared();
        m_strokeOn->setChecked(s.strokeWidth > 0);
        m_strokeColor->setColor(toQColor(s.strokeColor));
        m_strokeWidth->setValue(s.strokeWidth);
        m_strokeBlur->setValue(s.strokeBlur);
    });
}

void TitlesStylePanel::addShadowGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* shadow = group(page, tr("Shadow"), this);
    m_shadowOn = new QCheckBox(tr("Drop a shadow"), this);
    m_shadowColor = new ColorButton(this);
    m_shadowOpacity = number(this, 0, 100, 5, 0, tr(" %"));
    m_shadowBlur = number(this, 0, 100, 0.5, 1);
    m_shadowDistance = number(this, 0, 200, 0.5, 1);
    m_shadowAngle = number(this, 0, 360, 15, 0, tr("°"));
    m_shadowAngle->setWrapping(true);
    shadow->addRow(m_shadowOn);
    shadow->addRow(tr("Colour:"), row({m_shadowColor}));
    shadow->addRow(tr("Opacity:"), m_shadowOpacity);
    shadow->addRow(tr("Blur:"), m_shadowBlur);
    shadow->addRow(tr("Distance:"), m_shadowDistance);
    shadow->addRow(tr("Angle:"), m_shadowAngle);
    connect(m_shadowOn, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.shadow.enable = on; }); });
    m_shadowColor->onPick = [this](const QColor& c) {
        change([&](S& s) { setRGB(s.shadow.color, c); });
    };
    connect(m_shadowOpacity, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.opacity = v / 100; }); });
    connect(m_shadowBlur, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.blur = v; }); });
    connect(m_shadowDistance, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.distance = v; }); });
    connect(m_shadowAngle, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.shadow.angle = v; }); });
    bind([this] {
        const S& s = TitlesSettings::shared();
        m_shadowOn->setChecked(s.shadow.enable);
        m_shadowColor->setColor(toQColor(s.shadow.color));
        m_shadowOpacity->setValue(s.shadow.opacity * 100);
        m_shadowBlur->setValue(s.shadow.blur);
        m_shadowDistance->setValue(s.shadow.distance);
        m_shadowAngle->setValue(s.shadow.angle);
    });
}

void TitlesStylePanel::addPatchGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* patch = group(page, tr("Patch"), this);
    m_patchOn = new QCheckBox(tr("A box behind the text"), this);
    m_patchColor = new ColorButton(this);
    m_patchOpacity = number(this, 0, 100, 5, 0, tr(" %"));
    m_patchWidth = number(this, 0, 100, 1, 1, tr(" % of the width"));
    m_patchHeight = number(this, 0, 100, 0.5, 1, tr(" % of the height"));
    m_patchPosition = number(this, 0, 100, 0.5, 1, tr(" % from the bottom"));
    patch->addRow(m_patchOn);
    patch->addRow(tr("Colour:"), row({m_patchColor}));
    patch->addRow(tr("Opacity:"), m_patchOpacity);
    patch->addRow(tr("Width:"), m_patchWidth);
    patch->addRow(tr("Height:"), m_patchHeight);
    patch->addRow(tr("Position:"), m_patchPosition);
    const auto editPatch = [this](const std::function<void(Patch&)>& edit) {
        change([&](S& s) {
            if (!s.patch) s.patch = Patch{};
            edit(*s.patch);
        });
    };
    connect(m_patchOn, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.addPatch = on; }); });
    m_patchColor->onPick = [editPatch](const QColor& c) {
        editPatch([&](Patch& p) { setRGB(p.color, c); });
    };
    connect(m_patchOpacity, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](Patch& p) { p.opacity = v / 100; }); });
    connect(m_patchWidth, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](Patch& p) { p.hSize = v / 100; }); });
    connect(m_patchHeight, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](Patch& p) { p.vSize = v / 100; }); });
    connect(m_patchPosition, &QDoubleSpinBox::valueChanged, this,
            [editPatch](double v) { editPatch([&](Patch& p) { p.vPosition = v / 100; }); });
    bind([this] {
        const S& s = TitlesSettings::shared();
        const Patch p = s.patch.value_or(Patch{});
        m_patchOn->setChecked(s.addPatch.value_or(false));
        m_patchColor->setColor(toQColor(p.color));
        m_patchOpacity->setValue(p.opacity * 100);
        m_patchWidth->setValue(p.hSize * 100);
        m_patchHeight->setValue(p.vSize * 100);
        m_patchPosition->setValue(p.vPosition * 100);
    });
}

void TitlesStylePanel::addTimingGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* timing = group(page, tr("Timing"), this);
    m_minDuration = number(this, 0, 60, 0.1, 2, tr(" s"));
    m_minDuration->setToolTip(tr("Shorter titles are lengthened to this"));
    m_extendAfter = number(this, 0, 60, 0.1, 2, tr(" s"));
    m_extendAfter->setToolTip(tr("Every title stays this much longer than its subtitle"));
    m_avoidOverlap =
        new QCheckBox(tr("Avoid overlaps (one lane, a title ends before the next)"), this);
    m_blankFrame = new QCheckBox(tr("One blank frame between titles"), this);
    m_nonZeroStart = new QCheckBox(tr("Follow the video's start timecode"), this);
    m_frameRate = new QComboBox(this);
    m_frameRate->addItem(tr("The video's (else 30)"), QVariant());
    for (double r : kFrameRates)
        m_frameRate->addItem(QString::number(r), r);
    m_frameRate->setToolTip(tr("The timeline's frame rate when no video gives one"));
    timing->addRow(tr("Minimum duration:"), m_minDuration);
    timing->addRow(tr("Extend after:"), m_extendAfter);
    timing->addRow(m_avoidOverlap);
    timing->addRow(m_blankFrame);
    timing->addRow(m_nonZeroStart);
    timing->addRow(tr("Timeline frame rate:"), m_frameRate);
    connect(m_minDuration, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.minDuration = v; }); });
    connect(m_extendAfter, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](S& s) { s.extendAfter = v; }); });
    connect(m_avoidOverlap, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.avoidOverlap = on; }); });
    connect(m_blankFrame, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.add1BlankFrame = on; }); });
    connect(m_nonZeroStart, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.handleNonZeroStartTime = on; }); });
    connect(m_frameRate, &QComboBox::currentIndexChanged, this, [this](int i) {
        const QVariant v = m_frameRate->itemData(i);
        change([&](S& s) {
            s.timeLineFPS = v.isValid() ? std::optional<double>(v.toDouble()) : std::nullopt;
        });
    });
    bind([this] {
        const S& s = TitlesSettings::shared();
        m_minDuration->setValue(s.minDuration);
        m_extendAfter->setValue(s.extendAfter);
        m_avoidOverlap->setChecked(s.avoidOverlap.value_or(false));
        m_blankFrame->setChecked(s.add1BlankFrame);
        m_nonZeroStart->setChecked(s.handleNonZeroStartTime);
        int index = 0;
        if (s.timeLineFPS) {
            index = m_frameRate->findData(*s.timeLineFPS);
            if (index < 0) { // a rate written by hand keeps its place
                m_frameRate->addItem(QString::number(*s.timeLineFPS), *s.timeLineFPS);
                index = m_frameRate->count() - 1;
            }
        }
        m_frameRate->setCurrentIndex(index);
    });
}

void TitlesStylePanel::addTextHandlingGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* handling = group(page, tr("Text handling"), this);
    m_splitLines = new QCheckBox(tr("Split long lines at"), this);
    m_splitLength = whole(this, 1, 1000, tr(" characters"));
    m_ignoreI = new QCheckBox(tr("<i>"), this);
    m_ignoreB = new QCheckBox(tr("<b>"), this);
    m_ignoreFont = new QCheckBox(tr("<font>"), this);
    m_ignoreU = new QCheckBox(tr("<u>"), this);
    handling->addRow(row({m_splitLines, m_splitLength}));
    handling->addRow(tr("Remove tags:"), row({m_ignoreI, m_ignoreB, m_ignoreFont, m_ignoreU}));
    const auto editSplit = [this](const std::function<void(SplitText&)>& edit) {
        change([&](S& s) {
            if (!s.splitText) s.splitText = SplitText{};
            edit(*s.splitText);
        });
    };
    connect(m_splitLines, &QCheckBox::toggled, this,
            [editSplit](bool on) { editSplit([&](auto& t) { t.split = on; }); });
    connect(m_splitLength, &QSpinBox::valueChanged, this,
            [editSplit](int v) { editSplit([&](auto& t) { t.length = v; }); });
    connect(m_ignoreI, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.ignore.ignoreITags = on; }); });
    connect(m_ignoreB, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.ignore.ignoreBTags = on; }); });
    connect(m_ignoreFont, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.ignore.ignoreFontTags = on; }); });
    connect(m_ignoreU, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.ignore.ignoreUTags = on; }); });
    bind([this] {
        const S& s = TitlesSettings::shared();
        const SplitText split = s.splitText.value_or(SplitText{});
        m_splitLines->setChecked(split.split);
        m_splitLength->setValue(int(split.length));
        m_ignoreI->setChecked(s.ignore.ignoreITags);
        m_ignoreB->setChecked(s.ignore.ignoreBTags);
        m_ignoreFont->setChecked(s.ignore.ignoreFontTags);
        m_ignoreU->setChecked(s.ignore.ignoreUTags);
    });
}

void TitlesStylePanel::addTemplateGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* templ = group(page, tr("Template"), this);
    m_templateOn = new QCheckBox(tr("Use a custom title template"), this);
    m_templateOn->setToolTip(tr("The template's own colours, stroke and shadow then apply"));
    m_templatePath = new QLineEdit(this);
    m_templatePath->setReadOnly(true);
    m_templatePath->setPlaceholderText(tr("No template file chosen"));
    auto* choose = new QPushButton(tr("Choose…"), this);
    templ->addRow(m_templateOn);
    auto* templRow = new QHBoxLayout;
    templRow->addWidget(m_templatePath, 1);
    templRow->addWidget(choose);
    templ->addRow(templRow);
    connect(m_templateOn, &QCheckBox::toggled, this,
            [this](bool on) { change([&](S& s) { s.customTitle.enable = on; }); });
    connect(choose, &QPushButton::clicked, this, &TitlesStylePanel::chooseTemplate);
    bind([this] {
        const S& s = TitlesSettings::shared();
        m_templateOn->setChecked(s.customTitle.enable);
        m_templatePath->setText(
            s.customTitle.sourceUrl
                ? QString::fromStdString(quelvo::pathFromFileUrl(*s.customTitle.sourceUrl))
                : QString());
    });
}

void TitlesStylePanel::addOutputGroup(QVBoxLayout* page) {
    using S = Settings;
    QFormLayout* output = group(page, tr("Output"), this);
    m_frameSizeChoice = new QComboBox(this);
    for (const FrameSizeChoice& f : kFrameSizes)
        m_frameSizeChoice->addItem(tr(f.text), QSize(f.width, f.height));
    m_frameSizeChoice->addItem(tr("Custom"), QSize());
    m_frameWidth = whole(this, quelvo::kMinFrameSide, quelvo::kMaxFrameSide);
    m_frameHeight = whole(this, quelvo::kMinFrameSide, quelvo::kMaxFrameSide);
    output->addRow(tr("Frame size:"), m_frameSizeChoice);
    output->addRow(QString(), row({m_frameWidth, new QLabel(tr("×"), this), m_frameHeight}));
    connect(m_frameSizeChoice, &QComboBox::currentIndexChanged, this, [this](int i) {
        const QSize size = m_frameSizeChoice->itemData(i).toSize();
        if (size.isValid())
            change([&](S& s) { s.frameSize = {double(size.width()), double(size.height())}; });
    });
    connect(m_frameWidth, &QSpinBox::valueChanged, this,
            [this](int v) { change([&](S& s) { s.frameSize.width = v; }); });
    connect(m_frameHeight, &QSpinBox::valueChanged, this,
            [this](int v) { change([&](S& s) { s.frameSize.height = v; }); });
    bind([this] {
        const S& s = TitlesSettings::shared();
        m_frameWidth->setValue(int(s.frameSize.width));
        m_frameHeight->setValue(int(s.frameSize.height));
        const int index =
            m_frameSizeChoice->findData(QSize(int(s.frameSize.width), int(s.frameSize.height)));
        m_frameSizeChoice->setCurrentIndex(index >= 0 ? index : m_frameSizeChoice->count() - 1);
    });
}

TitlesStylePanel::~TitlesStylePanel() {
    Notifier::removeObserver(m_observer);
}

void TitlesStylePanel::chooseTemplate() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Choose a Title Template"), m_templatePath->text(),
                                     tr("Motion titles (*.moti);;All files (*)"));
    if (path.isEmpty()) return;
    change([&](Settings& s) {
        s.customTitle.sourceUrl =
            QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
        s.customTitle.enable = true;
    });
}

void TitlesStylePanel::enableDependents() {
    for (QWidget* w : std::initializer_list<QWidget*>{m_strokeColor, m_strokeWidth, m_strokeBlur})
        w->setEnabled(m_strokeOn->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{m_shadowColor, m_shadowOpacity, m_shadowBlur,
                                                      m_shadowDistance, m_shadowAngle})
        w->setEnabled(m_shadowOn->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{m_patchColor, m_patchOpacity, m_patchWidth,
                                                      m_patchHeight, m_patchPosition})
        w->setEnabled(m_patchOn->isChecked());
    m_splitLength->setEnabled(m_splitLines->isChecked());
}

void TitlesStylePanel::refresh() {
    m_refreshing = true;
    for (const auto& show : m_shows)
        show();
    m_refreshing = false;
    enableDependents();
}

} // namespace quelvo::ui
