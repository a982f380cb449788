#include "ui/windows/job_result_panel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/kit/ky_file_opener.h"

namespace kyui {

namespace {

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
    const QPointF points[] = {{size * 0.28, size * 0.52}, {size * 0.44, size * 0.68}, {size * 0.74, size * 0.34}};
    p.drawPolyline(points, 3);
    return pixmap;
}

} // namespace

QString JobResultPanel::contentsLine(const quelvo::DuckOutcome& outcome) {
    return counted(outcome.clusters, "speech interval", "speech intervals") + ", " +
           counted(outcome.keyframes, "keyframe", "keyframes") + ", " +
           counted(outcome.fillerClips, "filler clip", "filler clips");
}

QString JobResultPanel::warningsText(const quelvo::DuckOutcome& outcome) {
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

    lblHeading = new QLabel(this);
    QFont bold = lblHeading->font();
    bold.setBold(true);
    lblHeading->setFont(bold);
    lblFile = new QLabel(this);
    lblFile->setTextFormat(Qt::PlainText);
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblContents = new QLabel(this);
    QPalette dim = lblContents->palette();
    QColor text = dim.color(QPalette::WindowText);
    text.setAlpha(190);
    dim.setColor(QPalette::WindowText, text);
    lblContents->setPalette(dim);
    // What the job said although it worked (a damaged recording, a header
    // that disagrees with its audio): the same sentences the command line
    // prints, one a line, in the warning colour.
    lblWarnings = new QLabel(this);
    lblWarnings->setTextFormat(Qt::PlainText);
    lblWarnings->setWordWrap(true);
    lblWarnings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warm = lblWarnings->palette();
    warm.setColor(QPalette::WindowText, QColor(0xB3, 0x5C, 0x00));
    lblWarnings->setPalette(warm);
    lblWarnings->hide();

    btnShowInFolder = new QPushButton(tr("Show in Folder"), this);
    btnShowInFolder->setToolTip(tr("Show the project in the file manager"));
    btnOpen = new QPushButton(tr("Open"), this);
#ifdef Q_OS_MACOS
    btnOpen->setToolTip(tr("Open the project in Final Cut Pro"));
#else
    btnOpen->setToolTip(tr("Open the project with the program your system uses for it"));
#endif
    for (QPushButton* b : {btnShowInFolder, btnOpen}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::StrongFocus);
    }
    connect(btnShowInFolder, &QPushButton::clicked, this, [this] { KyFileOpener::showInFolder(m_file); });
    connect(btnOpen, &QPushButton::clicked, this, [this] { KyFileOpener::openFile(m_file); });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(unit / 6);
    texts->addWidget(lblHeading);
    texts->addWidget(lblFile);
    texts->addWidget(lblContents);
    texts->addWidget(lblWarnings);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(unit * 2 / 3, unit / 2, unit * 2 / 3, unit / 2);
    layout->setSpacing(unit * 2 / 3);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    layout->addWidget(btnShowInFolder, 0, Qt::AlignVCenter);
    layout->addWidget(btnOpen, 0, Qt::AlignVCenter);
    hide();
}

void JobResultPanel::showOutcome(const quelvo::DuckOutcome& outcome, const std::string& file) {
    m_file = QString::fromStdString(file);
    const QFileInfo info(m_file);
    lblHeading->setText(outcome.sentToFCP ? tr("Sent to Final Cut Pro") : tr("Project saved"));
    lblFile->setText(info.fileName());
    lblFile->setToolTip(m_file);
    const quelvo::ProjectFormat format = outcome.format.value_or(quelvo::ProjectFormat::fcpxml19);
    const QString formatWord = QString::fromUtf8(quelvo::formatOption(format).data(),
                                                 static_cast<int>(quelvo::formatOption(format).size()));
    lblContents->setText(contentsLine(outcome) +
                         (quelvo::isFinalCutPro(format) ? QStringLiteral(" · FCPXML ") : QStringLiteral(" · ")) +
                         formatWord);
    lblWarnings->setText(warningsText(outcome));
    lblWarnings->setVisible(!outcome.warnings.empty());
    const bool there = !m_file.isEmpty();
    btnShowInFolder->setToolTip(tr("Show the project in the file manager"));
#ifdef Q_OS_MACOS
    btnOpen->setToolTip(tr("Open the project in Final Cut Pro"));
#else
    btnOpen->setToolTip(tr("Open the project with the program your system uses for it"));
#endif
    btnShowInFolder->setEnabled(there);
    btnOpen->setEnabled(there);
    showWithFile(true);
}

void JobResultPanel::showMix(const std::string& file, const QString& contents,
                             const QString& warnings) {
    m_file = QString::fromStdString(file);
    lblHeading->setText(tr("Mix exported"));
    lblFile->setText(QFileInfo(m_file).fileName());
    lblFile->setToolTip(m_file);
    lblContents->setText(contents);
    lblWarnings->setText(warnings);
    lblWarnings->setVisible(!warnings.isEmpty());
    btnShowInFolder->setToolTip(tr("Show the mix in the file manager"));
    btnOpen->setToolTip(tr("Open the mix with the program your system plays it with"));
    btnShowInFolder->setEnabled(true);
    btnOpen->setEnabled(true);
    showWithFile(true);
}

void JobResultPanel::showCancelled() {
    m_file.clear();
    lblHeading->setText(tr("Nothing written"));
    lblFile->setText(tr("The job was cancelled before the project was written."));
    lblFile->setToolTip(QString());
    lblContents->clear();
    showWithFile(false);
}

void JobResultPanel::showWithFile(bool withFile) {
    // Hidden rather than cleared: the tick's place keeps the texts aligned.
    m_icon->setPixmap(withFile ? tick(fontMetrics().height() * 3 / 2, devicePixelRatioF())
                               : QPixmap());
    btnShowInFolder->setVisible(withFile);
    btnOpen->setVisible(withFile);
    lblContents->setVisible(!lblContents->text().isEmpty());
    show();
}

void JobResultPanel::clear() {
    m_file.clear();
    hide();
}

} // namespace kyui
