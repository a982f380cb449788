#pragma once
// The speech of several microphones recorded together (a multitrack
// recorder's files, one per speaker): the music ducks while anyone speaks, so
// the job, the preview and the command line all duck under one union. Gap
// closing runs on the union, never per file, so that two speakers answering
// each other quickly keep the music down between them.
#include <vector>

#include "base/cluster.h"
#include "speech/speech_settings.h"

namespace quelvo {

// Every file's speech (as analyzeDialogue gives it, before gap closing) laid
// over one another, sorted, overlapping or touching intervals joined.
ClusterList uniteSpeech(const std::vector<ClusterList>& perFile);

// The union with its gaps closed (closeGaps): what the music ducks under.
ClusterList duckedSpeech(const std::vector<ClusterList>& perFile, const SpeechSettings& speech);

} // namespace quelvo
