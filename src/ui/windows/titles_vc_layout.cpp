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

#include "ui/kit/ky_drag_area.h"
#include "ui/kit/ky_text_field.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/result_line.h"
#include "ui/windows/title_preview.h"
#include "ui/windows/titles_presets_bar.h"
#include "ui/windows/titles_style_panel.h"
#include "ui/windows/titles_table_model.h"
#include "ui/windows/titles_vc.h"

namespace kyui {

namespace {

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

// A drop area with the missing badge in its corner.
KyDragArea* dropArea(QWidget* parent, MissingFileMarker** marker, int unit) {
    auto* area = new KyDragArea(parent);
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

void TitlesVC::buildLayout() {
    const int unit = fontMetrics().height();

    // --- Inputs ---------------------------------------------------------
    drgSrt = dropArea(this, &imgSrtMissing, unit);
    drgSrt->setAccessibleName(tr("Subtitles"));
    drgSrt->setToolTip(tr("The SRT file. The project is saved next to it."));
    drgVideo = dropArea(this, &imgVideoMissing, unit);
    drgVideo->setAccessibleName(tr("Video"));
    drgVideo->setToolTip(tr("The video the titles go over; they are attached to its clip."));
    lblSrtInfo = new QLabel(this);
    lblVideoInfo = new QLabel(this);
    for (QLabel* l : {lblSrtInfo, lblVideoInfo}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumHeight(unit);
    }
    btnEncoding = new QToolButton(this);
    btnEncoding->setText(tr("Encoding"));
    btnEncoding->setAutoRaise(true);
    btnClearVideo = new QToolButton(this);
    btnClearVideo->setText(tr("Clear"));
    btnClearVideo->setAutoRaise(true);
    btnClearVideo->setToolTip(tr("Make the titles without a video"));
    btnClearVideo->setEnabled(false);

    auto* inputs = new QGridLayout;
    inputs->setHorizontalSpacing(unit);
    inputs->setVerticalSpacing(unit / 3);
    auto* srtHeader = new QHBoxLayout;
    srtHeader->addWidget(boldLabel(tr("Subtitles"), this));
    srtHeader->addStretch();
    srtHeader->addWidget(btnEncoding);
    auto* videoHeader = new QHBoxLayout;
    videoHeader->addWidget(boldLabel(tr("Video (optional)"), this));
    videoHeader->addStretch();
    videoHeader->addWidget(btnClearVideo);
    inputs->addLayout(srtHeader, 0, 0);
    inputs->addLayout(videoHeader, 0, 1);
    inputs->addWidget(drgSrt, 1, 0);
    inputs->addWidget(drgVideo, 1, 1);
    inputs->addWidget(lblSrtInfo, 2, 0);
    inputs->addWidget(lblVideoInfo, 2, 1);

    // --- Titles and preview ---------------------------------------------
    model = new TitlesTableModel(this);
    table = new QTableView(this);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    // Tab leaves the table; the arrow keys move within it. Tab from cell to
    // cell would hold the keyboard for as many presses as the film has titles.
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(unit + unit / 2);
    // The text takes what the other columns leave; no sideways scrolling.
    table->horizontalHeader()->setSectionResizeMode(TitlesTableModel::kText, QHeaderView::Stretch);
    table->setWordWrap(false);
    const QFontMetrics fm(font());
    table->setColumnWidth(TitlesTableModel::kNumber, fm.horizontalAdvance(QStringLiteral("8888")) + unit);
    for (int c : {TitlesTableModel::kStart, TitlesTableModel::kEnd, TitlesTableModel::kDuration})
        table->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("88:88:88:88")) + unit);
    table->setColumnWidth(TitlesTableModel::kLane, fm.horizontalAdvance(QStringLiteral("Lane")) + unit);
    // Why a title changed is long; its tooltip holds it whole, and the text
    // gets the room: at 200 % a wide Changed column left none for the text.
    table->setColumnWidth(TitlesTableModel::kChanged,
                          fm.horizontalAdvance(QStringLiteral("Changed")) + 2 * unit);
    table->horizontalHeader()->setMinimumSectionSize(fm.horizontalAdvance(QStringLiteral("Lane")) +
                                                     unit / 2);
    table->setMinimumHeight(8 * unit);
    lblTableNotes = new QLabel(this);
    chkFailingOnly = new QCheckBox(tr("Show only hard-to-read cues"), this);
    chkFailingOnly->setToolTip(tr("Cues that fail a reading check: too many characters a second, "
                                  "too long a line, too many lines or too short a time on screen"));
    lblSkipped = new QLabel(this);
    lblSkipped->setWordWrap(true);
    lblSkipped->hide();
    preview = new TitlePreview(this);

    auto* tableBox = new QWidget(this);
    auto* tableColumn = new QVBoxLayout(tableBox);
    tableColumn->setContentsMargins(0, 0, 0, 0);
    tableColumn->addWidget(table, 1);
    auto* notesRow = new QHBoxLayout;
    notesRow->addWidget(lblTableNotes, 1);
    notesRow->addWidget(chkFailingOnly);
    tableColumn->addLayout(notesRow);
    tableColumn->addWidget(lblSkipped);
    auto* left = new QSplitter(Qt::Vertical, this);
    left->addWidget(tableBox);
    left->addWidget(preview);
    // The preview gets the larger share: a style is judged there.
    left->setStretchFactor(0, 2);
    left->setStretchFactor(1, 3);
    left->setChildrenCollapsible(false);

    // --- Style ------------------------------------------------------------
    presets = new TitlesPresetsBar(this);
    style = new TitlesStylePanel;
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(style);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(style->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() + unit);
    auto* right = new QWidget(this);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(presets);
    rightColumn->addWidget(scroll, 1);

    auto* middle = new QSplitter(Qt::Horizontal, this);
    middle->addWidget(left);
    middle->addWidget(right);
    middle->setStretchFactor(0, 3);
    middle->setStretchFactor(1, 2);
    middle->setChildrenCollapsible(false);

    // --- Export -----------------------------------------------------------
    cmbVersion = new QComboBox(this);
    cmbVersion->addItem(tr("FCPXML 1.9 (Final Cut Pro 10.6 and later)"), QStringLiteral("1.9"));
    cmbVersion->addItem(tr("FCPXML 1.6 (older versions)"), QStringLiteral("1.6"));
    cmbAs = new QComboBox(this);
    cmbAs->addItem(tr("Titles"), QStringLiteral("titles"));
    cmbAs->addItem(tr("Captions"), QStringLiteral("captions"));
    cmbAs->setToolTip(
        tr("Styled titles, or captions that viewers switch on per language (FCPXML 1.9)"));
    cmbCaptionFormat = new QComboBox(this);
    cmbCaptionFormat->addItem(tr("SRT"), QStringLiteral("srt"));
    cmbCaptionFormat->addItem(tr("iTT"), QStringLiteral("itt"));
    cmbCaptionFormat->setToolTip(tr("The caption format; iTT keeps cues placed at the top"));
    fldLanguage = new KyTextField(this);
    fldLanguage->setPlaceholderText(QStringLiteral("en"));
    fldLanguage->setToolTip(tr("The captions' language tag, such as en, en-US or de"));
    fldLanguage->setMaximumWidth(6 * unit);
    fldEvent = new KyTextField(this);
    fldEvent->setPlaceholderText(tr("The subtitle file's name"));
    fldEvent->setToolTip(tr("The event and project name in Final Cut Pro; a video's name takes its place"));
    fldEvent->setMinimumWidth(12 * unit);
    progress = new QProgressBar(this);
    progress->hide();
    result = new ResultLine(this);
    btnSaveAs = new QPushButton(tr("Save As…"), this);
    btnExport = new QPushButton(tr("Export"), this);
    btnExport->setDefault(true);
    QFont exportFont = btnExport->font();
    exportFont.setBold(true);
    btnExport->setFont(exportFont);
    btnExport->setMinimumWidth(7 * unit);
    btnExport->setToolTip(tr("Write the project next to the subtitle file"));

    auto* exportRow = new QHBoxLayout;
    exportRow->setSpacing(unit * 2 / 3);
    exportRow->addWidget(cmbAs);
    exportRow->addWidget(cmbCaptionFormat);
    exportRow->addWidget(fldLanguage);
    exportRow->addWidget(new QLabel(tr("Version:"), this));
    exportRow->addWidget(cmbVersion);
    exportRow->addWidget(new QLabel(tr("Event:"), this));
    exportRow->addWidget(fldEvent, 1);
    exportRow->addWidget(btnSaveAs);
    exportRow->addWidget(btnExport);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(unit, unit, unit, unit);
    page->setSpacing(unit * 2 / 3);
    page->addLayout(inputs);
    page->addWidget(middle, 1);
    page->addLayout(exportRow);
    page->addWidget(progress);
    page->addWidget(result);
}

} // namespace kyui
