#include "ui/kit/frame_animation.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QLabel>

#include "ui/kit/resources.h"

namespace quelvo::ui {

FrameAnimation::FrameAnimation(QLabel* imageView, double updateInterval, double fps, bool loop,
                               bool playAtLeastOnce, const void* /*bundle*/,
                               const QString& folderPath, const QString& imageType,
                               FrameAnimation* linkedTo, bool startImmediately)
    : QObject(imageView), m_view(imageView), m_loop(loop), m_playAtLeastOnce(playAtLeastOnce),
      m_folder(folderPath), m_imageType(imageType.isEmpty() ? QStringLiteral("png") : imageType),
      m_linkedTo(linkedTo) {
    initResources();
    const double seconds = updateInterval > 0 ? updateInterval : (fps > 0 ? 1.0 / fps : 1.0 / 30);
    m_timer.setInterval(std::max(1, static_cast<int>(std::lround(seconds * 1000))));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrameAnimation::advance);
    if (m_linkedTo)
        connect(m_linkedTo, &FrameAnimation::frameShown, this, &FrameAnimation::onLinkedFrame);
    if (startImmediately) start();
}

void FrameAnimation::setSequence(const QString& namePrefix, int firstFrame, int lastFrame,
                                 int digits) {
    m_prefix = namePrefix;
    m_first = firstFrame;
    m_last = std::max(firstFrame, lastFrame);
    m_digits = std::max(1, digits);
    m_frames.clear();
    m_framesSize = QSize();
    m_current = m_first;
    m_completedPass = false;
    show(m_current);
}

QString FrameAnimation::frameName(int frame) const {
    return m_prefix + QStringLiteral("%1").arg(frame, m_digits, 10, QLatin1Char('0')) + '.' +
           m_imageType;
}

QPixmap FrameAnimation::frame(int frame) const {
    if (frame < m_first || frame > m_last) return {};
    const QString dir = m_folder.isEmpty() ? QStringLiteral(":/images") : m_folder;
    return QPixmap(QDir(dir).filePath(frameName(frame)));
}

QPixmap FrameAnimation::displayFrame(int frameNumber, const QSize& target, qreal dpr) {
    // Kept at the size shown: loading and scaling each frame once, not at
    // every tick of a 60 fps animation.
    if (target != m_framesSize) {
        m_frames = QVector<QPixmap>(frameCount());
        m_framesSize = target;
    }
    QPixmap& slot = m_frames[frameNumber - m_first];
    if (slot.isNull()) {
        slot = frame(frameNumber);
        if (slot.isNull()) return slot;
        if (!target.isEmpty() && slot.size() != target)
            slot = slot.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        slot.setDevicePixelRatio(dpr);
    }
    return slot;
}

void FrameAnimation::start() {
    m_stopRequested = false;
    m_running = true;
    if (!m_linkedTo) m_timer.start();
}

void FrameAnimation::stop() {
    if (m_playAtLeastOnce && !m_completedPass && m_running) {
        m_stopRequested = true; // ends with the first pass
        return;
    }
    m_running = false;
    m_timer.stop();
}

void FrameAnimation::onLinkedFrame() {
    if (m_running) advance();
}

void FrameAnimation::advance() {
    if (m_last < m_first) return;
    int next = m_current + 1;
    if (next > m_last) {
        m_completedPass = true;
        if (!m_loop || m_stopRequested) {
            m_running = false;
            m_timer.stop();
            return;
        }
        next = m_first;
    }
    show(next);
}

void FrameAnimation::show(int frameNumber) {
    m_current = frameNumber;
    if (m_view && frameNumber >= m_first && frameNumber <= m_last) {
        // Frames are drawn large; they are shown at the view's size in device pixels.
        const qreal dpr = m_view->devicePixelRatioF();
        const QPixmap pixmap = displayFrame(frameNumber, m_view->contentsRect().size() * dpr, dpr);
        if (!pixmap.isNull()) m_view->setPixmap(pixmap);
    }
    emit frameShown(frameNumber);
}

} // namespace quelvo::ui
