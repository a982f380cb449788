#pragma once
// Audio file facts and level analysis on FFmpeg. The calls that the rest of
// the program names keep their plain signatures (0 for an unreadable file, an
// empty cluster list); probeAudioFile and analyzeLevels also say whether the
// file could be read and, when not, why: status.message() is the reason alone
// ("the file is empty", "the file ends early: 7.94 s of 15.88 s could be
// read", or FFmpeg's own text), one line without the file name, so that the
// caller can write its sentence around it. Safe to call from any thread.
#include <cstdint>
#include <functional>
#include <string>

#include "base/cluster.h"
#include "base/result.h"
#include "media/audio_damage.h"
#include "media/parallelism.h"

namespace quelvo {

// From the container's header: duration and sampleCount are what it
// declares (MP3 lengths include the encoder delay that decoding drops).
struct AudioFileInfo {
    Status status = Status::failure("not probed");
    double duration = 0; // seconds
    int sampleRate = 0;  // Hz
    int channels = 0;
    int64_t sampleCount = 0; // frames at sampleRate (exact where the container says)
    bool estimated = false;  // guessed from the bitrate: the header says nothing
};

// Header-only probe; the empty path and unreadable files give a failure status.
AudioFileInfo probeAudioFile(const std::string& path);

// Seconds; 0 for the empty path and for unreadable files.
double audioDuration(const std::string& path);
// Hz; 0 for the empty path and for unreadable files.
int audioSampleRate(const std::string& path);

struct LevelParameters {
    double threshold = -24;      // dB: a frame is loud at or above it
    double decay = 0.5;          // s: hold time before an open cluster closes
    double minDuration = 0.5;    // s: shorter clusters are dropped
    double fadeInDuration = 0.1; // s: clusters widened at the start
    double fadeOutDuration = 0.1;
    bool noisyEnironment = false;
    double environmentNoiseLevel = 1.0;
    double hysteresis = 5.0; // dB
    double preRoll = 0.0;    // s
};

struct LevelAnalysis {
    Status status = Status::failure("not analysed");
    ClusterList clusters;
    double duration = 0; // as decoded, encoder delay and padding dropped as FFmpeg does
    int sampleRate = 0;
    // As DecodeSummary (audio_reader.h): what was passed over as silence,
    // and how long the packets say the audio lasts.
    AudioDamage damage;
    double packetSeconds = 0;
    double frameSeconds = 0;
};

// Decodes the whole file (streaming) and finds where its level is active:
// the 10 ms sample peak over all channels against the parameters above.
// Fails for a file that cannot be opened, has no audio, is mostly damaged or
// is shorter than its header declares. With more than one job a long file is
// decoded in segments side by side; the clusters are the same to the sample.
LevelAnalysis analyzeLevels(const std::string& path, const LevelParameters& parameters,
                            const Parallelism& parallelism = {});

// Whether the file's audio is all there, with the reasons analyzeLevels gives
// ("the file ends early: ..."), found by reading its packets without decoding
// them: for files the job only probes, at a fraction of an analysis's cost.
Status checkAudioComplete(const std::string& path);

// The same check, also telling how long the packets say the audio lasts
// (packetSeconds, frameSeconds) and the timestamp jumps met (damage.jumps);
// the rest of `damage` needs decoding.
LevelAnalysis countAudioPackets(const std::string& path);

ClusterList getClusterListByWavePath(const std::string& path, double threshold, double decay,
                                     double minDuration, double fadeInDuration,
                                     double fadeOutDuration, bool noisyEnironment,
                                     double environmentNoiseLevel, double hysteresis,
                                     double preRoll);

// Every start moves earlier by fadeInDuration + preRoll and every end later by
// fadeOutDuration (negative amounts move them back); then overlapping or
// touching clusters are joined and inverted ones dropped.
ClusterList expandClusterList(const ClusterList& clusterList, double fadeInDuration,
                              double fadeOutDuration, double preRoll);

} // namespace quelvo
