#pragma once
// A frame animation shown in an image view (a QLabel). Frames are images
// named by a prefix and a zero-padded frame number: with the prefix
// "quelvo_progressA_", frames 0..59 and 5 digits, frame 7 is
// "quelvo_progressA_00007.png", looked up among the program's resources
// (":/images/") or, when a folder path is given, in that folder.
//
// Frames are shown at the view's size, loaded and scaled once on first use
// and kept while the animation lives; frame images drawn larger than the view
// (for 200 % screens) stay sharp there.
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>

class QLabel;

namespace quelvo::ui {

class FrameAnimation : public QObject {
    Q_OBJECT
  public:
    // updateInterval: seconds between frames, or 0 to take it from fps.
    // loop: start again after the last frame. playAtLeastOnce: a stop() before
    // the first pass has ended waits for that pass to end. bundle: accepted
    // for the toolkit's signature, unused. linkedTo: step with that animation
    // instead of an own timer.
    FrameAnimation(QLabel* imageView, double updateInterval, double fps, bool loop,
                   bool playAtLeastOnce, const void* bundle, const QString& folderPath,
                   const QString& imageType, FrameAnimation* linkedTo, bool startImmediately);

    // The frame sequence: name prefix, first and last frame number (both
    // shown), and how many digits the frame number has in a name.
    void setSequence(const QString& namePrefix, int firstFrame, int lastFrame, int digits);

    void start();
    void stop();
    bool isRunning() const { return m_running; }

    int firstFrame() const { return m_first; }
    int lastFrame() const { return m_last; }
    int frameCount() const { return m_last - m_first + 1; }
    int currentFrame() const { return m_current; }
    int intervalMs() const { return m_timer.interval(); }
    // The file name of frame n, e.g. "quelvo_progressA_00007.png".
    QString frameName(int frame) const;
    // The image of frame n (null when the image cannot be found).
    QPixmap frame(int frame) const;

  signals:
    void frameShown(int frame);

  private:
    void advance();
    void show(int frame);
    void onLinkedFrame();
    QPixmap displayFrame(int frame, const QSize& target, qreal dpr);

    QPointer<QLabel> m_view;
    QTimer m_timer;
    bool m_loop;
    bool m_playAtLeastOnce;
    QString m_folder;
    QString m_imageType;
    QPointer<FrameAnimation> m_linkedTo;

    QString m_prefix;
    int m_first = 0;
    int m_last = -1;
    int m_digits = 1;
    int m_current = 0;
    bool m_running = false;
    bool m_completedPass = false;
    bool m_stopRequested = false;
    QVector<QPixmap> m_frames; // as shown, at m_framesSize
    QSize m_framesSize;
};

} // namespace quelvo::ui
