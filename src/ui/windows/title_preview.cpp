#include "ui/windows/title_preview.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace quelvo::ui {

namespace {

// The Basic Title's space is 1080 units high with 0 in the middle, whatever
// the frame size; sizes, widths and distances are in those units.
constexpr double kTemplateHeight = 1080.0;

QColor qcolor(const RgbaColor& c, double alpha = 1.0) {
    return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue),
                            float(std::clamp(c.alpha * alpha, 0.0, 1.0)));
}

// A soft edge without an image filter: the same shape stroked ever wider and
// fainter. Good enough to see a blur's reach.
void drawSoft(QPainter& p, const QPainterPath& path, QColor color, double width, double blur) {
    if (blur <= 0.5) {
        if (width > 0)
            p.strokePath(path, QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        else
            p.fillPath(path, color);
        return;
    }
    const int steps = 6;
    const double alpha = color.alphaF() / steps * 1.6;
    for (int i = steps; i >= 1; --i) {
        QColor c = color;
        c.setAlphaF(float(std::min(1.0, alpha)));
        p.strokePath(path, QPen(c, width + blur * 2 * i / steps, Qt::SolidLine, Qt::RoundCap,
                                Qt::RoundJoin));
    }
    if (width <= 0) {
        color.setAlphaF(float(std::min(1.0, alpha * 2)));
        p.fillPath(path, color);
    }
}

} // namespace

TitlePreview::TitlePreview(QWidget* parent) : QWidget(parent) {
    setToolTip(tr("An approximation of how Final Cut Pro draws the selected title: "
                  "fonts, stroke and shadow may look a little different there."));
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TitlePreview::setSettings(const TitlesSettings& settings) {
    m_settings = settings;
    update();
}

void TitlePreview::setText(const QString& text) {
    m_text = text;
    update();
}

void TitlePreview::setBackground(const QImage& frame) {
    m_background = frame;
    update();
}

QSize TitlePreview::sizeHint() const {
    const int unit = fontMetrics().height();
    return {32 * unit, 18 * unit};
}

QSize TitlePreview::minimumSizeHint() const {
    const int unit = fontMetrics().height();
    return {16 * unit, 9 * unit};
}

int TitlePreview::heightForWidth(int width) const {
    return width * 9 / 16;
}

QRectF TitlePreview::frameRect() const {
    const double fw = m_settings.frameSize.width > 0 ? m_settings.frameSize.width : 1920;
    const double fh = m_settings.frameSize.height > 0 ? m_settings.frameSize.height : 1080;
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    const double scale = std::min(area.width() / fw, area.height() / fh);
    const QSizeF size(fw * scale, fh * scale);
    return QRectF(area.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QSize TitlePreview::wantedBackgroundSize() const {
    const QRectF r = frameRect();
    const double ratio = devicePixelRatioF();
    return {std::max(1, int(r.width() * ratio)), std::max(1, int(r.height() * ratio))};
}

void TitlePreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Dark around the frame, so that a grey or dark picture keeps its edge.
    p.fillRect(rect(), QColor(40, 40, 40));
    const QRectF frame = frameRect();
    paintPicture(p, frame);
    p.save();
    p.setClipRect(frame);
    paintPatch(p, frame);
    if (!m_text.trimmed().isEmpty())
        paintTitle(p, titlePath(frame), frame.height() / kTemplateHeight);
    p.restore();
}

void TitlePreview::paintPicture(QPainter& p, const QRectF& frame) const {
    // The video's frame fitted inside the project's frame, as Final Cut Pro
    // fits a clip of another shape; else a neutral grey.
    p.fillRect(frame, m_background.isNull() ? QColor(128, 128, 128) : QColor(Qt::black));
    if (m_background.isNull()) return;
    QSizeF shown = QSizeF(m_background.size()).scaled(frame.size(), Qt::KeepAspectRatio);
    p.drawImage(QRectF(frame.center() - QPointF(shown.width() / 2, shown.height() / 2), shown),
                m_background);
}

void TitlePreview::paintPatch(QPainter& p, const QRectF& frame) const {
    // A crop of a full-frame solid, centred across, its bottom edge
    // vPosition up from the frame's bottom.
    if (!m_settings.addPatch.value_or(false) || !m_settings.patch) return;
    const Patch& patch = *m_settings.patch;
    const QRectF box(frame.left() + frame.width() * (1 - patch.hSize) / 2,
                     frame.bottom() - frame.height() * (patch.vPosition + patch.vSize),
                     frame.width() * patch.hSize, frame.height() * patch.vSize);
    QColor c = qcolor(patch.color);
    c.setAlphaF(float(std::clamp(patch.opacity, 0.0, 1.0)));
    p.fillRect(box, c);
}

QPainterPath TitlePreview::titlePath(const QRectF& frame) const {
    const TitlesSettings& s = m_settings;
    const double unit = frame.height() / kTemplateHeight;
    const double frameHeight = s.frameSize.height > 0 ? s.frameSize.height : 1080;
    const QStringList lines = m_text.split('\n');
    QFont font =
        QFontDatabase::font(QString::fromStdString(s.font), QString::fromStdString(s.fontFace), 12);
    font.setPixelSize(std::max(1, int(std::lround(double(s.size) * unit))));
    const QFontMetricsF metrics(font);
    // The generator raises the baseline by 1.05 sizes a line, so that the
    // last line stays where the setting puts it; lines run down from the first.
    double perc = s.baselinePerc;
    if (lines.size() >= 2) perc += double(lines.size() - 1) * double(s.size) / frameHeight * 1.05;
    const double firstBaseline = frame.bottom() - perc * frame.height();
    const double lineStep = double(s.size) * 1.05 * unit + s.lineSpacing * unit;

    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    QPainterPath path;
    for (int i = 0; i < lines.size(); ++i) {
        const double w = metrics.horizontalAdvance(lines[i]);
        // The text block is centred on the frame; alignment places the
        // lines inside it.
        double x = frame.center().x() - widest / 2;
        switch (s.alignment) {
        case Alignment::right:
            x += widest - w;
            break;
        case Alignment::left:
        case Alignment::justified:
            break;
        default:
            x += (widest - w) / 2;
            break;
        }
        path.addText(QPointF(x, firstBaseline + i * lineStep), font, lines[i]);
    }
    return path;
}

void TitlePreview::paintTitle(QPainter& p, const QPainterPath& path, double unit) const {
    const TitlesSettings& s = m_settings;
    const double strokeWidth = std::max(0.0, s.strokeWidth) * unit;
    if (s.shadow.enable) {
        // Angle counter-clockwise from the right, as Final Cut Pro reads it.
        const double rad = s.shadow.angle * M_PI / 180;
        const QPointF offset(std::cos(rad) * s.shadow.distance * unit,
                             -std::sin(rad) * s.shadow.distance * unit);
        QPainterPath shadow = path.translated(offset);
        QColor c = qcolor(s.shadow.color);
        c.setAlphaF(float(std::clamp(s.shadow.opacity, 0.0, 1.0)));
        if (strokeWidth > 0) drawSoft(p, shadow, c, strokeWidth * 2, s.shadow.blur * unit);
        drawSoft(p, shadow, c, 0, s.shadow.blur * unit);
    }
    if (strokeWidth > 0)
        drawSoft(p, path, qcolor(s.strokeColor), strokeWidth * 2, s.strokeBlur * unit);
    p.fillPath(path, qcolor(s.color));
}

} // namespace quelvo::ui
