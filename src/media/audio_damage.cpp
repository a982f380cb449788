#include "media/audio_damage.h"

#include <cmath>
#include <cstdio>

namespace quelvo {

std::string clockText(double seconds) {
    const long long whole =
        std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

std::string shareText(double share) {
    const double percent = share * 100.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", percent > 0 && percent < 0.1 ? 0.1 : percent);
    return text;
}

std::string tooDamagedReason(const AudioDamage& damage, int64_t totalSamples) {
    return shareText(damage.share(totalSamples)) + " of the audio is damaged, first at " +
           clockText(damage.seconds(damage.firstDamaged)) + "; at most " +
           shareText(kMostDamagedShare) + " can be passed over as silence";
}

} // namespace quelvo
