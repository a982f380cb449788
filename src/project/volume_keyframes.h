#pragma once
// The keyframe rule: every speech interval becomes four music keyframes
// (ramp down begins, fully ducked, still ducked, back to normal), and the
// time texts both project documents use.
#include <string>
#include <vector>

#include "base/cluster.h"
#include "project/envelope_timing.h"
#include "project/volume_keyframe.h"

namespace quelvo {

// -96 dB stands for silence.
inline constexpr int kSilenceDb = -96;

int duckLevel(bool decreaseToZero, int duckingDecrease);

// Exactly four keyframes per cluster, in cluster order; no sorting, clamping
// or de-duplication, so overlapping ramps keep their fixed order.
VolumeKeyframeList makeVolumeKeyframes(const ClusterList& clusters, const EnvelopeTiming& rolls,
                                       bool decreaseToZero, int duckingDecrease,
                                       int overallMusicLevel);

// The same with a ducked level of its own for every cluster (depth by
// loudness); clusters beyond the list's end take the last level.
VolumeKeyframeList makeVolumeKeyframes(const ClusterList& clusters, const EnvelopeTiming& rolls,
                                       const std::vector<int>& duckedLevels, int overallMusicLevel);

// One keyframe of the legacy document: <keyframe time='T/10s' value='VdB'/>
// and a line feed, T in whole tenths truncated toward zero (after snapping
// away floating-point noise, so 2.8 s never prints as 27 tenths).
std::string legacyKeyframeLine(double time, int db);

// 'N/10s' and 'N/3000s' with their apostrophes, N truncated toward zero once
// the scaled time is snapped to six decimals (floating-point noise is not a
// fraction to cut). A
// non-finite time (a broken file's duration) reads as 0.
std::string formatTenths(double seconds);
std::string formatSequenceTime(double seconds);

} // namespace quelvo
