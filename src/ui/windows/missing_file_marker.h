#pragma once
// The red "Missing" badge a drop area shows when its file has gone from
// disk since it was dropped (moved, renamed or deleted).
#include <QWidget>

namespace kyui {

class MissingFileMarker : public QWidget {
    Q_OBJECT
public:
    explicit MissingFileMarker(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kyui
