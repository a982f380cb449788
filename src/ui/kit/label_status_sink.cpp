#include "ui/kit/label_status_sink.h"

#include "ui/kit/task_delivery.h"

namespace quelvo::ui {

void LabelStatusSink::setStatus(const std::string& text) {
    quelvo::onMainThread([label = m_label, text = QString::fromStdString(text)] {
        if (label) label->setText(text);
    });
}

} // namespace quelvo::ui
