#include "project/format_choice.h"

#include "project/version_question_settings.h"

namespace quelvo {

std::optional<ProjectFormat> rememberedFormat() {
    const auto& prefs = kymovie::VersionQuestionSettings::shared();
    if (!prefs.rememberMyChoice()) return std::nullopt;
    const std::optional<int> stored = prefs.rememberedChoiceValue();
    return stored ? formatFromStoredChoice(*stored) : std::nullopt;
}

void rememberFormat(ProjectFormat format) {
    kymovie::VersionQuestionSettings::shared().setRememberedChoiceValue(storedChoice(format));
}

ProjectFormat preferredFormat() {
    return kymovie::VersionQuestionSettings::shared().preferFcpxml19() ? ProjectFormat::fcpxml19
                                                           : ProjectFormat::fcpxml16;
}

} // namespace quelvo
