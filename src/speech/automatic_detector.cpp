#include "speech/automatic_detector.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "media/audio_file.h"
#include "signal/level_detector.h"
#include "signal/time_grid.h"

namespace quelvo {

namespace {

constexpr double kFrame = 0.01; // s

struct Span {
    int64_t begin = 0, end = 0; // frames, end exclusive
};

// The value below which `fraction` of the levels lie (nearest rank).
double percentile(const std::vector<float>& levels, double fraction) {
    std::vector<float> sorted(levels);
    const size_t rank =
        std::min(sorted.size() - 1,
                 static_cast<size_t>(std::floor(fraction * static_cast<double>(sorted.size()))));
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(rank),
                     sorted.end());
    return sorted[rank];
}

bool voiced(const SpeechFeatures& f, int64_t i, float at) {
    return f.voicing[static_cast<size_t>(i)] >= at;
}
float level(const SpeechFeatures& f, int64_t i) {
    return f.level[static_cast<size_t>(i)];
}

// Runs of frames at or above `threshold`, joined over dips of up to `bridge` frames.
std::vector<Span> stretchesAbove(const SpeechFeatures& f, double threshold, int bridge) {
    std::vector<Span> out;
    const int64_t n = static_cast<int64_t>(f.level.size());
    for (int64_t i = 0; i < n;) {
        if (level(f, i) < threshold) {
            ++i;
            continue;
        }
        int64_t j = i;
        while (j < n && level(f, j) >= threshold)
            ++j;
        if (!out.empty() && i - out.back().end <= bridge)
            out.back().end = j;
        else
            out.push_back({i, j});
        i = j;
    }
    return out;
}

// Whether the stretch holds a core (a run of at least coreFrames frames at
// or above T_on) with enough voiced frames: a breath, a click or mouth noise
// can be as loud as a soft word but is not voiced.
bool holdsVoicedCore(const SpeechFeatures& f, const Span& s, double startThreshold,
                     const AutomaticTuning& t) {
    for (int64_t i = s.begin; i < s.end;) {
        if (level(f, i) < startThreshold) {
            ++i;
            continue;
        }
        int64_t j = i;
        int voicedFrames = 0;
        while (j < s.end && level(f, j) >= startThreshold) {
            if (voiced(f, j, t.voicedAt)) ++voicedFrames;
            ++j;
        }
        if (j - i >= t.coreFrames && voicedFrames >= t.voicedCoreFrames) return true;
        i = j;
    }
    return false;
}

// How a stretch without a core is told to be a word's soft piece.
struct PieceRule {
    float voicedAt; // its frames under T_on count as voiced at this voicing
    double gap;     // s: it lies this close to speech
    int chain;      // pieces joined one beyond the other
};

// The stretches above T_off that hold a voiced core, and beside them the
// ones that are a word's soft start or end: no core (a quiet syllable stays
// under T_on) but voiced now and then, and within rule.gap of a stretch
// that is speech. Breaths and clicks next to words are not voiced at all;
// music is, now and then, so under music the piece's quiet frames must be
// clearly voiced (its frames at or above T_on are louder than the music).
std::vector<Span> speechStretches(const SpeechFeatures& f, double on, double off,
                                  const PieceRule& rule, const AutomaticTuning& t) {
    const std::vector<Span> stretches = stretchesAbove(f, off, t.bridgeFrames);
    std::vector<char> speech(stretches.size()), attachable(stretches.size());
    for (size_t k = 0; k < stretches.size(); ++k) {
        speech[k] = holdsVoicedCore(f, stretches[k], on, t);
        int voicedFrames = 0;
        for (int64_t i = stretches[k].begin; i < stretches[k].end; ++i)
            voicedFrames += voiced(f, i, level(f, i) >= on ? t.voicedAt : rule.voicedAt);
        attachable[k] =
            voicedFrames >= t.attachVoicedFrames &&
            stretches[k].end - stretches[k].begin <= std::lround(t.attachLongest / kFrame);
    }
    const auto gap = static_cast<int64_t>(std::lround(rule.gap / kFrame));
    const auto near = [&](size_t a, size_t b) {
        return stretches[b].begin - stretches[a].end <= gap;
    };
    // A word can fade out (or in) over more than one such piece: each piece
    // next to speech makes the next one a neighbour of speech, up to
    // rule.chain pieces from the word. A stretch that is no piece (a blip
    // too short to be voiced) may lie between; it is looked past.
    const auto besideSpeech = [&](const std::vector<char>& joined, size_t k) {
        for (size_t j = k; j-- > 0 && near(j, k);)
            if (joined[j]) return true;
        for (size_t j = k + 1; j < stretches.size() && near(k, j); ++j)
            if (joined[j]) return true;
        return false;
    };
    std::vector<char> joined(speech);
    for (int round = 0; round < rule.chain; ++round) {
        std::vector<char> next(joined);
        for (size_t k = 0; k < stretches.size(); ++k)
            if (attachable[k] && besideSpeech(joined, k)) next[k] = 1;
        joined.swap(next);
    }
    std::vector<Span> out;
    for (size_t k = 0; k < stretches.size(); ++k)
        if (joined[k]) out.push_back(stretches[k]);
    return out;
}

// Music bleeding into the microphone crosses the thresholds as speech does
// and now and then looks voiced for a few frames; over a whole passage
// speech is voiced far more often. Music of few, clean notes is the
// opposite: voiced throughout, but in notes held longer than a voice holds
// its voicing between two unvoiced sounds. Stretches closer than guardGap are
// judged together, so a passage cannot pass in pieces.
std::vector<Span> guardAgainstMusic(const SpeechFeatures& f, const std::vector<Span>& spans,
                                    double continueThreshold, const AutomaticTuning& t) {
    std::vector<Span> kept;
    // For every frame, the length of the voiced run it belongs to (0 if unvoiced).
    const size_t n = f.level.size();
    std::vector<int64_t> voicedRun(n, 0);
    for (size_t q = 0; q < n;) {
        size_t r = q;
        while (r < n && voiced(f, static_cast<int64_t>(r), t.voicedAt))
            ++r;
        for (size_t x = q; x < r; ++x)
            voicedRun[x] = static_cast<int64_t>(r - q);
        q = r == q ? q + 1 : r;
    }
    const auto gap = static_cast<int64_t>(std::lround(t.guardGap / kFrame));
    const auto held = static_cast<int64_t>(std::lround(t.heldNote / kFrame));
    for (size_t i = 0; i < spans.size();) {
        size_t j = i + 1;
        while (j < spans.size() && spans[j].begin - spans[j - 1].end < gap)
            ++j;
        int64_t loud = 0, voicedLoud = 0, voicedFrames = 0, heldFrames = 0;
        for (size_t k = i; k < j; ++k)
            for (int64_t q = spans[k].begin; q < spans[k].end; ++q) {
                const bool v = voiced(f, q, t.voicedAt);
                if (level(f, q) >= continueThreshold) {
                    ++loud;
                    if (v) ++voicedLoud;
                }
                if (v) {
                    ++voicedFrames;
                    if (voicedRun[static_cast<size_t>(q)] >= held) ++heldFrames;
                }
            }
        const bool voicedEnough =
            static_cast<double>(voicedLoud) >= t.guardVoicedShare * static_cast<double>(loud);
        const bool heldNotes =
            static_cast<double>(heldFrames) > t.heldNoteShare * static_cast<double>(voicedFrames);
        if (voicedEnough && !heldNotes)
            kept.insert(kept.end(), spans.begin() + static_cast<std::ptrdiff_t>(i),
                        spans.begin() + static_cast<std::ptrdiff_t>(j));
        i = j;
    }
    return kept;
}

// A reverberant room stretches every loud sound: its level never falls fast.
// The fastest 50 ms falls from loud frames tell a dry recording (a closure
// drops 5 dB and more per frame) from a wet one.
bool soundsReverberant(const SpeechFeatures& f, double startThreshold, double speechLevel,
                       double continueThreshold, const AutomaticTuning& t) {
    if (speechLevel - continueThreshold < t.reverbHeadroom) return false;
    std::vector<float> slopes;
    const int64_t n = static_cast<int64_t>(f.level.size());
    for (int64_t i = 0; i + 5 < n; ++i)
        if (level(f, i) >= startThreshold) slopes.push_back((level(f, i + 5) - level(f, i)) / 5.0f);
    if (slopes.size() < 100) return false;
    return percentile(slopes, 0.01) > -t.reverbSlowestDecay;
}

// The last frame of the stretch within reverbTrail of a peak follower that
// falls slowly: past it only the room is speaking.
int64_t endOfDirectSound(const SpeechFeatures& f, const Span& s, const AutomaticTuning& t) {
    double follower = -1e9;
    int64_t last = s.begin;
    for (int64_t i = s.begin; i < s.end; ++i) {
        follower = std::max(static_cast<double>(level(f, i)), follower - t.reverbFollowerFall);
        if (level(f, i) >= follower - t.reverbTrail) last = i;
    }
    return last + 1;
}

// The median level of frames [i - 2, i + 2]: a single frame of noise can
// dip or peak a few dB and a click is one frame, five frames of either
// hardly move it.
double smoothedLevel(const SpeechFeatures& f, int64_t i) {
    const int64_t n = static_cast<int64_t>(f.level.size());
    std::array<float, 5> around{};
    size_t count = 0;
    for (int64_t k = std::max<int64_t>(0, i - 2); k <= std::min(n - 1, i + 2); ++k)
        around[count++] = level(f, k);
    std::nth_element(around.begin(), around.begin() + count / 2, around.begin() + count);
    return around[count / 2];
}

// The quietest tenth of the sounding frames within softEdgeWindow of frame
// i: the floor next to an edge, where a file's noise bed changes (another
// room, another microphone) or swells.
double localFloor(const SpeechFeatures& f, int64_t i, const AutomaticTuning& t) {
    const int64_t n = static_cast<int64_t>(f.level.size());
    const auto half = static_cast<int64_t>(std::lround(t.softEdgeWindow / kFrame));
    std::vector<float> around;
    for (int64_t k = std::max<int64_t>(0, i - half); k < std::min(n, i + half); ++k)
        if (level(f, k) > t.nearSilence) around.push_back(level(f, k));
    return around.empty() ? t.nearSilence : percentile(around, t.floorPercentile);
}

// The frame where an edge stops when moved from `from` by `step` (-1 or +1)
// over frames whose 50 ms level reaches `above`, no further than `bound`;
// dips as short as a closure do not stop it.
int64_t softEdge(const SpeechFeatures& f, int64_t from, int step, int64_t bound, double above,
                 int bridge) {
    int64_t edge = from;
    for (int64_t i = from + step, quiet = 0; step < 0 ? i >= bound : i < bound; i += step) {
        if (smoothedLevel(f, i) >= above) {
            edge = i;
            quiet = 0;
        } else if (++quiet > bridge) {
            break;
        }
    }
    return edge;
}

// For every frame, the share of frames within voicedWindow of it whose
// voicing reaches denseVoicedAt (frames not measured count as unvoiced).
std::vector<float> voicedDensity(const SpeechFeatures& f, const AutomaticTuning& t) {
    const int64_t n = static_cast<int64_t>(f.level.size());
    const auto half = static_cast<int64_t>(std::lround(t.voicedWindow / kFrame));
    std::vector<int64_t> before(static_cast<size_t>(n) + 1, 0); // voiced frames before frame i
    for (int64_t i = 0; i < n; ++i)
        before[static_cast<size_t>(i + 1)] =
            before[static_cast<size_t>(i)] + voiced(f, i, t.denseVoicedAt);
    std::vector<float> density(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        const int64_t a = std::max<int64_t>(0, i - half), b = std::min(n, i + half + 1);
        density[static_cast<size_t>(i)] =
            static_cast<float>(before[static_cast<size_t>(b)] - before[static_cast<size_t>(a)]) /
            static_cast<float>(b - a);
    }
    return density;
}

// Under loud music a word's quieter syllables sink into the music's level,
// but the voice keeps them voiced far more densely than the music is: a
// span's edges move out while the voicing stays dense, up to its neighbours.
void followDenseVoicing(const SpeechFeatures& f, std::vector<Span>& spans, double continueThreshold,
                        const AutomaticTuning& t) {
    const std::vector<float> density = voicedDensity(f, t);
    const int64_t n = static_cast<int64_t>(f.level.size());
    const double loudEnough = continueThreshold - t.denseVoicedBelowContinue;
    const auto dense = [&](int64_t i) {
        return density[static_cast<size_t>(i)] >= t.denseVoicedShare &&
               smoothedLevel(f, i) >= loudEnough;
    };
    for (size_t k = 0; k < spans.size(); ++k) {
        Span& s = spans[k];
        for (int64_t lowest = k ? spans[k - 1].end : 0;
             s.begin - 1 >= lowest && dense(s.begin - 1);)
            --s.begin;
        for (int64_t highest = k + 1 < spans.size() ? spans[k + 1].begin : n;
             s.end < highest && dense(s.end);)
            ++s.end;
    }
}

// Under music a word's last (or first) syllable can sink wholly under the
// music's level, yet its voicing stays clearer than the music's ever is.
// Edges move out to such clearly voiced frames lying within bleedPieceGap,
// one beyond the other, up to the neighbouring spans.
void followClearVoicing(const SpeechFeatures& f, std::vector<Span>& spans, double continueThreshold,
                        const AutomaticTuning& t) {
    const int64_t n = static_cast<int64_t>(f.level.size());
    const auto gap = static_cast<int64_t>(std::lround(t.bleedPieceGap / kFrame));
    const double loudEnough = continueThreshold - t.denseVoicedBelowContinue;
    // Two measurements in a row (the voicing is measured on every other
    // frame): music reaches such voicing for one now and then.
    const auto clearAt = [&](int64_t i) {
        return i >= 0 && i < n && voiced(f, i, t.bleedPieceVoicedAt) &&
               smoothedLevel(f, i) >= loudEnough;
    };
    const auto clear = [&](int64_t i) {
        if (!clearAt(i)) return false;
        int64_t a = i, b = i;
        while (a - 1 >= 0 && clearAt(a - 1) && i - a < t.bleedClearRun)
            --a;
        while (clearAt(b + 1) && b - i < t.bleedClearRun)
            ++b;
        return b - a + 1 >= t.bleedClearRun;
    };
    for (size_t k = 0; k < spans.size(); ++k) {
        Span& s = spans[k];
        const int64_t lowest = k ? spans[k - 1].end : 0;
        for (int64_t i = s.begin - 1; i >= std::max(lowest, s.begin - gap); --i)
            if (clear(i)) s.begin = i;
        const int64_t highest = k + 1 < spans.size() ? spans[k + 1].begin : n;
        for (int64_t i = s.end; i < std::min(highest, s.end + gap); ++i)
            if (clear(i)) s.end = i + 1;
    }
}

// Moves a span's edges out over the soft sound around it: a quiet onset or a
// fading word ending lies under the continue threshold but clearly above the
// floor beside it, and next to speech it is speech. The neighbouring spans
// bound it.
void recoverSoftEdges(const SpeechFeatures& f, std::vector<Span>& spans, double speech,
                      const AutomaticTuning& t) {
    const int64_t n = static_cast<int64_t>(f.level.size());
    const auto limit = static_cast<int64_t>(std::lround(t.softEdgeLimit / kFrame));
    const auto above = [&](int64_t i) {
        return std::max(localFloor(f, i, t) + t.softEdgeAboveFloor, speech - t.softEdgeBelowSpeech);
    };
    for (size_t k = 0; k < spans.size(); ++k) {
        Span& s = spans[k];
        const int64_t lowest = std::max(k ? spans[k - 1].end : 0, s.begin - limit);
        s.begin = softEdge(f, s.begin, -1, lowest, above(s.begin), t.bridgeFrames);
        const int64_t highest =
            std::min(k + 1 < spans.size() ? spans[k + 1].begin : n, s.end + limit);
        s.end = softEdge(f, s.end - 1, +1, highest, above(s.end - 1), t.bridgeFrames) + 1;
    }
}

// Frames in runs of at least `run` frames that lie above near-silence and
// at or below `ceiling`: how much steady quiet sound the file holds.
int64_t steadyQuietFrames(const SpeechFeatures& f, double ceiling, int64_t run,
                          double nearSilence) {
    int64_t total = 0, length = 0;
    for (const float l : f.level) {
        if (l > nearSilence && l <= ceiling) {
            ++length;
            continue;
        }
        if (length >= run) total += length;
        length = 0;
    }
    return length >= run ? total + length : total;
}

// The level of the quietest tenth of the frames. A gate or an editor's cuts
// leave the pauses as digital silence (or a few bits of it) with room tone
// only in short handles around the words: judged against the silence, the
// room tone would count as speech. So where the quietest tenth is such
// near-silence, the floor is the quietest tenth of the other frames, if these
// are a noise bed: steady runs of quiet sound (a clean recording's soft
// syllables and a codec's noise beside its silences are neither steady nor
// long), far enough under the speech.
double noiseFloor(const SpeechFeatures& f, double speech, const AutomaticTuning& t) {
    const double quietest = percentile(f.level, t.floorPercentile);
    if (quietest > t.nearSilence) return quietest;
    std::vector<float> sounding;
    for (const float l : f.level)
        if (l > t.nearSilence) sounding.push_back(l);
    if (sounding.empty()) return quietest;
    const double roomTone = percentile(sounding, t.floorPercentile);
    const auto run = static_cast<int64_t>(std::lround(t.roomToneRun / kFrame));
    const auto needed = static_cast<int64_t>(std::lround(t.roomToneTotal / kFrame));
    const bool bed =
        steadyQuietFrames(f, roomTone + t.roomToneSpread, run, t.nearSilence) >= needed;
    return bed && speech - roomTone >= t.roomToneBelowSpeech ? roomTone : quietest;
}

// Whether music bleeds into the microphone: far from every stretch with a
// voiced core, the background reaches T_off for a while (bleedLoud) and is
// voiced now and then. Steady noise stays under T_off; breaths, clicks and
// noise bursts cross it but are never voiced; a word's soft pieces lie near
// its core.
bool musicInBackground(const SpeechFeatures& f, double on, double off, const AutomaticTuning& t) {
    const int64_t n = static_cast<int64_t>(f.level.size());
    std::vector<char> nearWords(static_cast<size_t>(n), 0);
    const auto margin = static_cast<int64_t>(std::lround(t.backgroundMargin / kFrame));
    for (const Span& s : stretchesAbove(f, off, t.bridgeFrames))
        if (holdsVoicedCore(f, s, on, t))
            std::fill(nearWords.begin() + std::max<int64_t>(0, s.begin - margin),
                      nearWords.begin() + std::min(n, s.end + margin), 1);
    int64_t loud = 0, voicedLoud = 0;
    for (int64_t i = 0; i < n; ++i)
        if (!nearWords[static_cast<size_t>(i)] && level(f, i) >= off) {
            ++loud;
            voicedLoud += voiced(f, i, t.voicedAt);
        }
    return loud >= std::lround(t.bleedLoud / kFrame) &&
           static_cast<double>(voicedLoud) >= t.bleedVoicedShare * static_cast<double>(loud);
}

} // namespace

AutomaticDecision decideSpeech(const SpeechFeatures& f, double duration, const AutomaticTuning& t) {
    AutomaticDecision decision;
    if (f.level.empty() || f.voicing.size() != f.level.size()) return decision;
    const double speech = percentile(f.level, t.speechPercentile);
    // In a recording that is speech from end to end, the quietest tenth is
    // speech too; the floor is then put where speech's own dips reach.
    // Steady noise or music with as little range stays out by its voicing.
    const double floor = std::min(noiseFloor(f, speech, t), speech - t.floorBelowSpeech);
    const double on =
        std::max({floor + t.startAboveFloor, speech - t.startBelowSpeech, t.startLowest});
    const double off =
        std::max({floor + t.continueAboveFloor, speech - t.continueBelowSpeech, t.continueLowest});
    decision.noiseFloor = floor;
    decision.speechLevel = speech;
    decision.threshold = on;
    decision.continueThreshold = off;

    decision.musicBleed = musicInBackground(f, on, off, t);
    const PieceRule pieces =
        decision.musicBleed ? PieceRule{t.bleedPieceVoicedAt, t.bleedPieceGap, t.bleedPieceChain}
                            : PieceRule{t.voicedAt, t.attachGap, t.attachChain};
    std::vector<Span> spans = speechStretches(f, on, off, pieces, t);
    spans = guardAgainstMusic(f, spans, off, t);
    followDenseVoicing(f, spans, off, t);
    if (decision.musicBleed) followClearVoicing(f, spans, off, t);
    recoverSoftEdges(f, spans, speech, t);

    decision.reverberant = soundsReverberant(f, on, speech, off, t);
    if (decision.reverberant)
        for (Span& s : spans)
            s.end = endOfDirectSound(f, s, t);

    // Where the speech is not far above the floor, its soft onsets and word
    // endings lie under the continue threshold; the edges move out by an
    // amount that grows as the margin shrinks.
    // Under music the floor is the music's, not a noise hiding the edges:
    // the steps above have followed the voice into it already.
    const double margin =
        decision.musicBleed ? 0.0 : std::max(0.0, t.hiddenEdgeSnr - (speech - floor));
    const double earlier = std::min(t.hiddenEdgeLimit, t.startPerDb * margin);
    const double later = std::min(t.hiddenEdgeLimit, t.endPerDb * margin);
    const double limit = duration > 0 ? duration : 0.0;
    for (const Span& s : spans) {
        const double start =
            std::clamp(static_cast<double>(s.begin) * kFrame - earlier, 0.0, limit);
        const double end = std::clamp(static_cast<double>(s.end) * kFrame + later, 0.0, limit);
        if (end <= start) continue;
        if (!decision.segments.empty() && start <= decision.segments.back().end)
            decision.segments.back().end =
                quelvo::onTimeGrid(std::max(decision.segments.back().end, end));
        else
            decision.segments.push_back({quelvo::onTimeGrid(start), quelvo::onTimeGrid(end)});
    }
    return decision;
}

ClusterList shapeAutomaticSegments(const ClusterList& segments, const AutomaticTuning& tuning,
                                   double duration) {
    ClusterList held;
    for (const Cluster& s : segments) {
        if (!held.empty() && s.start - held.back().end < tuning.hold - 1e-9)
            held.back().end = std::max(held.back().end, s.end);
        else
            held.push_back(s);
    }
    LevelParameters parameters; // the dialogue's fades, no pre-roll
    parameters.minDuration = tuning.minDuration;
    parameters.fadeInDuration = 0.1;
    parameters.fadeOutDuration = 0.1;
    parameters.preRoll = 0;
    return quelvo::shapeClusters(held, parameters, duration);
}

} // namespace quelvo
