#include "titles/titles_project.h"

#include "platform/movie/fcpxml_video_fragments.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/services.h"

namespace quelvo::titles {

std::string projectComment(const std::string& srtPath) {
    return "Quelvo " + kykit::VersionUpdate::versionString() + ": titles from " +
           kymovie::urlLastPathComponent(srtPath);
}

std::string defaultProjectPath(const std::string& srtPath) {
    return kykit::fu_getFileNameWithoutExtension(srtPath) + ".fcpxml";
}

std::string defaultEventName(const std::string& srtPath) { return kymovie::urlName(srtPath); }

} // namespace quelvo::titles
