#pragma once
// The status line as the core sees it (quelvo::StatusSink): the ducking job
// writes its stage texts from its worker thread, and they show in a label.
#include <QLabel>
#include <QPointer>

#include "base/services.h"

namespace quelvo::ui {

class LabelStatusSink : public StatusSink {
  public:
    // Make it on the GUI thread; afterwards setStatus may come from any thread,
    // also after the label has gone (the text is then dropped).
    explicit LabelStatusSink(QLabel* label) : m_label(label) {}
    void setStatus(const std::string& text) override;

  private:
    QPointer<QLabel> m_label;
};

} // namespace quelvo::ui
