#include "platform/toolkit/services.h"

#include <cmath>
#include <cstdio>

namespace kykit {

void ih_setText(StatusSink* label, const std::string& text, const char* /*color*/) {
    if (label) label->setStatus(text);
}

std::string TC::getFloatTimecode(double seconds, bool withComma) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    auto millis = static_cast<long long>(std::llround(seconds * 1000.0));
    const long long h = millis / 3600000;
    millis %= 3600000;
    const long long m = millis / 60000;
    millis %= 60000;
    const long long s = millis / 1000;
    millis %= 1000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld%c%03lld", h, m, s, withComma ? ',' : '.',
                  millis);
    return buf;
}

float VersionUpdate::getCurrentBuild() { return static_cast<float>(QUELVO_BUILD_NUMBER); }

std::string VersionUpdate::versionString() { return QUELVO_VERSION; }

} // namespace kykit
