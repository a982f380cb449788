#include "writers/project_writer.h"

#include "base/strings.h"
#include "writers/ducking_fcpxml.h"
#include "writers/fcp_handoff.h"

namespace quelvo {

std::string applyTextualFixes(const std::string& document) {
    const std::string quotedId = std::string("\"") + DuckingFcpxml::kAudioFormatId + "\"";
    const std::string quotedFinal = "\"" + DuckingFcpxml::finalAudioFormatId() + "\"";
    const std::string once = quelvo::replace(document, "file://file://", "file://", true);
    return quelvo::replace(once, quotedId, quotedFinal, true);
}

Status sendToFinalCutPro(const std::string& xml) {
    return fcpHandoff::sendDirectlyToFCP(kHandOverAppName, xml);
}

} // namespace quelvo
