#pragma once
// A free-standing window that belongs to a main window (it stays above it
// and goes with it): the preferences window, the About panel. Escape and the
// window's close button close it; it is deleted when closed, so each opening
// makes it anew.
#include <QDialog>

namespace quelvo::ui {

class Panel : public QDialog {
    Q_OBJECT
  public:
    // Belongs to the window of `owner`, or stands alone when owner is null.
    explicit Panel(QWidget* owner);

    // Places the panel as a new window (window_placement.h) and shows it.
    void showPlaced();

  public slots:
    // Escape: not QDialog::reject, which would only hide it.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace quelvo::ui
