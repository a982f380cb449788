#pragma once
// The badge in a drop area's corner: red "Missing" when its file has gone
// from disk since it was dropped (moved, renamed or deleted), orange "Can't
// read" when the file is there but is not audio that can be used (a damaged
// WAV, a text file named .mp3). The drop area's duration line says why.
#include <QWidget>

namespace quelvo::ui {

class MissingFileMarker : public QWidget {
    Q_OBJECT
  public:
    enum Kind { kMissing, kUnreadable };

    explicit MissingFileMarker(QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    void setKind(Kind kind);
    QString caption() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind m_kind = kMissing;
};

} // namespace quelvo::ui
