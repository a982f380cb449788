#include "project/version_question_settings.h"

#include <cmath>

#include "base/settings_store.h"

namespace quelvo {

namespace {
constexpr const char* kPreferKey = "KyFCP106Prefs.preferFCP106";
constexpr const char* kRememberKey = "KyFCP106Prefs.rememberMyChoice";
constexpr const char* kChoiceKey = "KyFCP106Prefs.rememberedChoice";
} // namespace

VersionQuestionSettings& VersionQuestionSettings::shared() {
    static VersionQuestionSettings settings;
    return settings;
}

bool VersionQuestionSettings::preferFcpxml19() const {
    return quelvo::storedBool(kPreferKey, true);
}
void VersionQuestionSettings::setPreferFcpxml19(bool value) {
    quelvo::storeBool(kPreferKey, value);
}
bool VersionQuestionSettings::rememberMyChoice() const {
    return quelvo::storedBool(kRememberKey, false);
}
void VersionQuestionSettings::setRememberMyChoice(bool value) {
    quelvo::storeBool(kRememberKey, value);
}

std::optional<int> VersionQuestionSettings::rememberedChoiceValue() const {
    // -1 is what an unset key reads as; a hand-edited file may hold anything.
    const double raw = quelvo::storedDouble(kChoiceKey, -1);
    if (!std::isfinite(raw) || raw < 0 || raw > 1000 || raw != std::floor(raw)) return std::nullopt;
    return static_cast<int>(raw);
}

void VersionQuestionSettings::setRememberedChoiceValue(int value) {
    quelvo::storeDouble(kChoiceKey, value);
}

std::optional<FcpxmlVersion> VersionQuestionSettings::rememberedChoice() const {
    const auto stored = rememberedChoiceValue();
    if (stored == 0) return FcpxmlVersion::v1_6;
    if (stored == 1) return FcpxmlVersion::v1_9;
    return std::nullopt;
}

void VersionQuestionSettings::setRememberedChoice(FcpxmlVersion version) {
    setRememberedChoiceValue(static_cast<int>(version));
}

} // namespace quelvo
