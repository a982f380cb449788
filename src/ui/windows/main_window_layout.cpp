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
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/text_field.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/preview_panel.h"

namespace quelvo::ui {

namespace {

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* musicShorterNote(QWidget* parent) {
    auto* note = new QLabel(parent);
    note->setObjectName("musicShorterNote");
    // Orange, as the Can't read badge: a file to look at again, no error.
    note->setStyleSheet(QStringLiteral("color: #c25e00;"));
    note->setWordWrap(true);
    note->hide();
    return note;
}

} // namespace

// One of the three file columns: its heading, drop area, duration line and
// the extras that belong to it.
struct MainWindow::FileColumn {
    const char* title;
    const char* tip;
    FileDropArea** area;
    QLabel** duration;
    MissingFileMarker** marker;
    const char* widest; // the longest duration text, for the column width
};

void MainWindow::buildLayout() {
    const QFontMetrics fm(font());
    const int unit = fm.height();
    QHBoxLayout* files = buildFileColumns(unit);
    QGridLayout* levels = buildLevels(unit);
    QGridLayout* project = buildProjectRows(unit);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(2 * unit);
    bottom->addLayout(project, 1);
    bottom->addWidget(m_exportMix, 0, Qt::AlignBottom);
    bottom->addWidget(m_duck, 0, Qt::AlignBottom);

    // The captions of the two lower blocks line up in one column.
    int captionWidth = 0;
    for (const char* caption : {"Ducking depth:", "Music level:", "Project name:", "Music role:"})
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(tr(caption)));
    levels->setColumnMinimumWidth(0, captionWidth);
    project->setColumnMinimumWidth(0, captionWidth);

    // The window's one page; its controls go there when their layouts do.
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* page = new QVBoxLayout(central);
    page->setContentsMargins(unit, unit, unit, unit);
    page->setSpacing(unit * 2 / 3);
    page->addLayout(files, 1);
    page->addWidget(separator(this));
    page->addLayout(levels);
    page->addWidget(separator(this));
    page->addLayout(bottom);
    // The last job's result, below everything it came from.
    m_result = new JobResultPanel(this);
    page->addWidget(m_result);
    // The preview takes the room the window grows by.
    m_preview = new PreviewPanel(this);
    page->addWidget(separator(this));
    page->addWidget(m_preview, 2);
}

QHBoxLayout* MainWindow::buildFileColumns(int unit) {
    const FileColumn columns[] = {
        {"Dialogue", "The recording of the speaker. The project is saved next to it.",
         &m_dialogueArea, &m_dialogueDuration, &m_dialogueMarker,
         "Dialogue File Duration: 88:88:88.888"},
        {"Music", "The music that goes down while someone speaks.", &m_musicArea, &m_musicDuration,
         &m_musicMarker, "Music File Duration: 88:88:88.888"},
        {"Filler (optional)", "Music that fills the silent stretches of the music file.",
         &m_fillerArea, &m_fillerDuration, &m_fillerMarker, "Filler File Duration: 88:88:88.888"},
    };
    m_clearFiller = new QToolButton(this);
    m_clearFiller->setText(tr("Clear"));
    m_clearFiller->setToolTip(tr("Forget the filler file"));
    // Raised like any button: a flat one reads as a label.
    m_clearFiller->setAutoRaise(false);
    m_removeDialogue = new QToolButton(this);
    m_removeDialogue->setText(tr("Remove"));
    m_removeDialogue->setToolTip(tr("Take the dialogue file off the window"));
    m_removeDialogue->setAutoRaise(false);
    m_removeDialogue->hide();
    m_dialogueRows = new DialogueFileRows(this);
    m_dialogueRows->setObjectName("dialogueRows");
    m_dialogueRows->hide();
    const int headerHeight = std::max(m_clearFiller->sizeHint().height(), unit);
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

QVBoxLayout* MainWindow::buildFileColumn(const FileColumn& c, int unit, int columnWidth,
                                         int headerHeight) {
    auto* header = new QHBoxLayout;
    QLabel* title = boldLabel(tr(c.title), this);
    title->setMinimumHeight(headerHeight);
    header->addWidget(title);
    header->addStretch();
    if (c.area == &m_fillerArea) header->addWidget(m_clearFiller);
    if (c.area == &m_dialogueArea) header->addWidget(m_removeDialogue);

    auto* area = new FileDropArea(this);
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
    if (c.area == &m_dialogueArea) column->addWidget(m_dialogueRows);
    column->addWidget(duration);
    if (c.area == &m_musicArea) column->addWidget(m_musicShorter = musicShorterNote(this));
    return column;
}

QGridLayout* MainWindow::buildLevels(int unit) {
    m_depth = new SettingSlider(this);
    m_depth->setRange(quelvo::settings::kDecrease.minimum, quelvo::settings::kDecrease.maximum);
    m_depth->setToolTip(tr("How far the music goes down while someone speaks"));
    m_depthValue = new QLabel(this);
    m_depthUnit = new QLabel(tr("dB"), this);
    m_depthModeNote = new QLabel(this);
    m_depthModeNote->setObjectName("depthModeNote");
    m_depthModeNote->hide();
    m_decreaseToZeroBox =
        new CheckBox(tr("Decrease to zero (mute the music while someone speaks)"), this);
    m_musicLevel = new SettingSlider(this);
    m_musicLevel->setRange(quelvo::settings::kOverallMusicLevel.minimum,
                           quelvo::settings::kOverallMusicLevel.maximum);
    m_musicLevel->setShowsPlusSign(true);
    m_musicLevel->setToolTip(tr("The music's level where nobody speaks"));
    m_musicLevelValue = new QLabel(this);
    m_musicLevelUnit = new QLabel(tr("dB"), this);
    for (QLabel* value : {m_depthValue, m_musicLevelValue})
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (SettingSlider* slider : {m_depth, m_musicLevel}) {
        slider->setMinimumWidth(16 * unit);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(6);
    }

    auto* levels = new QGridLayout;
    levels->setHorizontalSpacing(unit * 2 / 3);
    levels->setVerticalSpacing(unit / 2);
    levels->addWidget(new QLabel(tr("Ducking depth:"), this), 0, 0);
    levels->addWidget(m_depth, 0, 1);
    levels->addWidget(m_depthValue, 0, 2);
    levels->addWidget(m_depthUnit, 0, 3);
    levels->addWidget(m_depthModeNote, 1, 1, 1, 3);
    levels->addWidget(m_decreaseToZeroBox, 2, 1, 1, 3);
    levels->addWidget(new QLabel(tr("Music level:"), this), 3, 0);
    levels->addWidget(m_musicLevel, 3, 1);
    levels->addWidget(m_musicLevelValue, 3, 2);
    levels->addWidget(m_musicLevelUnit, 3, 3);
    levels->setColumnStretch(1, 1);
    return levels;
}

void MainWindow::buildProjectControls(int unit) {
    m_projectName = new TextField(this);
    m_projectName->setPlaceholderText(tr("Name of the project in Final Cut Pro"));
    m_projectName->setMinimumWidth(18 * unit);
    m_projectName->setToolTip(tr("The project and event names in Final Cut Pro"));
    m_roleName = boldLabel(QString(), this);
    m_roleName->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("Dialogue") + unit);
    m_roleButton = new QPushButton(tr("Change Role…"), this);
    m_roleButton->setToolTip(tr("The audio role of the music clip in Final Cut Pro"));
    m_duck = new QPushButton(tr("Duck"), this);
    m_duck->setObjectName("duck");
    m_duck->setDefault(true);
    QFont duckFont = m_duck->font();
    duckFont.setBold(true);
    duckFont.setPointSizeF(duckFont.pointSizeF() * 1.15);
    m_duck->setFont(duckFont);
    m_duck->setMinimumSize(8 * unit, 2 * unit + unit / 2);
    m_duck->setToolTip(tr("Make the Final Cut Pro project"));
    m_exportMix = new QPushButton(tr("Export Mix…"), this);
    m_exportMix->setObjectName("exportMix");
    m_exportMix->setMinimumHeight(2 * unit + unit / 2);
    m_exportMix->setToolTip(tr("Write the ducked mix as an audio file (WAV, FLAC or M4A)"));

    m_newsButton = new QToolButton(this);
    m_newsButton->setText(tr("What's New"));
    m_newsButton->setAutoRaise(false);
    m_newsButton->setToolTip(tr("The release notes of this version"));
}

QGridLayout* MainWindow::buildProjectRows(int unit) {
    buildProjectControls(unit);
    auto* roleRow = new QHBoxLayout;
    // A long custom role name must not run into the button.
    roleRow->setSpacing(unit * 2 / 3);
    roleRow->addWidget(m_roleName);
    roleRow->addWidget(m_roleButton);
    roleRow->addStretch();
    roleRow->addWidget(m_newsButton);

    auto* project = new QGridLayout;
    project->setHorizontalSpacing(unit * 2 / 3);
    project->setVerticalSpacing(unit / 2);
    project->addWidget(new QLabel(tr("Project name:"), this), 0, 0);
    project->addWidget(m_projectName, 0, 1);
    project->addWidget(new QLabel(tr("Music role:"), this), 1, 0);
    project->addLayout(roleRow, 1, 1);
    project->setColumnStretch(1, 1);
    return project;
}

} // namespace quelvo::ui
