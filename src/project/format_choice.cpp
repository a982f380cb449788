#include "project/format_choice.h"

#include "project/fcp106_prefs.h"

namespace quelvo {

std::optional<ProjectFormat> rememberedFormat() {
    const auto& prefs = kymovie::KyFCP106Prefs::shared();
    if (!prefs.rememberMyChoice()) return std::nullopt;
    const std::optional<int> stored = prefs.rememberedChoiceValue();
    return stored ? formatFromStoredChoice(*stored) : std::nullopt;
}

void rememberFormat(ProjectFormat format) {
    kymovie::KyFCP106Prefs::shared().setRememberedChoiceValue(storedChoice(format));
}

ProjectFormat preferredFormat() {
    return kymovie::KyFCP106Prefs::shared().preferFCP106() ? ProjectFormat::fcpxml19
                                                           : ProjectFormat::fcpxml16;
}

} // namespace quelvo
