#include "ui/windows/job_result_panel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/project_format.h"
#include "ui/kit/file_opener.h"
#include "ui/windows/editor_names.h"

namespace quelvo::ui {

namespace {

// The kind of file the job wrote, named for the editor it was written for:
// " · FCPXML 1.9", " · MLT XML".
QString kindSuffix(std::optional<ProjectFormat> format) {
    if (!format) return {};
    return QStringLiteral(" \u00B7 ") + projectKindText(*format);
}

#ifdef Q_OS_MACOS
// Only a Final Cut Pro project opens in Final Cut Pro on a Mac; any other
// goes to whatever the system opens it with.
bool opensInFinalCutPro(std::optional<ProjectFormat> format) {
    return !format || quelvo::isFinalCutPro(*format);
}
#endif

QString counted(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
}

// A green disc with a white tick: the job worked.
QPixmap tick(int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2E, 0x9E, 0x4F));
    p.drawEllipse(QRectF(0, 0, size, size));
    QPen pen(Qt::white, size * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    const QPointF points[] = {
        {size * 0.28, size * 0.52}, {size * 0.44, size * 0.68}, {size * 0.74, size * 0.34}};
    p.drawPolyline(points, 3);
    return pixmap;
}

} // namespace

QString JobResultPanel::contentsLine(const DuckOutcome& outcome) {
    return counted(outcome.clusters, "speech interval", "speech intervals") + ", " +
           counted(outcome.keyframes, "keyframe", "keyframes") + ", " +
           counted(outcome.fillerClips, "filler clip", "filler clips");
}

QString JobResultPanel::warningsText(const DuckOutcome& outcome) {
    QStringList lines;
    for (const std::string& warning : outcome.warnings) {
        QString line = QString::fromStdString(warning);
        if (!line.isEmpty()) line[0] = line[0].toUpper();
        lines << line + QLatin1Char('.');
    }
    return lines.join(QLatin1Char('\n'));
}

JobResultPanel::JobResultPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("jobResultPanel");
    setFrameShape(QFrame::StyledPanel);
    const QFontMetrics fm(font());
    const int unit = fm.height();

    auto* icon = m_icon = new QLabel(this);
    icon->setPixmap(tick(unit * 3 / 2, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    icon->setFixedSize(icon->sizeHint()); // the texts stay put when it hides

    m_heading = new QLabel(this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_fileName = new QLabel(this);
    m_fileName->setTextFormat(Qt::PlainText);
    m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_contents = new QLabel(this);
    QPalette dim = m_contents->palette();
    QColor text = dim.color(QPalette::WindowText);
    text.setAlpha(190);
    dim.setColor(QPalette::WindowText, text);
    m_contents->setPalette(dim);
    // What the job said although it worked (a damaged recording, a header
    // that disagrees with its audio): the same sentences the command line
    // prints, one a line, in the warning colour.
    m_warnings = new QLabel(this);
    m_warnings->setTextFormat(Qt::PlainText);
    m_warnings->setWordWrap(true);
    m_warnings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warm = m_warnings->palette();
    warm.setColor(QPalette::WindowText, QColor(0xB3, 0x5C, 0x00));
    m_warnings->setPalette(warm);
    m_warnings->hide();

    m_showInFolder = new QPushButton(tr("Show in Folder"), this);
    m_showInFolder->setToolTip(tr("Show the project in the file manager"));
    m_open = new QPushButton(tr("Open"), this);
#ifdef Q_OS_MACOS
    m_open->setToolTip(tr("Open the project in Final Cut Pro"));
#else
    m_open->setToolTip(tr("Open the project with the program your system uses for it"));
#endif
    for (QPushButton* b : {m_showInFolder, m_open}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::StrongFocus);
    }
    connect(m_showInFolder, &QPushButton::clicked, this,
            [this] { fileOpener::showInFolder(m_file); });
    connect(m_open, &QPushButton::clicked, this, [this] { fileOpener::openFile(m_file); });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(unit / 6);
    texts->addWidget(m_heading);
    texts->addWidget(m_fileName);
    texts->addWidget(m_contents);
    texts->addWidget(m_warnings);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(unit * 2 / 3, unit / 2, unit * 2 / 3, unit / 2);
    layout->setSpacing(unit * 2 / 3);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    layout->addWidget(m_showInFolder, 0, Qt::AlignVCenter);
    layout->addWidget(m_open, 0, Qt::AlignVCenter);
    hide();
}

void JobResultPanel::showOutcome(const DuckOutcome& outcome, const std::string& file) {
    m_file = QString::fromStdString(file);
    const QFileInfo info(m_file);
    m_heading->setText(outcome.sentToFCP ? tr("Sent to Final Cut Pro") : tr("Project saved"));
    m_fileName->setText(info.fileName());
    m_fileName->setToolTip(m_file);
    m_contents->setText(contentsLine(outcome) + kindSuffix(outcome.format));
    m_warnings->setText(warningsText(outcome));
    m_warnings->setVisible(!outcome.warnings.empty());
    const bool there = !m_file.isEmpty();
    m_showInFolder->setToolTip(tr("Show the project in the file manager"));
#ifdef Q_OS_MACOS
    m_open->setToolTip(opensInFinalCutPro(outcome.format)
                           ? tr("Open the project in Final Cut Pro")
                           : tr("Open the project with the program your system uses for it"));
#else
    m_open->setToolTip(tr("Open the project with the program your system uses for it"));
#endif
    m_showInFolder->setEnabled(there);
    m_open->setEnabled(there);
    showWithFile(true);
}

void JobResultPanel::showMix(const std::string& file, const QString& contents,
                             const QString& warnings) {
    m_file = QString::fromStdString(file);
    m_heading->setText(tr("Mix exported"));
    m_fileName->setText(QFileInfo(m_file).fileName());
    m_fileName->setToolTip(m_file);
    m_contents->setText(contents);
    m_warnings->setText(warnings);
    m_warnings->setVisible(!warnings.isEmpty());
    m_showInFolder->setToolTip(tr("Show the mix in the file manager"));
    m_open->setToolTip(tr("Open the mix with the program your system plays it with"));
    m_showInFolder->setEnabled(true);
    m_open->setEnabled(true);
    showWithFile(true);
}

void JobResultPanel::showCancelled() {
    m_file.clear();
    m_heading->setText(tr("Nothing written"));
    m_fileName->setText(tr("The job was cancelled before the project was written."));
    m_fileName->setToolTip(QString());
    m_contents->clear();
    showWithFile(false);
}

void JobResultPanel::showWithFile(bool withFile) {
    // Hidden rather than cleared: the tick's place keeps the texts aligned.
    m_icon->setPixmap(withFile ? tick(fontMetrics().height() * 3 / 2, devicePixelRatioF())
                               : QPixmap());
    m_showInFolder->setVisible(withFile);
    m_open->setVisible(withFile);
    m_contents->setVisible(!m_contents->text().isEmpty());
    show();
}

void JobResultPanel::clear() {
    m_file.clear();
    hide();
}

} // namespace quelvo::ui
