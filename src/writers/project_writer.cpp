#include "writers/project_writer.h"

#include "base/strings.h"
#include "writers/fcp_handoff.h"
#include "writers/ducking_fcpxml.h"

namespace quelvo {

std::string applyTextualFixes(const std::string& document) {
    const std::string quotedId = std::string("\"") + DuckingFcpxml::kAudioFormatId + "\"";
    const std::string quotedFinal = "\"" + DuckingFcpxml::finalAudioFormatId() + "\"";
    const std::string once = kykit::replace(document, "file://file://", "file://", true);
    return kykit::replace(once, quotedId, quotedFinal, true);
}

kykit::Status sendToFinalCutPro(const std::string& xml) {
    return kymovie::fcpHandoff::sendDirectlyToFCP(kHandOverAppName, xml);
}

} // namespace quelvo
