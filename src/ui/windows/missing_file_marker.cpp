#include "ui/windows/missing_file_marker.h"

#include <QPainter>

namespace quelvo::ui {

namespace {
const QColor kRed(0xD9, 0x3A, 0x32);
const QColor kOrange(0xC8, 0x5A, 0x00);
} // namespace

QString MissingFileMarker::caption() const {
    return m_kind == kMissing ? tr("Missing") : tr("Can't read");
}

void MissingFileMarker::setKind(Kind kind) {
    if (kind == m_kind) return;
    m_kind = kind;
    if (kind == kMissing) {
        setToolTip(
            tr("This file is no longer where it was dropped. Put it back or drop it again."));
        setAccessibleName(tr("File missing"));
    } else {
        setToolTip(tr("Quelvo cannot read this file. The line below the drop area says why."));
        setAccessibleName(tr("File cannot be read"));
    }
    updateGeometry();
    update();
}

MissingFileMarker::MissingFileMarker(QWidget* parent) : QWidget(parent) {
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setToolTip(tr("This file is no longer where it was dropped. Put it back or drop it again."));
    setAccessibleName(tr("File missing"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize MissingFileMarker::sizeHint() const {
    const QFontMetrics fm(font());
    const int h = fm.height() + fm.height() / 3;
    return {h + fm.horizontalAdvance(caption()) + h / 2 + h / 3, h};
}

void MissingFileMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal h = r.height();
    p.setPen(Qt::NoPen);
    const QColor colour = m_kind == kMissing ? kRed : kOrange;
    p.setBrush(colour);
    p.drawRoundedRect(r, h / 2, h / 2);

    // A white disc with a red "!" at the left end of the pill.
    const QRectF disc(r.left() + h * 0.15, r.top() + h * 0.15, h * 0.7, h * 0.7);
    p.setBrush(Qt::white);
    p.drawEllipse(disc);
    p.setBrush(colour);
    const qreal w = disc.width() * 0.16;
    p.drawRoundedRect(QRectF(disc.center().x() - w / 2, disc.top() + disc.height() * 0.18, w,
                             disc.height() * 0.42),
                      w / 2, w / 2);
    p.drawEllipse(QPointF(disc.center().x(), disc.top() + disc.height() * 0.78), w * 0.6, w * 0.6);

    p.setPen(Qt::white);
    p.drawText(QRectF(disc.right() + h * 0.2, r.top(), r.width() - disc.width() - h * 0.4, h),
               Qt::AlignVCenter | Qt::AlignLeft, caption());
}

} // namespace quelvo::ui
