#include "project/format_choice.h"

#include "project/version_question_settings.h"

namespace quelvo {

std::optional<ProjectFormat> rememberedFormat() {
    const auto& settings = VersionQuestionSettings::shared();
    if (!settings.rememberMyChoice()) return std::nullopt;
    const std::optional<int> stored = settings.rememberedChoiceValue();
    return stored ? formatFromStoredChoice(*stored) : std::nullopt;
}

void rememberFormat(ProjectFormat format) {
    VersionQuestionSettings::shared().setRememberedChoiceValue(storedChoice(format));
}

ProjectFormat preferredFormat() {
    return VersionQuestionSettings::shared().preferFcpxml19() ? ProjectFormat::fcpxml19
                                                              : ProjectFormat::fcpxml16;
}

} // namespace quelvo
