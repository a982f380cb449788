#pragma once
// A whole file's 10 ms levels or speech features, decoded on several
// threads when the file is long enough: the file is cut into segments at
// packet boundaries, each decoded from a little before its start so that
// the decoder settles, and the segments are joined where their samples and
// meters agree to the bit with the neighbour's. The result is the one the
// single-thread reader gives, frame for frame; a file that cannot be cut
// exactly (damaged, no timestamps, too short) is read on one thread.
// docs/parallel-analysis.md explains the seams.
#include <string>
#include <vector>

#include "media/audio_reader.h"
#include "media/parallelism.h"
#include "media/speech_features.h"

namespace quelvo {

// What is measured: the 10 ms peaks, the speech features, or both (the
// preview keeps both from one decoding run).
enum class LevelContent { peaks, speechFeatures, peaksAndSpeechFeatures };

struct FileLevels {
    DecodeSummary decoded;
    std::vector<float> peaks; // one per 10 ms frame, when asked
    SpeechFeatures features;  // when asked
    int segments = 1;         // decoded side by side; 1 when read on one thread
};

// With one job a file is read on one thread as it streams, except an AAC
// file long enough to be decoded in chunks, which is read in the same chunks
// at every number of jobs (docs/parallel-analysis.md).
FileLevels readFileLevels(const std::string& path, LevelContent content,
                          const Parallelism& parallelism);

// Whether readFileLevels decodes this file in chunks even with one job.
bool readInChunks(const std::string& path);

} // namespace quelvo
