#include "media/build_facts.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
}

#include "base/services.h"

namespace quelvo {

std::string BuildFacts::programVersion() {
    return BuildVersion::versionString();
}

std::string BuildFacts::ffmpegVersion() {
    return av_version_info();
}

std::string BuildFacts::avcodecVersion() {
    // The version of the library loaded at run time, not the headers we built with.
    const unsigned v = avcodec_version();
    return std::to_string(AV_VERSION_MAJOR(v)) + "." + std::to_string(AV_VERSION_MINOR(v)) + "." +
           std::to_string(AV_VERSION_MICRO(v));
}

std::string BuildFacts::ffmpegLicense() {
    return avcodec_license();
}

std::string BuildFacts::versionReport(const std::string& program) {
    return program + " " + programVersion() + "\nFFmpeg " + ffmpegVersion() + " (libavcodec " +
           avcodecVersion() + "), licensed under the " + ffmpegLicense();
}

} // namespace quelvo
