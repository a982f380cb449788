#include "ui/kit/label_status_sink.h"

#include "ui/kit/main_thread.h"

namespace kyui {

void LabelStatusSink::setStatus(const std::string& text) {
    setValue(m_label, QString::fromStdString(text));
}

} // namespace kyui
