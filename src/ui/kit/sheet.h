#pragma once
// A window-modal sheet over a window, such as the progress of a job or a
// question the job waits on. A sheet has no cancel of its own: it closes
// itself (accept, done) when its work is done. Escape and the window's close
// button close it only where the sheet says so (setClosesOnEscape); a sheet
// that stands for work under way or an open question keeps them idle.
#include <QDialog>

namespace quelvo::ui {

class Sheet : public QDialog {
    Q_OBJECT
  public:
    // Over the window of `parent` (or on no window when it is null); the
    // sheet is deleted when it closes. Show it with open().
    explicit Sheet(QWidget* parent);

    bool closesOnEscape() const { return m_closesOnEscape; }
    void setClosesOnEscape(bool closes) { m_closesOnEscape = closes; }

  public slots:
    // Escape.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool m_closesOnEscape = false;
};

} // namespace quelvo::ui
