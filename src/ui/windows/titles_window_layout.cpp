// The titles window's controls and their arrangement: the inputs across the
// top, the table and the preview on the left, the style controls in a
// scrolling column on the right, the export row at the bottom. Sizes come
// from the font, so the window reads the same at 100 % and 200 %.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/kit/bold_label.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_field.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/result_line.h"
#include "ui/windows/title_preview.h"
#include "ui/windows/titles_presets_bar.h"
#include "ui/windows/titles_style_panel.h"
#include "ui/windows/titles_table_model.h"
#include "ui/windows/titles_window.h"

namespace quelvo::ui {

namespace {

// A drop area with the missing badge in its corner.
FileDropArea* dropArea(QWidget* parent, MissingFileMarker** marker, int unit) {
    auto* area = new FileDropArea(parent);
    area->setMinimumHeight(3 * unit);
    // Room goes to the table and the preview rather than to the drop areas.
    area->setMaximumHeight(5 * unit);
    *marker = new MissingFileMarker(area);
    auto* corner = new QGridLayout(area);
    corner->setContentsMargins(unit / 2, unit / 2, unit / 2, unit / 2);
    corner->addWidget(*marker, 0, 0, Qt::AlignTop | Qt::AlignRight);
    (*marker)->hide();
    return area;
}

} // namespace

void TitlesWindow::buildLayout() {
    const int unit = fontMetrics().height();
    auto* content = new QWidget(this);
    setCentralWidget(content);
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(unit, unit, unit, unit);
    page->setSpacing(unit * 2 / 3);
    page->addLayout(buildInputs(unit));
    QWidget* titles = buildTitlesAndPreview(unit);
    QWidget* style = buildStyleColumn(unit);
    auto* middle = new QSplitter(Qt::Horizontal, content);
    middle->addWidget(titles);
    middle->addWidget(style);
    middle->setStretchFactor(0, 3);
    middle->setStretchFactor(1, 2);
    middle->setChildrenCollapsible(false);
    page->addWidget(middle, 1);
    page->addLayout(buildExportRow(unit));
    page->addWidget(m_progress);
    page->addWidget(m_result);
}

QLayout* TitlesWindow::buildInputs(int unit) {
    // Children of the central widget from the start, so that Tab visits
    // them in the order they are made.
    QWidget* box = centralWidget();
    m_subtitleDrop = dropArea(box, &m_subtitleMarker, unit);
    m_subtitleDrop->setAccessibleName(tr("Subtitles"));
    m_subtitleDrop->setToolTip(tr("The SRT file. The project is saved next to it."));
    m_videoDrop = dropArea(box, &m_videoMarker, unit);
    m_videoDrop->setAccessibleName(tr("Video"));
    m_videoDrop->setToolTip(tr("The video the titles go over; they are attached to its clip."));
    m_subtitleInfo = new QLabel(box);
    m_videoInfo = new QLabel(box);
    for (QLabel* l : {m_subtitleInfo, m_videoInfo}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumHeight(unit);
    }
    m_encodingButton = new QToolButton(box);
    m_encodingButton->setText(tr("Encoding"));
    m_encodingButton->setAutoRaise(true);
    m_clearVideoButton = new QToolButton(box);
    m_clearVideoButton->setText(tr("Clear"));
    m_clearVideoButton->setAutoRaise(true);
    m_clearVideoButton->setToolTip(tr("Make the titles without a video"));
    m_clearVideoButton->setEnabled(false);

    auto* inputs = new QGridLayout;
    inputs->setHorizontalSpacing(unit);
    inputs->setVerticalSpacing(unit / 3);
    auto* srtHeader = new QHBoxLayout;
    srtHeader->addWidget(boldLabel(tr("Subtitles"), box));
    srtHeader->addStretch();
    srtHeader->addWidget(m_encodingButton);
    auto* videoHeader = new QHBoxLayout;
    videoHeader->addWidget(boldLabel(tr("Video (optional)"), box));
    videoHeader->addStretch();
    videoHeader->addWidget(m_clearVideoButton);
    inputs->addLayout(srtHeader, 0, 0);
    inputs->addLayout(videoHeader, 0, 1);
    inputs->addWidget(m_subtitleDrop, 1, 0);
    inputs->addWidget(m_videoDrop, 1, 1);
    inputs->addWidget(m_subtitleInfo, 2, 0);
    inputs->addWidget(m_videoInfo, 2, 1);
    return inputs;
}

QWidget* TitlesWindow::buildTitlesAndPreview(int unit) {
    QWidget* box = centralWidget();
    m_model = new TitlesTableModel(box);
    m_table = new QTableView(box);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    // Tab leaves the table; the arrow keys move within it. Tab from cell to
    // cell would hold the keyboard for as many presses as the film has titles.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(unit + unit / 2);
    // The text takes what the other columns leave; no sideways scrolling.
    m_table->horizontalHeader()->setSectionResizeMode(TitlesTableModel::kText,
                                                      QHeaderView::Stretch);
    m_table->setWordWrap(false);
    const QFontMetrics fm(font());
    m_table->setColumnWidth(TitlesTableModel::kNumber,
                            fm.horizontalAdvance(QStringLiteral("8888")) + unit);
    for (int c : {TitlesTableModel::kStart, TitlesTableModel::kEnd, TitlesTableModel::kDuration})
        m_table->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("88:88:88:88")) + unit);
    m_table->setColumnWidth(TitlesTableModel::kLane,
                            fm.horizontalAdvance(QStringLiteral("Lane")) + unit);
    // Why a title changed is long; its tooltip holds it whole, and the text
    // gets the room: at 200 % a wide Changed column left none for the text.
    m_table->setColumnWidth(TitlesTableModel::kChanged,
                            fm.horizontalAdvance(QStringLiteral("Changed")) + 2 * unit);
    m_table->horizontalHeader()->setMinimumSectionSize(
        fm.horizontalAdvance(QStringLiteral("Lane")) + unit / 2);
    m_table->setMinimumHeight(8 * unit);
    m_tableNotes = new QLabel(box);
    m_failingOnly = new QCheckBox(tr("Show only hard-to-read cues"), box);
    m_failingOnly->setToolTip(tr("Cues that fail a reading check: too many characters a second, "
                                 "too long a line, too many lines or too short a time on screen"));
    m_skippedNote = new QLabel(box);
    m_skippedNote->setWordWrap(true);
    m_skippedNote->hide();
    m_preview = new TitlePreview(box);

    auto* tableBox = new QWidget(box);
    auto* tableColumn = new QVBoxLayout(tableBox);
    tableColumn->setContentsMargins(0, 0, 0, 0);
    tableColumn->addWidget(m_table, 1);
    auto* notesRow = new QHBoxLayout;
    notesRow->addWidget(m_tableNotes, 1);
    notesRow->addWidget(m_failingOnly);
    tableColumn->addLayout(notesRow);
    tableColumn->addWidget(m_skippedNote);
    auto* left = new QSplitter(Qt::Vertical, box);
    left->addWidget(tableBox);
    left->addWidget(m_preview);
    // The preview gets the larger share: a style is judged there.
    left->setStretchFactor(0, 2);
    left->setStretchFactor(1, 3);
    left->setChildrenCollapsible(false);
    return left;
}

QWidget* TitlesWindow::buildStyleColumn(int unit) {
    QWidget* box = centralWidget();
    m_presets = new TitlesPresetsBar(box);
    m_style = new TitlesStylePanel;
    auto* scroll = new QScrollArea(box);
    scroll->setWidget(m_style);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(m_style->sizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width() + unit);
    auto* right = new QWidget(box);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(m_presets);
    rightColumn->addWidget(scroll, 1);
    return right;
}

QLayout* TitlesWindow::buildExportRow(int unit) {
    QWidget* box = centralWidget();
    m_versionChoice = new QComboBox(box);
    m_versionChoice->addItem(tr("FCPXML 1.9 (Final Cut Pro 10.6 and later)"),
                             QStringLiteral("1.9"));
    m_versionChoice->addItem(tr("FCPXML 1.6 (older versions)"), QStringLiteral("1.6"));
    m_outputChoice = new QComboBox(box);
    m_outputChoice->addItem(tr("Titles"), QStringLiteral("titles"));
    m_outputChoice->addItem(tr("Captions"), QStringLiteral("captions"));
    m_outputChoice->setToolTip(
        tr("Styled titles, or captions that viewers switch on per language (FCPXML 1.9)"));
    m_captionFormat = new QComboBox(box);
    m_captionFormat->addItem(tr("SRT"), QStringLiteral("srt"));
    m_captionFormat->addItem(tr("iTT"), QStringLiteral("itt"));
    m_captionFormat->setToolTip(tr("The caption format; iTT keeps cues placed at the top"));
    m_language = new TextField(box);
    m_language->setPlaceholderText(QStringLiteral("en"));
    m_language->setToolTip(tr("The captions' language tag, such as en, en-US or de"));
    m_language->setMaximumWidth(6 * unit);
    m_eventName = new TextField(box);
    m_eventName->setPlaceholderText(tr("The subtitle file's name"));
    m_eventName->setToolTip(
        tr("The event and project name in Final Cut Pro; a video's name takes its place"));
    m_eventName->setMinimumWidth(12 * unit);
    m_progress = new QProgressBar(box);
    m_progress->hide();
    m_result = new ResultLine(box);
    m_saveAsButton = new QPushButton(tr("Save As…"), box);
    m_exportButton = new QPushButton(tr("Export"), box);
    m_exportButton->setDefault(true);
    QFont exportFont = m_exportButton->font();
    exportFont.setBold(true);
    m_exportButton->setFont(exportFont);
    m_exportButton->setMinimumWidth(7 * unit);
    m_exportButton->setToolTip(tr("Write the project next to the subtitle file"));

    auto* exportRow = new QHBoxLayout;
    exportRow->setSpacing(unit * 2 / 3);
    exportRow->addWidget(m_outputChoice);
    exportRow->addWidget(m_captionFormat);
    exportRow->addWidget(m_language);
    exportRow->addWidget(new QLabel(tr("Version:"), box));
    exportRow->addWidget(m_versionChoice);
    exportRow->addWidget(new QLabel(tr("Event:"), box));
    exportRow->addWidget(m_eventName, 1);
    exportRow->addWidget(m_saveAsButton);
    exportRow->addWidget(m_exportButton);
    return exportRow;
}

} // namespace quelvo::ui
