#pragma once
// What every analysis carries on from the decode it ran on: the length and
// rate, what was passed over as silence, and how long the packets say the
// audio lasts. DecodeSummary, LevelAnalysis and the job's SpeechAnalysis
// name these fields alike.

namespace quelvo {

template <typename To, typename From> void takeDecodedFacts(To& to, const From& from) {
    to.duration = from.duration;
    to.sampleRate = from.sampleRate;
    to.damage = from.damage;
    to.packetSeconds = from.packetSeconds;
    to.frameSeconds = from.frameSeconds;
}

} // namespace quelvo
