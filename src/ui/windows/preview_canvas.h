#pragma once
// The preview's drawing surface: copies the geometry's shapes onto the
// widget and turns the mouse into zoom, scroll, hover readout and a chosen
// playback point. It holds only the current scene and view; the panel feeds it.
#include <QWidget>

#include "preview/preview_geometry.h"
#include "preview/preview_model.h"

class QNativeGestureEvent;
class QPainter;

namespace kyui {

class PreviewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PreviewCanvas(QWidget* parent = nullptr);

    void setScene(quelvo::preview::PreviewScene scene);
    const quelvo::preview::PreviewScene& scene() const { return m_scene; }

    // Zoom keeps the time under `anchorX` (pixels) in place.
    void zoomBy(double factor, double anchorX);
    void zoomBy(double factor) { zoomBy(factor, width() / 2.0); }
    void fit();
    void scrollTo(double startSeconds);
    quelvo::preview::Viewport viewport() const;
    double secondsPerPixel() const { return m_secondsPerPixel; }
    double start() const { return m_start; }

    void setPlayhead(double seconds);  // < 0 hides it
    double playhead() const { return m_playhead; }
    // The hover readout's text ("" when the pointer is elsewhere).
    QString hoverText() const { return m_hoverText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void viewChanged();
    void hovered(const QString& text);
    void clicked(double seconds);
    void playToggled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    double duration() const { return m_scene.duration(); }
    void clampView();
    void drawLabels(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    void showHoverMillis(double seconds);
    // With depth by loudness, the ducked level of the speech interval under
    // `seconds` ("" elsewhere and for the fixed depth).
    QString intervalGainText(double seconds) const;

    quelvo::preview::PreviewScene m_scene;
    double m_start = 0;
    double m_secondsPerPixel = 0.1;
    bool m_fitted = true;  // follows the width until the user zooms
    double m_playhead = -1;
    double m_hoverX = -1;
    QString m_hoverText;
};

} // namespace kyui
