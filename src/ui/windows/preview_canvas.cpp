#include "ui/windows/preview_canvas.h"

#include <algorithm>
#include <cmath>

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include "base/services.h"
#include "preview/preview_colors.h"
#include "preview/speech_editing.h"

namespace quelvo::ui {

namespace pv = quelvo::preview;
namespace colors = quelvo::preview::colors;

namespace {

QColor colour(const char* hex, double opacity = 1.0) {
    QColor c(QString::fromLatin1(hex));
    c.setAlphaF(static_cast<float>(opacity));
    return c;
}

QRectF boxRect(const pv::Box& b) {
    return QRectF(b.x, b.y, b.w, b.h);
}

} // namespace

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(tr("Preview of the dialogue, the music and its volume"));
    setToolTip(tr("Click to choose where playback starts; Ctrl+wheel zooms; Space plays"));
}

namespace {

// Pixels a press must travel before it is a drag rather than a click.
constexpr double kDragStart = 3;

} // namespace

QSize PreviewCanvas::sizeHint() const {
    const int unit = fontMetrics().height();
    return {40 * unit, 14 * unit};
}

QSize PreviewCanvas::minimumSizeHint() const {
    // Tall enough for every dB label of the music lane.
    const int unit = fontMetrics().height();
    return {20 * unit, static_cast<int>(std::ceil(pv::minimumPreviewHeight(unit)))};
}

void PreviewCanvas::setScene(pv::PreviewScene scene) {
    m_scene = std::move(scene);
    if (m_selected >= static_cast<int>(m_scene.speech.size())) m_selected = -1;
    if (m_fitted)
        fit();
    else
        clampView();
    update();
}

pv::Viewport PreviewCanvas::viewport() const {
    pv::Viewport v;
    v.start = m_start;
    v.secondsPerPixel = m_secondsPerPixel;
    v.width = width();
    v.height = height();
    v.labelHeight = fontMetrics().height();
    return v;
}

void PreviewCanvas::fit() {
    m_fitted = true;
    m_secondsPerPixel = pv::fitViewport(duration(), std::max(1, width()), height()).secondsPerPixel;
    m_start = 0;
    update();
    emit viewChanged();
}

void PreviewCanvas::zoomBy(double factor, double anchorX) {
    const double anchor = m_start + anchorX * m_secondsPerPixel;
    const double fitted =
        pv::fitViewport(duration(), std::max(1, width()), height()).secondsPerPixel;
    // From one 10 ms level per pixel out to the whole file.
    m_secondsPerPixel = std::clamp(m_secondsPerPixel / factor, pv::kFinestSecondsPerPixel, fitted);
    m_fitted = m_secondsPerPixel >= fitted;
    m_start = anchor - anchorX * m_secondsPerPixel;
    clampView();
    update();
    emit viewChanged();
}

void PreviewCanvas::scrollTo(double startSeconds) {
    m_start = startSeconds;
    clampView();
    update();
    emit viewChanged();
}

void PreviewCanvas::clampView() {
    const double span = m_secondsPerPixel * width();
    m_start = std::clamp(m_start, 0.0, std::max(0.0, duration() - span));
}

void PreviewCanvas::setPlayhead(double seconds) {
    m_playhead = seconds;
    update();
}

void PreviewCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_fitted)
        fit();
    else
        clampView();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colour(colors::kBackground));
    if (duration() <= 0) {
        p.setPen(colour(colors::kRulerText));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                   tr("Choose a dialogue and a music file to see the ducking here."));
        return;
    }
    const pv::PreviewPicture pic = pv::layoutPreview(m_scene, viewport());
    drawLanesAndRuler(p, pic);
    drawWaves(p, pic);
    drawGridAndEnvelope(p, pic);
    p.setRenderHint(QPainter::Antialiasing, false);
    drawSpeechEdit(p, pic);
    drawLabels(p, pic);
    drawCursors(p, pic);
}

void PreviewCanvas::drawLanesAndRuler(QPainter& p, const pv::PreviewPicture& pic) {
    p.fillRect(boxRect(pic.ruler), colour(colors::kRuler));
    p.fillRect(boxRect(pic.dialogueLane), colour(colors::kLane));
    p.fillRect(boxRect(pic.musicLane), colour(colors::kLane));
    for (const pv::MicrophonePicture& mic : pic.microphones) {
        p.fillRect(boxRect(mic.lane), colour(colors::kLane));
        for (const pv::Box& b : mic.speech)
            p.fillRect(boxRect(b), colour(colors::kSpeech, colors::kShadeOpacity));
    }
    p.setPen(colour(colors::kRulerText));
    for (const pv::Tick& t : pic.ticks) {
        const double top = t.label.empty() ? pic.ruler.h * 0.7 : pic.ruler.h * 0.4;
        p.drawLine(QPointF(t.x, top), QPointF(t.x, pic.ruler.h));
        if (!t.label.empty())
            p.drawText(QRectF(t.x + 3, 0, 200, pic.ruler.h * 0.6), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromStdString(t.label));
    }
    for (const pv::Box& b : pic.speech)
        p.fillRect(boxRect(b), colour(colors::kSpeech, colors::kShadeOpacity));
    for (const pv::Box& b : pic.fillers)
        p.fillRect(boxRect(b), colour(colors::kFiller, colors::kShadeOpacity));
}

void PreviewCanvas::drawWaves(QPainter& p, const pv::PreviewPicture& pic) {
    const auto wave = [&p](const std::vector<pv::Column>& columns, QColor c) {
        // Columns are pixel-wide bands: filled rectangles, in one call.
        std::vector<QRectF> bands;
        bands.reserve(columns.size());
        for (const pv::Column& col : columns)
            bands.emplace_back(col.x, col.top, 1.0, col.bottom - col.top);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRects(bands.data(), static_cast<int>(bands.size()));
        p.setBrush(Qt::NoBrush);
    };
    wave(pic.dialogueWave, colour(colors::kDialogueWave));
    for (const pv::MicrophonePicture& mic : pic.microphones)
        wave(mic.wave, colour(colors::kDialogueWave));
    // The music's translucent colour mixed over the lane once, here, instead
    // of blended pixel by pixel: half the paint time for an hour's picture.
    const QColor lane = colour(colors::kLane), music = colour(colors::kMusicWave);
    const double a = colors::kMusicWaveOpacity;
    wave(pic.musicWave,
         QColor::fromRgbF(static_cast<float>(lane.redF() * (1 - a) + music.redF() * a),
                          static_cast<float>(lane.greenF() * (1 - a) + music.greenF() * a),
                          static_cast<float>(lane.blueF() * (1 - a) + music.blueF() * a)));
}

void PreviewCanvas::drawGridAndEnvelope(QPainter& p, const pv::PreviewPicture& pic) {
    QPen grid(colour(colors::kGrid));
    grid.setStyle(Qt::DashLine);
    p.setPen(grid);
    for (const pv::GridLine& g : pic.dbGrid)
        p.drawLine(QPointF(0, g.y), QPointF(width(), g.y));
    p.setRenderHint(QPainter::Antialiasing);
    // Segments, not one polyline: a wide polyline of thousands of points is
    // outlined as one shape, which takes a second for an hour of keyframes.
    // Points that share a pixel column become one vertical stroke over their
    // extent: the same pixels, a fraction of the strokes when zoomed out.
    std::vector<QLineF> segments;
    segments.reserve(pic.envelope.size());
    QPointF last;
    for (size_t i = 0; i < pic.envelope.size();) {
        const double column = std::floor(pic.envelope[i].x);
        double top = pic.envelope[i].y, bottom = top;
        const QPointF first(pic.envelope[i].x, pic.envelope[i].y);
        size_t j = i;
        for (; j < pic.envelope.size() && std::floor(pic.envelope[j].x) == column; ++j) {
            top = std::min(top, pic.envelope[j].y);
            bottom = std::max(bottom, pic.envelope[j].y);
        }
        if (i > 0) segments.emplace_back(last, first);
        if (bottom > top) segments.emplace_back(column + 0.5, top, column + 0.5, bottom);
        last = QPointF(pic.envelope[j - 1].x, pic.envelope[j - 1].y);
        i = j;
    }
    p.setPen(QPen(colour(colors::kEnvelope), 2, Qt::SolidLine, Qt::SquareCap));
    p.drawLines(segments.data(), static_cast<int>(segments.size()));
    p.setBrush(colour(colors::kEnvelope));
    p.setPen(Qt::NoPen);
    // Marks only where they do not merge into a solid line.
    if (pic.keyframeMarks.size() * 6 < static_cast<size_t>(width()))
        for (const pv::Point& pt : pic.keyframeMarks)
            p.drawEllipse(QPointF(pt.x, pt.y), 2.5, 2.5);
}

void PreviewCanvas::drawCursors(QPainter& p, const pv::PreviewPicture& pic) {
    if (m_playhead >= 0) {
        const double x = pv::xForTime(viewport(), m_playhead);
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(QPointF(x, 0), QPointF(x, height()));
    }
    if (m_hoverX >= 0) {
        p.setPen(QPen(colour(colors::kRulerText, 0.6), 1, Qt::DotLine));
        p.drawLine(QPointF(m_hoverX, pic.ruler.h), QPointF(m_hoverX, height()));
    }
}

void PreviewCanvas::drawSpeechEdit(QPainter& p, const pv::PreviewPicture& pic) {
    const pv::Viewport view = viewport();
    const auto band = [&](double from, double to) {
        const double left = pv::xForTime(view, std::min(from, to)),
                     right = pv::xForTime(view, std::max(from, to));
        return QRectF(left, pic.dialogueLane.y + 1, std::max(1.0, right - left),
                      pic.dialogueLane.h - 2);
    };
    p.setBrush(Qt::NoBrush);
    if (m_selected >= 0 && m_selected < static_cast<int>(m_scene.speech.size())) {
        const Cluster& c = m_scene.speech[static_cast<size_t>(m_selected)];
        p.setPen(QPen(colour(colors::kSpeech), 2));
        p.drawRect(band(c.start, c.end));
    }
    if (m_drag == Drag::none || m_drag == Drag::pending) return;
    // The band as it will be once the mouse is let go.
    double from = m_dragFrom, to = m_dragTo;
    if (m_drag != Drag::adding) {
        const Cluster& c = m_scene.speech[static_cast<size_t>(m_dragIndex)];
        from = m_drag == Drag::startEdge ? m_dragTo : c.start;
        to = m_drag == Drag::endEdge ? m_dragTo : c.end;
    }
    p.fillRect(band(from, to), colour(colors::kSpeech, colors::kShadeOpacity));
    p.setPen(QPen(colour(colors::kSpeech), 1, Qt::DashLine));
    p.drawRect(band(from, to));
}

void PreviewCanvas::drawLabels(QPainter& p, const pv::PreviewPicture& pic) {
    // Over everything they name, each on its opaque plate.
    const auto label = [&p](const pv::Label& l) {
        if (l.text.empty()) return;
        const QRectF plate = boxRect(l.plate);
        p.fillRect(plate, colour(colors::kLabelPlate));
        p.setPen(colour(colors::kRulerText));
        p.drawText(plate.adjusted(2, 0, -2, 0),
                   (l.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                   QString::fromStdString(l.text));
    };
    for (const pv::GridLine& g : pic.dbGrid)
        label(g.label);
    label(pic.dialogueCaption);
    for (const pv::MicrophonePicture& mic : pic.microphones)
        label(mic.caption);
    label(pic.musicCaption);
    if (pic.fillerLegend.text.empty()) return;
    p.setPen(colour(colors::kFiller));
    p.setBrush(colour(colors::kFiller, colors::kShadeOpacity));
    p.drawRect(boxRect(pic.fillerSwatch));
    p.setBrush(Qt::NoBrush);
    label(pic.fillerLegend);
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
    const QPoint steps = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        zoomBy(std::pow(1.25, steps.y() / 120.0), event->position().x());
    } else {
        // A plain wheel or a trackpad's sideways swipe moves along the time axis.
        const int delta = steps.x() != 0 ? steps.x() : steps.y();
        scrollTo(m_start - delta / 120.0 * 60 * m_secondsPerPixel);
    }
    event->accept();
}

bool PreviewCanvas::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            zoomBy(1.0 + gesture->value(), gesture->position().x());
            return true;
        }
    }
    return QWidget::event(event);
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
    m_hoverX = event->position().x();
    if (m_drag != Drag::none && (event->buttons() & Qt::LeftButton)) dragTo(m_hoverX);
    const pv::SpeechHit hit =
        pv::hitSpeech(m_scene.speech, viewport(), m_hoverX, event->position().y());
    const bool onEdge =
        hit.part == pv::SpeechHit::Part::startEdge || hit.part == pv::SpeechHit::Part::endEdge;
    setCursor(onEdge || m_drag == Drag::startEdge || m_drag == Drag::endEdge ? Qt::SizeHorCursor
                                                                             : Qt::ArrowCursor);
    const double t = pv::timeForX(viewport(), m_hoverX);
    if (duration() <= 0 || t < 0 || t > duration()) {
        m_hoverText.clear();
    } else {
        const double db = m_scene.envelope().gainDbAt(t);
        const QString gain = db <= -96 ? tr("silent") : QString::asprintf("%+.1f dB", db);
        m_hoverText = tr("%1   music %2").arg(QString::fromStdString(pv::timecodeText(t)), gain);
        m_hoverText += intervalGainText(t);
    }
    showHoverMillis(t);
    emit hovered(m_hoverText);
    update();
}

void PreviewCanvas::showHoverMillis(double seconds) {
    // The readout counts frames; the tooltip gives the time to the millisecond.
    const QString usage =
        tr("Click to choose where playback starts; Ctrl+wheel zooms; Space plays");
    if (m_hoverText.isEmpty()) return setToolTip(usage);
    setToolTip(QString::fromStdString(Timecode::withMilliseconds(seconds, false)) +
               QLatin1Char('\n') + usage);
}

QString PreviewCanvas::intervalGainText(double seconds) const {
    const auto& speech = m_scene.speech;
    for (size_t k = 0; k < speech.size() && k < m_scene.duckedLevels.size(); ++k)
        if (speech[k].start <= seconds && seconds <= speech[k].end)
            return tr("   this interval %1 dB").arg(m_scene.duckedLevels[k]);
    return {};
}

void PreviewCanvas::leaveEvent(QEvent* event) {
    m_hoverX = -1;
    m_hoverText.clear();
    emit hovered(m_hoverText);
    update();
    QWidget::leaveEvent(event);
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || duration() <= 0)
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const double x = event->position().x();
    const pv::SpeechHit hit = pv::hitSpeech(m_scene.speech, viewport(), x, event->position().y());
    m_pressX = x;
    m_dragIndex = hit.index;
    m_dragFrom = m_dragTo = pv::editTime(viewport(), x, duration());
    using Part = pv::SpeechHit::Part;
    m_drag = hit.part == Part::startEdge            ? Drag::startEdge
             : hit.part == Part::endEdge            ? Drag::endEdge
             : hit.inLane && hit.part == Part::none ? Drag::pending
                                                    : Drag::none;
    selectSpeech(hit.part == Part::none ? -1 : hit.index);
    if (m_drag == Drag::startEdge || m_drag == Drag::endEdge) return;
    const double t = std::clamp(pv::timeForX(viewport(), x), 0.0, duration());
    setPlayhead(t);
    emit clicked(t);
}

void PreviewCanvas::selectSpeech(int index) {
    m_selected = index >= 0 && index < static_cast<int>(m_scene.speech.size()) ? index : -1;
    update();
}

void PreviewCanvas::dragTo(double x) {
    if (m_drag == Drag::pending && std::fabs(x - m_pressX) >= kDragStart) m_drag = Drag::adding;
    if (m_drag == Drag::pending) return;
    m_dragTo = pv::editTime(viewport(), x, duration());
    update();
}

void PreviewCanvas::finishDrag(double x) {
    const Drag drag = m_drag;
    m_drag = Drag::none;
    if (drag == Drag::none || drag == Drag::pending) return;
    dragTo(x);
    update();
    if (drag == Drag::adding) {
        if (m_dragTo != m_dragFrom)
            emit speechAddRequested(std::min(m_dragFrom, m_dragTo), std::max(m_dragFrom, m_dragTo));
    } else if (std::fabs(x - m_pressX) >= 1) {
        emit speechEdgeMoveRequested(m_dragIndex, drag == Drag::endEdge, m_dragTo);
    }
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    finishDrag(event->position().x());
}

void PreviewCanvas::contextMenuEvent(QContextMenuEvent* event) {
    const pv::SpeechHit hit =
        pv::hitSpeech(m_scene.speech, viewport(), event->pos().x(), event->pos().y());
    if (hit.part == pv::SpeechHit::Part::none) return QWidget::contextMenuEvent(event);
    selectSpeech(hit.index);
    QMenu menu(this);
    const int index = hit.index;
    menu.addAction(tr("Not Speech"), this, [this, index] { emit speechRemoveRequested(index); });
    menu.exec(event->globalPos());
}

void PreviewCanvas::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) return emit undoRequested();
    if (event->matches(QKeySequence::Redo) ||
        (event->key() == Qt::Key_Z &&
         event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)))
        return emit redoRequested();
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (m_selected >= 0) emit speechRemoveRequested(m_selected);
        return;
    case Qt::Key_Escape:
        if (m_drag == Drag::none) return QWidget::keyPressEvent(event);
        m_drag = Drag::none;
        update();
        return;
    case Qt::Key_Space:
        emit playToggled();
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(2.0);
        return;
    case Qt::Key_Minus:
        zoomBy(0.5);
        return;
    case Qt::Key_Left:
        scrollTo(m_start - width() / 4.0 * m_secondsPerPixel);
        return;
    case Qt::Key_Right:
        scrollTo(m_start + width() / 4.0 * m_secondsPerPixel);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace quelvo::ui
