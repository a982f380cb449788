#pragma once
// A picture of one title as the project asks Final Cut Pro to draw it: the
// text in its font, size, colour and alignment at its baseline, with stroke,
// shadow and backing patch, over the video's frame (or a neutral grey), at
// the project's frame size scaled to the panel. It follows Final Cut Pro's
// Basic Title closely enough to judge a style, not to the pixel.
#include <QImage>
#include <QPainterPath>
#include <QWidget>

#include "titles/titles_settings.h"

class QPainter;

namespace quelvo::ui {

class TitlePreview : public QWidget {
    Q_OBJECT
  public:
    explicit TitlePreview(QWidget* parent = nullptr);

    void setSettings(const TitlesSettings& settings);
    // The title's text, several lines joined by line feeds ("" draws none).
    void setText(const QString& text);
    // The video's frame behind the title; a null image shows grey.
    void setBackground(const QImage& frame);

    const QString& text() const { return m_text; }
    const QImage& background() const { return m_background; }
    // Where the project's frame is drawn inside the widget.
    QRectF frameRect() const;
    // The size in device pixels that a background frame should have.
    QSize wantedBackgroundSize() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The parts of a paint: the picture, the patch, and the title's text
    // with its outline and shadow.
    void paintPicture(QPainter& p, const QRectF& frame) const;
    void paintPatch(QPainter& p, const QRectF& frame) const;
    QPainterPath titlePath(const QRectF& frame) const;
    void paintTitle(QPainter& p, const QPainterPath& path, double unit) const;
    TitlesSettings m_settings;
    QString m_text;
    QImage m_background;
};

} // namespace quelvo::ui
