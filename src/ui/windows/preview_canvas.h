#pragma once
// The preview's drawing surface: copies the geometry's shapes onto the
// widget and turns the mouse into zoom, scroll, hover readout and a chosen
// playback point. It holds only the current scene and view; the panel feeds it.
#include <QWidget>

#include "preview/preview_geometry.h"
#include "preview/preview_model.h"

class QNativeGestureEvent;
class QPainter;

namespace quelvo::ui {

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

    void setPlayhead(double seconds); // < 0 hides it
    double playhead() const { return m_playhead; }
    // The hover readout's text ("" when the pointer is elsewhere).
    QString hoverText() const { return m_hoverText; }

    // The speech interval picked on the dialogue lane (-1: none).
    int selectedSpeech() const { return m_selected; }
    void selectSpeech(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void viewChanged();
    void hovered(const QString& text);
    void clicked(double seconds);
    void playToggled();
    // Corrections asked for on the dialogue lane; the panel applies them.
    void speechRemoveRequested(int index);
    void speechAddRequested(double start, double end);
    void speechEdgeMoveRequested(int index, bool endEdge, double seconds);
    void undoRequested();
    void redoRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

  private:
    double duration() const { return m_scene.duration(); }
    void clampView();
    // The picture's layers, bottom up.
    void drawLanesAndRuler(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    void drawWaves(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    void drawGridAndEnvelope(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    void drawCursors(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    void drawLabels(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    void drawSpeechEdit(QPainter& p, const quelvo::preview::PreviewPicture& pic);
    // A drag on the dialogue lane: a new interval, or one edge of one.
    void dragTo(double x);
    void finishDrag(double x);
    void showHoverMillis(double seconds);
    // With depth by loudness, the ducked level of the speech interval under
    // `seconds` ("" elsewhere and for the fixed depth).
    QString intervalGainText(double seconds) const;

    quelvo::preview::PreviewScene m_scene;
    double m_start = 0;
    double m_secondsPerPixel = 0.1;
    bool m_fitted = true; // follows the width until the user zooms
    double m_playhead = -1;
    double m_hoverX = -1;
    QString m_hoverText;
    // Editing the speech: the picked band, and the drag under way.
    enum class Drag { none, pending, adding, startEdge, endEdge };
    int m_selected = -1;
    Drag m_drag = Drag::none;
    int m_dragIndex = -1;
    double m_pressX = 0;
    double m_dragFrom = 0, m_dragTo = 0; // seconds
};

} // namespace quelvo::ui
