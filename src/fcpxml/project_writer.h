#pragma once
// The FCPXML 1.9 project writer, for Final Cut Pro 10.6 and later: builds the
// QVFCPXML document, applies the two textual fixes and then either writes the
// file or, when the title settings say so, hands the document to Final Cut
// Pro one second later.
#include <optional>
#include <string>
#include <vector>

#include "ducking/qv_roll.h"
#include "fcpxml/media_facts.h"
#include "fcpxml/write_result.h"
#include "platform/audio/cluster.h"
#include "platform/toolkit/result.h"

namespace quelvo {

// The name the hand-over is made under.
inline constexpr const char* kHandOverAppName = "Quelvo";
// How long after the writer the hand-over runs, in seconds.
inline constexpr double kHandOverDelay = 1.0;

// Every "file://file://" becomes "file://", then every "QVAudio" in double
// quotes becomes "FORMAT_QVAudio" (both ignoring case); apostrophe-quoted
// text is left alone.
std::string applyTextualFixes(const std::string& document);

// Hands the document to Final Cut Pro under the name "Quelvo".
kykit::Status sendToFinalCutPro(const std::string& xml);

// fillerFileURL is the filler's path, absent when none was chosen. The
// result carries the document and, when it was written, the output path; a
// failed write is its status. When the document is sent instead, the result
// says so and onHandOver (if given) learns later how the hand-over went;
// without one a failure is printed to standard error. duckedLevels, when not
// empty, gives each speech cluster its own ducked level (depth by loudness).
FCPXMLWriteResult writeProject(bool decreaseToZero, int duckingDecrease,
                               const kyaudio::ClusterList& speechClusters, const QVRoll& rolls,
                               int overallMusicLevel, const std::string& speakerPath,
                               const std::string& musicPath,
                               const std::optional<std::string>& fillerFileURL,
                               const std::string& eventName, const std::string& projectName,
                               const kyaudio::ClusterList& fillerClusterList,
                               const std::string& outputFile,
                               const MediaFacts& facts = probedMediaFacts(),
                               HandOverReport onHandOver = {},
                               const std::vector<int>& duckedLevels = {});

} // namespace quelvo
