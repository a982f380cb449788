#pragma once
// Every dialogue recording's speech, found side by side. Several microphones
// recorded together are independent work: with two jobs or more as many
// files as jobs are analysed at once, each with the request's parallelism
// (a file's own segments then share the cores with the others'), and the
// caller hears each file finish so that its status can keep moving during
// the longer analysis.
#include <functional>
#include <string>
#include <vector>

#include "media/parallelism.h"
#include "project/envelope_timing.h"
#include "speech/speech_clusters.h"

namespace quelvo {

// One analysis per path, in the paths' order (before gap closing, as
// analyzeDialogue gives it). `onFinished(done, total)` is called on the
// calling thread each time a file is done. Once a file fails no further
// file is started; those left out fail with "not analysed".
std::vector<SpeechAnalysis>
analyzeEveryDialogue(const std::vector<std::string>& paths, const EnvelopeTiming& rolls,
                     const Parallelism& parallelism,
                     const std::function<void(int done, int total)>& onFinished = {});

} // namespace quelvo
