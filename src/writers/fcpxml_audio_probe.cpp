// The probing form of the asset fragment lives apart, so that code building
// fragments from known facts links without the FFmpeg layer.
#include "writers/fcpxml_audio.h"

namespace quelvo::fcpxml {

std::string getResourceAudioAsset(const std::string& id, const std::string& path) {
    return getResourceAudioAsset(id, path, quelvo::probeAudioFile(path));
}

} // namespace quelvo::fcpxml
