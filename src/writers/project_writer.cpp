#include "writers/project_writer.h"

#include "base/strings.h"
#include "writers/fcp_handoff.h"
#include "writers/qv_fcpxml.h"

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
