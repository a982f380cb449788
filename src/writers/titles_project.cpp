#include "writers/titles_project.h"

#include "base/files.h"
#include "base/services.h"
#include "writers/fcpxml_video_fragments.h"

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
