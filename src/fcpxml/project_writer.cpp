#include "fcpxml/project_writer.h"

#include <cstdio>

#include "ducking/volume_keyframes.h"
#include "fcpxml/qv_fcpxml.h"
#include "platform/movie/fcp_handoff.h"
#include "platform/toolkit/concurrency.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/strings.h"
#include "titles/settings/fcpxml_titles_settings.h"

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

FCPXMLWriteResult writeProject(bool decreaseToZero, int duckingDecrease,
                               const kyaudio::ClusterList& speechClusters, const QVRoll& rolls,
                               int overallMusicLevel, const std::string& speakerPath,
                               const std::string& musicPath,
                               const std::optional<std::string>& fillerFileURL,
                               const std::string& eventName, const std::string& projectName,
                               const kyaudio::ClusterList& fillerClusterList,
                               const std::string& outputFile, const MediaFacts& facts,
                               HandOverReport onHandOver, const std::vector<int>& duckedLevels) {
    FCPXMLWriteResult result;
    auto keyframes = duckedLevels.empty()
                         ? makeVolumeKeyframes(speechClusters, rolls, decreaseToZero, duckingDecrease,
                                               overallMusicLevel)
                         : makeVolumeKeyframes(speechClusters, rolls, duckedLevels, overallMusicLevel);
    result.keyframes = static_cast<int>(keyframes.size());
    const QVFCPXML project(speakerPath, musicPath, fillerFileURL, eventName, projectName,
                           std::move(keyframes), fillerClusterList, facts);
    result.fillerClips = project.fillerClipCount();
    result.document = applyTextualFixes(project.makeDocument());

    if (FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile) {
        // The job is released before the hand-over runs; the block owns its copy of the text.
        kykit::Queue::execute(kHandOverDelay, [xml = result.document, report = std::move(onHandOver)] {
            const auto handedOver = kymovie::KyFCPXML::handOverToFCP(kHandOverAppName, xml);
            if (report) report(handedOver);
            else if (!handedOver.status.ok())
                std::fprintf(stderr, "Quelvo: %s\n", handedOver.status.message().c_str());
        });
        result.sentToFCP = true;
        return result;
    }
    if (!outputFile.empty()) {
        result.status = kykit::fu_writeTextToFile(outputFile, result.document);
        if (result.status.ok()) result.outputPath = outputFile;
    }
    return result;
}

} // namespace quelvo
