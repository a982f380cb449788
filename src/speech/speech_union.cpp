#include "speech/speech_union.h"

#include "speech/speech_clusters.h"
#include "speech/speech_corrections.h"

namespace quelvo {

kyaudio::ClusterList uniteSpeech(const std::vector<kyaudio::ClusterList>& perFile) {
    if (perFile.size() == 1) return perFile.front(); // one file: exactly as detected
    kyaudio::ClusterList all;
    for (const kyaudio::ClusterList& list : perFile) all.insert(all.end(), list.begin(), list.end());
    return joinIntervals(std::move(all));
}

kyaudio::ClusterList duckedSpeech(const std::vector<kyaudio::ClusterList>& perFile,
                                  const SpeechSettings& speech) {
    return closeGaps(uniteSpeech(perFile), speech);
}

} // namespace quelvo
