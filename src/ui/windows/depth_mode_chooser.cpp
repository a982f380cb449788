#include "ui/windows/depth_mode_chooser.h"

#include <cmath>

#include "mix/depth_mode.h"

namespace quelvo::ui {

DepthModeChooser::DepthModeChooser(QWidget* parent) : QComboBox(parent) {
    setAccessibleName(tr("Music depth"));
    setToolTip(tr("Duck by the fixed depth, or put the music a number of LU under the speech"));
    reload();
    connect(this, &QComboBox::currentIndexChanged, this, &DepthModeChooser::store);
}

void DepthModeChooser::reload() {
    m_loading = true;
    clear();
    addItem(tr("Fixed (the ducking depth)"), QVariant());
    for (const auto& preset : quelvo::mix::kDepthPresets)
        addItem(tr(preset.name), preset.underLU);
    const std::optional<double> stored = quelvo::mix::storedUnderLU();
    int index = 0;
    if (stored) {
        index = findData(*stored);
        if (index < 0) {
            addItem(tr("Music %1 LU under speech").arg(*stored), *stored);
            index = count() - 1;
        }
    }
    setCurrentIndex(index);
    m_loading = false;
}

void DepthModeChooser::store(int index) {
    if (m_loading || index < 0) return;
    const QVariant data = itemData(index);
    quelvo::mix::storeDepthMode(data.isValid() ? std::optional<double>(data.toDouble())
                                               : std::nullopt);
}

} // namespace quelvo::ui
