#include "ui/kit/file_drop_area.h"

#include <algorithm>

#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <QUrl>

#include "base/settings_store.h"

namespace quelvo::ui {

namespace {

std::vector<std::string> localPaths(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

const char* kHint = "or click to choose a file";

} // namespace

FileDropArea::FileDropArea(QWidget* parent) : QFrame(parent) {
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FileDropArea::setText(const QString& text) {
    m_text = text;
    setToolTip(text);
    setAccessibleDescription(text);
    update();
}

bool FileDropArea::accepts(const std::string& path) const {
    const QFileInfo info(QString::fromStdString(path));
    if (info.isDir()) return dropMode != kFilesOnly;
    if (dropMode == kFoldersOnly) return false;
    if (acceptedExtensions.empty()) return true;
    const QString suffix = info.suffix();
    return std::any_of(
        acceptedExtensions.begin(), acceptedExtensions.end(), [&](const std::string& ext) {
            return suffix.compare(QString::fromStdString(ext), Qt::CaseInsensitive) == 0;
        });
}

std::vector<std::string> FileDropArea::acceptedPaths(const std::vector<std::string>& paths) const {
    std::vector<std::string> accepted;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(accepted),
                 [this](const std::string& p) { return accepts(p); });
    return accepted;
}

void FileDropArea::deliver(const std::vector<std::string>& accepted) {
    if (accepted.empty()) return;
    const QString first = QString::fromStdString(accepted.front());
    const QFileInfo info(first);
    m_lastFolder = info.absolutePath();
    if (!m_lastFolderKey.empty()) quelvo::storeString(m_lastFolderKey, m_lastFolder.toStdString());
    setText(info.fileName());
    setToolTip(first);
    if (onDrop) onDrop(accepted);
}

bool FileDropArea::place(const std::vector<std::string>& paths) {
    const std::vector<std::string> accepted = acceptedPaths(paths);
    deliver(accepted);
    return !accepted.empty();
}

void FileDropArea::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptedPaths(localPaths(event->mimeData())).empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_hovering = true;
    update();
}

void FileDropArea::dragMoveEvent(QDragMoveEvent* event) {
    if (m_hovering)
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileDropArea::dragLeaveEvent(QDragLeaveEvent* event) {
    m_hovering = false;
    update();
    QFrame::dragLeaveEvent(event);
}

void FileDropArea::dropEvent(QDropEvent* event) {
    m_hovering = false;
    update();
    const auto accepted = acceptedPaths(localPaths(event->mimeData()));
    if (accepted.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    deliver(accepted);
}

void FileDropArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        update();
    }
    QFrame::mousePressEvent(event);
}

void FileDropArea::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    update();
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        openFilePicker();
    QFrame::mouseReleaseEvent(event);
}

void FileDropArea::keyPressEvent(QKeyEvent* event) {
    // Space only, as for a button: Return belongs to the window's default
    // action (the main window's Duck), which it would never reach from the
    // area that has the focus when the window opens.
    if (event->key() == Qt::Key_Space) {
        openFilePicker();
        return;
    }
    QFrame::keyPressEvent(event);
}

QString FileDropArea::nameFilter() const {
    if (acceptedExtensions.empty()) return tr("All files (*)");
    QStringList patterns;
    // Both cases: file dialogs filter case-sensitively on some systems.
    for (const auto& ext : acceptedExtensions) {
        const QString e = QString::fromStdString(ext);
        patterns << "*." + e.toLower() << "*." + e.toUpper();
    }
    patterns.removeDuplicates();
    return (kindsName.isEmpty() ? tr("Audio files") : kindsName) +
           QStringLiteral(" (%1)").arg(patterns.join(' '));
}

void FileDropArea::setLastFolderKey(const std::string& key) {
    m_lastFolderKey = key;
    if (key.empty()) return;
    const std::string stored = quelvo::storedString(key, "");
    if (!stored.empty()) m_lastFolder = QString::fromStdString(stored);
}

void FileDropArea::openFilePicker() {
    QString folder = m_lastFolder;
    // A folder on a drive that is gone would leave the picker wherever the
    // platform likes; the user's own folders are a better start.
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    }
    auto* dialog = new QFileDialog(window(), tr("Choose a File"), folder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(dropMode == kFoldersOnly ? QFileDialog::Directory
                        : multipleFiles          ? QFileDialog::ExistingFiles
                                                 : QFileDialog::ExistingFile);
    if (dropMode != kFoldersOnly) dialog->setNameFilter(nameFilter());
    connect(dialog, &QFileDialog::filesSelected, this, [this](const QStringList& files) {
        std::vector<std::string> paths;
        for (const QString& file : files)
            paths.push_back(file.toStdString());
        deliver(acceptedPaths(paths));
    });
    // open(), not exec(): the picker is window-modal and answers through the
    // signal, without a nested event loop.
    dialog->open();
}

QSize FileDropArea::sizeHint() const {
    const QFontMetrics fm(font());
    return {std::max(fm.horizontalAdvance(kHint) + 4 * fm.height(), 15 * fm.height()),
            10 * fm.height()};
}

QSize FileDropArea::minimumSizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(kHint) + 2 * fm.height(), 7 * fm.height()};
}

void FileDropArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const bool active = m_hovering || m_pressed;
    const QColor accent = pal.color(QPalette::Highlight);
    const QColor ink = isEnabled() ? pal.color(QPalette::WindowText)
                                   : pal.color(QPalette::Disabled, QPalette::WindowText);
    const QFontMetrics fm(font());
    const qreal unit = fm.height();

    // Frame: a dashed rounded rectangle that lights up under a drag.
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QColor fill = active ? accent : pal.color(QPalette::Base);
    fill.setAlpha(active ? 40 : 255);
    p.setBrush(fill);
    QPen border(active ? accent : pal.color(QPalette::Mid), active ? 2.0 : 1.5, Qt::DashLine);
    if (hasFocus()) border.setColor(accent);
    p.setPen(border);
    p.drawRoundedRect(box, unit * 0.6, unit * 0.6);

    // Glyph: five level bars, the app's picture of an audio file.
    const qreal barW = unit * 0.25, gap = unit * 0.18, glyphH = unit * 1.4;
    const qreal heights[] = {0.45, 0.8, 1.0, 0.65, 0.35};
    const qreal glyphW = 5 * barW + 4 * gap;
    const qreal contentH = glyphH + unit * 0.5 + fm.height() * 2;
    const qreal top = box.center().y() - contentH / 2;
    qreal x = box.center().x() - glyphW / 2;
    QColor glyph = active ? accent : ink;
    glyph.setAlpha(active ? 255 : 110);
    p.setPen(Qt::NoPen);
    p.setBrush(glyph);
    for (qreal h : heights) {
        const qreal bh = glyphH * h;
        p.drawRoundedRect(QRectF(x, top + (glyphH - bh) / 2, barW, bh), barW / 2, barW / 2);
        x += barW + gap;
    }

    // Caption (the dropped file's name, elided in the middle) and the hint.
    const qreal textW = box.width() - unit;
    QFont captionFont = font();
    captionFont.setBold(true);
    p.setFont(captionFont);
    p.setPen(ink);
    const QRectF captionRect(box.left() + unit / 2, top + glyphH + unit * 0.5, textW, fm.height());
    p.drawText(captionRect, Qt::AlignCenter,
               QFontMetrics(captionFont).elidedText(m_text, Qt::ElideMiddle, int(textW)));
    p.setFont(font());
    QColor hint = ink;
    hint.setAlpha(150);
    p.setPen(hint);
    p.drawText(captionRect.translated(0, fm.height()), Qt::AlignCenter,
               fm.elidedText(tr(kHint), Qt::ElideRight, int(textW)));
}

} // namespace quelvo::ui
