#include "fcpxml/project_writer.h"

#include "fcpxml/qv_fcpxml.h"
#include "platform/movie/fcp_handoff.h"
#include "platform/toolkit/strings.h"

namespace quelvo {

std::string applyTextualFixes(const std::string& document) {
    const std::string quotedId = std::string("\"") + QVFCPXML::kAudioFormatId + "\"";
    const std::string quotedFinal = "\"" + QVFCPXML::finalAudioFormatId() + "\"";
    const std::string once = kykit::replace(document, "file://file://", "file://", true);
    return kykit::replace(once, quotedId, quotedFinal, true);
}

kykit::Status sendToFinalCutPro(const std::string& xml) {
    return kymovie::KyFCPXML::sendDirectlyToFCP(kHandOverAppName, xml);
}

} // namespace quelvo
