#include "writers/titles_project.h"

#include <filesystem>

#include "base/files.h"
#include "base/services.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo::titles {

std::string projectComment(const std::string& srtPath) {
    return "Quelvo " + quelvo::BuildVersion::versionString() + ": titles from " +
           quelvo::urlLastPathComponent(srtPath);
}

std::string defaultProjectPath(const std::string& srtPath) {
    return std::filesystem::path(srtPath).replace_extension().string() + ".fcpxml";
}

std::string defaultEventName(const std::string& srtPath) {
    return quelvo::urlName(srtPath);
}

} // namespace quelvo::titles
