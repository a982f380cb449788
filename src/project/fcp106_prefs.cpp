#include "project/fcp106_prefs.h"

#include <cmath>

#include "base/prefs.h"

namespace kymovie {

namespace {
constexpr const char* kPreferKey = "KyFCP106Prefs.preferFCP106";
constexpr const char* kRememberKey = "KyFCP106Prefs.rememberMyChoice";
constexpr const char* kChoiceKey = "KyFCP106Prefs.rememberedChoice";
} // namespace

KyFCP106Prefs& KyFCP106Prefs::shared() {
    static KyFCP106Prefs prefs;
    return prefs;
}

bool KyFCP106Prefs::preferFCP106() const { return kykit::prefs_getValueBool(kPreferKey, true); }
void KyFCP106Prefs::setPreferFCP106(bool value) { kykit::prefs_setValueBool(kPreferKey, value); }
bool KyFCP106Prefs::rememberMyChoice() const { return kykit::prefs_getValueBool(kRememberKey, false); }
void KyFCP106Prefs::setRememberMyChoice(bool value) { kykit::prefs_setValueBool(kRememberKey, value); }

std::optional<int> KyFCP106Prefs::rememberedChoiceValue() const {
    // -1 is what an unset key reads as; a hand-edited file may hold anything.
    const double raw = kykit::prefs_getValueDouble(kChoiceKey, -1);
    if (!std::isfinite(raw) || raw < 0 || raw > 1000 || raw != std::floor(raw)) return std::nullopt;
    return static_cast<int>(raw);
}

void KyFCP106Prefs::setRememberedChoiceValue(int value) {
    kykit::prefs_setValueDouble(kChoiceKey, value);
}

std::optional<FcpxmlVersion> KyFCP106Prefs::rememberedChoice() const {
    const auto stored = rememberedChoiceValue();
    if (stored == 0) return FcpxmlVersion::v1_6;
    if (stored == 1) return FcpxmlVersion::v1_9;
    return std::nullopt;
}

void KyFCP106Prefs::setRememberedChoice(FcpxmlVersion version) {
    setRememberedChoiceValue(static_cast<int>(version));
}

} // namespace kymovie
