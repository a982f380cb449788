#pragma once
// What this build of Quelvo is made of, as the linked libraries report it at
// run time: the program's version and FFmpeg's version and licence. The
// licence depends on how the distribution configured FFmpeg (Debian's build
// has GPL parts), so it is never written down as a fixed text.
#include <string>

namespace quelvo {

struct BuildFacts {
    // The program's version, e.g. "1.0.0.1".
    static std::string programVersion();
    // FFmpeg's release, e.g. "5.1.6-0+deb12u1", and its libavcodec version.
    static std::string ffmpegVersion();
    static std::string avcodecVersion();
    // The licence libavcodec reports, e.g. "GPL version 2 or later".
    static std::string ffmpegLicense();
    // What `--version` prints for `program`: "<program> <version>" on the
    // first line, then the FFmpeg build with its licence.
    static std::string versionReport(const std::string& program);
};

} // namespace quelvo
