#pragma once
// The legacy FCPXML 1.6 ducking document, for Final Cut Pro before 10.6: fixed
// text pieces with the dialogue on the spine, the music on lane -1 carrying the
// volume keyframes and, with a filler, filler clips on lane -2 in the silent
// stretches of the music. It is always written to a file (never handed over)
// and printed to standard output.
#include <string>
#include <vector>

#include "ducking/qv_roll.h"
#include "fcpxml/media_facts.h"
#include "fcpxml/write_result.h"
#include "platform/audio/cluster.h"
#include "platform/toolkit/services.h"

namespace quelvo {

// The filler clips for the gaps between consecutive music clusters (none for
// fewer than two clusters), joined without separators. A clip ends where the
// filler's media ends when the gap is longer than the filler (fillerSeconds
// <= 0: unknown, the gap's length).
std::string legacyFillerClips(const kyaudio::ClusterList& musicClusters, double fillerSeconds = 0);

// Builds the document from the job's facts (duration texts are formatTenths
// texts, rates in Hz), analyses the music for filler clips when fillerPath is
// not "", shows its stages in statusLabel (may be null), prints the document
// and a line feed to standard output, and writes it atomically to outputFile
// unless that is "". The music analysis goes through `facts`. duckedLevels,
// when not empty, gives each speech cluster its own ducked level (depth by
// loudness) instead of the one decrease.
FCPXMLWriteResult writeLegacyDocument(
    const std::string& speakerPath, const std::string& speakerDuration, int speakerRate,
    const std::string& musicPath, const std::string& musicDuration, int musicRate,
    const std::string& fillerPath, const std::string& fillerDuration, int fillerRate,
    int duckingDecrease, const kyaudio::ClusterList& speechClusters, const QVRoll& rolls,
    int overallMusicLevel, const std::string& longestDuration, bool decreaseToZero,
    const std::string& eventName, const std::string& projectName, kykit::StatusSink* statusLabel,
    const std::string& outputFile, const MediaFacts& facts = probedMediaFacts(),
    const std::vector<int>& duckedLevels = {});

} // namespace quelvo
