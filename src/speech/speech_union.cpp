#include "speech/speech_union.h"

#include "speech/speech_clusters.h"
#include "speech/speech_corrections.h"

namespace quelvo {

ClusterList uniteSpeech(const std::vector<ClusterList>& perFile) {
    if (perFile.size() == 1) return perFile.front(); // one file: exactly as detected
    ClusterList all;
    for (const ClusterList& list : perFile)
        all.insert(all.end(), list.begin(), list.end());
    return joinIntervals(std::move(all));
}

ClusterList duckedSpeech(const std::vector<ClusterList>& perFile, const SpeechSettings& speech) {
    return closeGaps(uniteSpeech(perFile), speech);
}

} // namespace quelvo
