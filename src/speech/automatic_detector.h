#pragma once
// The automatic speech detection's decision: from the per-frame features of a
// whole recording (speech-band level and voicing, platform/audio/
// speech_features.h) to the stretches that are speech, with no setting. The
// levels it compares against come from the recording itself: its noise floor
// and its speech level. docs/speech-detection.md explains each rule and what
// it was measured to win.
#include <limits>

#include "base/cluster.h"
#include "media/speech_features.h"

namespace quelvo {

// The recipe's constants, gathered so that the design note, the tests and
// the evaluation tool speak of the same numbers.
struct AutomaticTuning {
    double floorPercentile = 0.10;   // noise floor N: this share of frames lies below it
    double speechPercentile = 0.99;  // speech level S
    double floorBelowSpeech = 20;    // N is taken at least this far below S: a file
                                     // with no quiet part (all speech) has no floor to find
    double nearSilence = -90;        // dBFS: frames at or below are (near) digital silence ...
    double roomToneBelowSpeech = 40; // ... and where they fill the quietest tenth, the other
                                     // frames' quietest tenth is N if this far below S,
    double roomToneSpread = 6;       // dB: and if runs within this of it, each at least
    double roomToneRun = 0.2, roomToneTotal = 1.0; // s this long, add up to this: a noise bed
    double startAboveFloor = 15, startBelowSpeech = 35, startLowest = -70;          // T_on
    double continueAboveFloor = 10, continueBelowSpeech = 60, continueLowest = -85; // T_off
    int coreFrames = 3;                  // a core: at least this many frames at or above T_on
    int bridgeFrames = 8;                // dips below T_off this short do not end a stretch
    float voicedAt = 0.65f;              // a frame is voiced at or above this voicing
    int voicedCoreFrames = 3;            // a stretch needs a core with this many voiced frames
    double attachGap = 0.4;              // s: a stretch without a core this close to speech ...
    int attachVoicedFrames = 2;          // ... with this many voiced frames is its soft edge,
    int attachChain = 1;                 // pieces joined one beyond the other
    double attachLongest = 0.4;          // s: if no longer than this (a syllable, not a passage)
    double backgroundMargin = 0.5;       // s: frames this far from any voiced core are the
    double bleedLoud = 1.0;              // background; where this much of it reaches T_off
    double bleedVoicedShare = 0.05;      // and this share of that is voiced, music bleeds in:
    float bleedPieceVoicedAt = 0.8f;     // then a piece's frames under T_on count as voiced
                                         // only this clearly (music seldom is),
    double bleedPieceGap = 0.5;          // s: pieces may lie this far from speech,
    int bleedPieceChain = 3;             // this many one beyond the other; edges follow runs
    int bleedClearRun = 3;               // of this many frames voiced that clearly, and the
                                         // hidden-edge widening is left out
    double guardGap = 0.5;               // s: stretches this close are judged together ...
    double guardVoicedShare = 0.15;      // ... and need this share of voiced frames,
    double heldNote = 1.5;               // s: voiced runs this long are held notes, not speech ...
    double heldNoteShare = 0.5;          // ... and a group voiced mostly in held notes is music
    float denseVoicedAt = 0.5f;          // edges follow frames around which this share of the
    double denseVoicedShare = 0.4;       // frames within voicedWindow is voiced at this voicing
    double voicedWindow = 0.2;           // s, while the 50 ms level stays within
    double denseVoicedBelowContinue = 6; // dB of T_off
    double softEdgeAboveFloor = 6;       // dB: edges move out over frames whose 50 ms level is
    double softEdgeBelowSpeech = 60;     // this far above the local floor and at most this far
    double softEdgeWindow = 1.5;         // below S; s: the local floor's half window
    double softEdgeLimit = 0.4;          // s: edges move by at most this much
    double hiddenEdgeSnr = 45;           // dB: below this SNR, edges move out ...
    double startPerDb = 0.005, endPerDb = 0.010, hiddenEdgeLimit = 0.25; // ... by this much (s)
    double reverbSlowestDecay = 3.0;  // dB per frame: loud frames never fall faster
    double reverbHeadroom = 30;       // dB between S and T_off needed to judge reverberation
    double reverbTrail = 15;          // dB below the peak follower where a tail ends
    double reverbFollowerFall = 0.05; // dB per frame
    double hold = 0.5;                // s: shaping as the threshold mode's, with
    double minDuration = 0.3;         // s: a shorter minimum (one short word counts)
};

struct AutomaticDecision {
    ClusterList segments; // speech, before the hold, minimum and fades
    double noiseFloor = std::numeric_limits<double>::quiet_NaN();        // dBFS
    double speechLevel = std::numeric_limits<double>::quiet_NaN();       // dBFS
    double threshold = std::numeric_limits<double>::quiet_NaN();         // T_on, dBFS
    double continueThreshold = std::numeric_limits<double>::quiet_NaN(); // T_off, dBFS
    bool reverberant = false;
    bool musicBleed = false;
};

// Frame k of the features covers [k/100, (k+1)/100) s; `duration` clamps the last.
AutomaticDecision decideSpeech(const SpeechFeatures& features, double duration,
                               const AutomaticTuning& tuning = {});

// The segments shaped as the level detector shapes its clusters: the hold
// bridges short quiet runs, shorter than the minimum are dropped, the rest
// widened by the dialogue's 0.1 s fades and clamped to the file.
ClusterList shapeAutomaticSegments(const ClusterList& segments, const AutomaticTuning& tuning,
                                   double duration);

} // namespace quelvo
