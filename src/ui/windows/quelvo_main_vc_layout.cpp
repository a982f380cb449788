// The main window's controls and their arrangement. Sizes come from the
// font, never from pixel counts, so the window looks the same at 100 % and
// 200 % and its minimum size never clips a text.
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/kit/bold_label.h"
#include "ui/kit/ky_check_button.h"
#include "ui/kit/ky_drag_area.h"
#include "ui/kit/ky_slider.h"
#include "ui/kit/ky_text_field.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/quelvo_main_vc.h"

namespace kyui {

namespace {

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* musicShorterNote(QWidget* parent) {
    auto* note = new QLabel(parent);
    note->setObjectName("lblMusicShorter");
    // Orange, as the Can't read badge: a file to look at again, no error.
    note->setStyleSheet(QStringLiteral("color: #c25e00;"));
    note->setWordWrap(true);
    note->hide();
    return note;
}

} // namespace

// One of the three file columns: its heading, drop area, duration line and
// the extras that belong to it.
struct QuelvoMainVC::FileColumn {
    const char* title;
    const char* tip;
    KyDragArea** area;
    QLabel** duration;
    MissingFileMarker** marker;
    const char* widest; // the longest duration text, for the column width
};

void QuelvoMainVC::buildLayout() {
    const QFontMetrics fm(font());
    const int unit = fm.height();
    QHBoxLayout* files = buildFileColumns(unit);
    QGridLayout* levels = buildLevels(unit);
    QGridLayout* project = buildProjectRows(unit);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(2 * unit);
    bottom->addLayout(project, 1);
    bottom->addWidget(btnExportMix, 0, Qt::AlignBottom);
    bottom->addWidget(btnDuck, 0, Qt::AlignBottom);

    // The captions of the two lower blocks line up in one column.
    int captionWidth = 0;
    for (const char* caption : {"Ducking depth:", "Music level:", "Project name:", "Music role:"})
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(tr(caption)));
    levels->setColumnMinimumWidth(0, captionWidth);
    project->setColumnMinimumWidth(0, captionWidth);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(unit, unit, unit, unit);
    page->setSpacing(unit * 2 / 3);
    page->addLayout(files, 1);
    page->addWidget(separator(this));
    page->addLayout(levels);
    page->addWidget(separator(this));
    page->addLayout(bottom);
    // The last job's result, below everything it came from.
    resultPanel = new JobResultPanel(this);
    page->addWidget(resultPanel);
    // The preview takes the room the window grows by.
    preview = new PreviewPanel(this);
    page->addWidget(separator(this));
    page->addWidget(preview, 2);
}

QHBoxLayout* QuelvoMainVC::buildFileColumns(int unit) {
    const FileColumn columns[] = {
        {"Dialogue", "The recording of the speaker. The project is saved next to it.", &drgSpeaker,
         &lblDialogueDuration, &imgDialogueFileMissing, "Dialogue File Duration: 88:88:88.888"},
        {"Music", "The music that goes down while someone speaks.", &drgMusic, &lblMusicDuration,
         &imgMusicFileMissing, "Music File Duration: 88:88:88.888"},
        {"Filler (optional)", "Music that fills the silent stretches of the music file.",
         &drgFiller, &lblFillerDuration, &imgFillerFileMissing,
         "Filler File Duration: 88:88:88.888"},
    };
    btnClear = new QToolButton(this);
    btnClear->setText(tr("Clear"));
    btnClear->setToolTip(tr("Forget the filler file"));
    // Raised like any button: a flat one reads as a label.
    btnClear->setAutoRaise(false);
    btnRemoveDialogue = new QToolButton(this);
    btnRemoveDialogue->setText(tr("Remove"));
    btnRemoveDialogue->setToolTip(tr("Take the dialogue file off the window"));
    btnRemoveDialogue->setAutoRaise(false);
    btnRemoveDialogue->hide();
    dialogueRows = new DialogueFileRows(this);
    dialogueRows->setObjectName("dialogueRows");
    dialogueRows->hide();
    const int headerHeight = std::max(btnClear->sizeHint().height(), unit);
    int columnWidth = 0;
    // Digits may differ in width; a little slack covers the label's own margins.
    const QFontMetrics fm(font());
    for (const FileColumn& c : columns)
        columnWidth = std::max(columnWidth, fm.horizontalAdvance(c.widest));
    columnWidth += unit / 2;

    auto* files = new QHBoxLayout;
    files->setSpacing(unit);
    for (const FileColumn& c : columns)
        files->addLayout(buildFileColumn(c, unit, columnWidth, headerHeight), 1);
    return files;
}

QVBoxLayout* QuelvoMainVC::buildFileColumn(const FileColumn& c, int unit, int columnWidth,
                                           int headerHeight) {
    auto* header = new QHBoxLayout;
    QLabel* title = boldLabel(tr(c.title), this);
    title->setMinimumHeight(headerHeight);
    header->addWidget(title);
    header->addStretch();
    if (c.area == &drgFiller) header->addWidget(btnClear);
    if (c.area == &drgSpeaker) header->addWidget(btnRemoveDialogue);

    auto* area = new KyDragArea(this);
    area->setToolTip(tr(c.tip));
    area->setAccessibleName(tr(c.title));
    area->setMinimumWidth(columnWidth);
    *c.area = area;
    // The marker sits in the drop area's corner, next to the file's name.
    auto* marker = new MissingFileMarker(area);
    auto* corner = new QGridLayout(area);
    const int inset = unit / 2;
    corner->setContentsMargins(inset, inset, inset, inset);
    corner->addWidget(marker, 0, 0, Qt::AlignTop | Qt::AlignRight);
    marker->hide();
    *c.marker = marker;

    auto* duration = new QLabel(this);
    duration->setMinimumWidth(columnWidth);
    duration->setMinimumHeight(unit);
    duration->setTextInteractionFlags(Qt::TextSelectableByMouse);
    *c.duration = duration;

    auto* column = new QVBoxLayout;
    column->setSpacing(unit / 3);
    column->addLayout(header);
    column->addWidget(area, 1);
    if (c.area == &drgSpeaker) column->addWidget(dialogueRows);
    column->addWidget(duration);
    if (c.area == &drgMusic) column->addWidget(lblMusicShorter = musicShorterNote(this));
    return column;
}

QGridLayout* QuelvoMainVC::buildLevels(int unit) {
    decrease = new KySlider(this);
    decrease->setRange(quelvo::settings::kDecrease.minimum, quelvo::settings::kDecrease.maximum);
    decrease->setToolTip(tr("How far the music goes down while someone speaks"));
    decreaseLabel = new QLabel(this);
    decreaseDBLabel = new QLabel(tr("dB"), this);
    depthModeNote = new QLabel(this);
    depthModeNote->setObjectName("depthModeNote");
    depthModeNote->hide();
    chkDecreaseToZero = new KyCheckButton(tr("Decrease to zero (mute the music while someone speaks)"), this);
    overallMusicLevelSlider = new KySlider(this);
    overallMusicLevelSlider->setRange(quelvo::settings::kOverallMusicLevel.minimum,
                                      quelvo::settings::kOverallMusicLevel.maximum);
    overallMusicLevelSlider->setShowsPlusSign(true);
    overallMusicLevelSlider->setToolTip(tr("The music's level where nobody speaks"));
    overallMusicLevelLabel = new QLabel(this);
    overallMusicLevelDBLabel = new QLabel(tr("dB"), this);
    for (QLabel* value : {decreaseLabel, overallMusicLevelLabel})
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (KySlider* slider : {decrease, overallMusicLevelSlider}) {
        slider->setMinimumWidth(16 * unit);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(6);
    }

    auto* levels = new QGridLayout;
    levels->setHorizontalSpacing(unit * 2 / 3);
    levels->setVerticalSpacing(unit / 2);
    levels->addWidget(new QLabel(tr("Ducking depth:"), this), 0, 0);
    levels->addWidget(decrease, 0, 1);
    levels->addWidget(decreaseLabel, 0, 2);
    levels->addWidget(decreaseDBLabel, 0, 3);
    levels->addWidget(depthModeNote, 1, 1, 1, 3);
    levels->addWidget(chkDecreaseToZero, 2, 1, 1, 3);
    levels->addWidget(new QLabel(tr("Music level:"), this), 3, 0);
    levels->addWidget(overallMusicLevelSlider, 3, 1);
    levels->addWidget(overallMusicLevelLabel, 3, 2);
    levels->addWidget(overallMusicLevelDBLabel, 3, 3);
    levels->setColumnStretch(1, 1);
    return levels;
}

void QuelvoMainVC::buildProjectControls(int unit) {
    projectName = new KyTextField(this);
    projectName->setPlaceholderText(tr("Name of the project in Final Cut Pro"));
    projectName->setMinimumWidth(18 * unit);
    projectName->setToolTip(tr("The project and event names in Final Cut Pro"));
    lblRole = boldLabel(QString(), this);
    lblRole->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("Dialogue") + unit);
    btnRole = new QPushButton(tr("Change Role…"), this);
    btnRole->setToolTip(tr("The audio role of the music clip in Final Cut Pro"));
    btnDuck = new QPushButton(tr("Duck"), this);
    btnDuck->setObjectName("btnDuck");
    btnDuck->setDefault(true);
    QFont duckFont = btnDuck->font();
    duckFont.setBold(true);
    duckFont.setPointSizeF(duckFont.pointSizeF() * 1.15);
    btnDuck->setFont(duckFont);
    btnDuck->setMinimumSize(8 * unit, 2 * unit + unit / 2);
    btnDuck->setToolTip(tr("Make the Final Cut Pro project"));
    btnExportMix = new QPushButton(tr("Export Mix…"), this);
    btnExportMix->setObjectName("btnExportMix");
    btnExportMix->setMinimumHeight(2 * unit + unit / 2);
    btnExportMix->setToolTip(tr("Write the ducked mix as an audio file (WAV, FLAC or M4A)"));

    btnKyNews = new QToolButton(this);
    btnKyNews->setText(tr("What's New"));
    btnKyNews->setAutoRaise(false);
    btnKyNews->setToolTip(tr("The release notes of this version"));
}

QGridLayout* QuelvoMainVC::buildProjectRows(int unit) {
    buildProjectControls(unit);
    auto* roleRow = new QHBoxLayout;
    // A long custom role name must not run into the button.
    roleRow->setSpacing(unit * 2 / 3);
    roleRow->addWidget(lblRole);
    roleRow->addWidget(btnRole);
    roleRow->addStretch();
    roleRow->addWidget(btnKyNews);

    auto* project = new QGridLayout;
    project->setHorizontalSpacing(unit * 2 / 3);
    project->setVerticalSpacing(unit / 2);
    project->addWidget(new QLabel(tr("Project name:"), this), 0, 0);
    project->addWidget(projectName, 0, 1);
    project->addWidget(new QLabel(tr("Music role:"), this), 1, 0);
    project->addLayout(roleRow, 1, 1);
    project->setColumnStretch(1, 1);
    return project;
}

} // namespace kyui
