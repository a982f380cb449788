// The automatic decision on made-up feature sequences: a voiced stretch is
// speech from the recording's own levels; a breath (loud, unvoiced), a click
// (too short for a core) and music (voiced now and then only) are not; the
// figures come from the levels; nothing at all decides nothing. Held notes
// (voiced far longer than a syllable) are music. Under music bleeding into
// the microphone, a word's soft pieces must be clearly voiced.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "speech/automatic_detector.h"

using quelvo::AutomaticDecision;
using quelvo::decideSpeech;
using quelvo::SpeechFeatures;

namespace {

// Ten seconds of room tone at -60 dBFS, unvoiced.
SpeechFeatures roomTone(size_t frames = 1000) {
    SpeechFeatures f;
    f.level.assign(frames, -60.0f);
    f.voicing.assign(frames, 0.1f);
    return f;
}

void paint(SpeechFeatures& f, double from, double to, float level, float voicing) {
    for (auto k = static_cast<size_t>(from * 100); k < static_cast<size_t>(to * 100); ++k) {
        f.level[k] = level;
        f.voicing[k] = voicing;
    }
}

// Speech: syllables voiced for 150 ms, then 50 ms of consonant.
void speak(SpeechFeatures& f, double from, double to, float level) {
    paint(f, from, to, level, 0.9f);
    for (auto k = static_cast<size_t>(from * 100) + 15; k < static_cast<size_t>(to * 100); k += 20)
        for (size_t c = k; c < std::min(k + 5, static_cast<size_t>(to * 100)); ++c)
            f.voicing[c] = 0.3f;
}

} // namespace

TEST(AutomaticDetector, AVoicedStretchIsSpeechAtLevelsTakenFromTheRecording) {
    SpeechFeatures f = roomTone();
    speak(f, 2.0, 4.0, -10);
    const AutomaticDecision d = decideSpeech(f, 10.0);
    EXPECT_FLOAT_EQ(d.noiseFloor, -60);
    EXPECT_FLOAT_EQ(d.speechLevel, -10);
    EXPECT_FLOAT_EQ(d.threshold, -45);         // max(N + 15, S - 35, -70)
    EXPECT_FLOAT_EQ(d.continueThreshold, -50); // max(N + 10, S - 60, -85)
    EXPECT_FALSE(d.musicBleed);
    ASSERT_EQ(d.segments.size(), 1u);
    // 50 dB above the floor: no hidden edges to allow for.
    EXPECT_NEAR(d.segments[0].start, 2.0, 1e-9);
    EXPECT_NEAR(d.segments[0].end, 4.0, 1e-9);
}

TEST(AutomaticDetector, BreathsClicksAndMusicAreNotSpeech) {
    SpeechFeatures f = roomTone(1200);
    speak(f, 1.0, 3.0, -10);        // speech, so that S is a voice's level
    paint(f, 4.0, 4.3, -30, 0.2f);  // a breath: loud enough, not voiced
    paint(f, 5.0, 5.02, -12, 0.9f); // a click: two frames
    paint(f, 6.0, 9.0, -25, 0.2f);  // music: voiced in three frames of 25
    for (int k = 600; k < 900; k += 25)
        f.voicing[static_cast<size_t>(k)] = f.voicing[static_cast<size_t>(k + 1)] =
            f.voicing[static_cast<size_t>(k + 2)] = 0.8f;
    paint(f, 10.0, 11.5, -15, 0.9f); // a held note: voiced, but for far longer than a syllable
    const AutomaticDecision d = decideSpeech(f, 12.0);
    ASSERT_EQ(d.segments.size(), 1u);
    EXPECT_NEAR(d.segments[0].start, 1.0, 1e-9);
    EXPECT_NEAR(d.segments[0].end, 3.0, 1e-9);
}

TEST(AutomaticDetector, ASoftEndingKeepsItsStretchAndShortDipsAreBridged) {
    SpeechFeatures f = roomTone();
    speak(f, 2.0, 3.0, -10);
    paint(f, 3.0, 3.05, -70, 0.1f); // a 50 ms closure
    paint(f, 3.05, 3.5, -48, 0.3f); // a soft ending under T_on, over T_off
    const AutomaticDecision d = decideSpeech(f, 10.0);
    ASSERT_EQ(d.segments.size(), 1u);
    EXPECT_NEAR(d.segments[0].end, 3.5, 1e-9);
}

TEST(AutomaticDetector, NoFramesGiveNoSpeechAndNoFigures) {
    const AutomaticDecision d = decideSpeech(SpeechFeatures{}, 0.0);
    EXPECT_TRUE(d.segments.empty());
    EXPECT_TRUE(std::isnan(d.noiseFloor));
    EXPECT_TRUE(std::isnan(d.threshold));
}

TEST(AutomaticDetector, GatedTakesAreJudgedAgainstTheirRoomToneNotTheSilence) {
    SpeechFeatures f = roomTone(2000);
    paint(f, 0.0, 20.0, quelvo::kFeatureSilenceDb, 0.0f); // the gate shut: exact zeros
    for (double at : {1.0, 5.0, 9.0, 13.0}) {
        paint(f, at - 0.3, at + 1.8, -60, 0.1f); // room-tone handles around each take
        speak(f, at, at + 1.5, -10);
    }
    const AutomaticDecision gated = decideSpeech(f, 20.0);
    EXPECT_FLOAT_EQ(gated.noiseFloor, -60);
    ASSERT_EQ(gated.segments.size(), 4u);
    EXPECT_NEAR(gated.segments[0].start, 1.0, 1e-9);
    EXPECT_NEAR(gated.segments[0].end, 2.5, 1e-9);

    // Without room tone (a clean recording with silence between sentences)
    // the floor stays the silence's.
    for (double at : {1.0, 5.0, 9.0, 13.0}) {
        paint(f, at - 0.3, at, quelvo::kFeatureSilenceDb, 0.0f);
        paint(f, at + 1.5, at + 1.8, quelvo::kFeatureSilenceDb, 0.0f);
    }
    EXPECT_FLOAT_EQ(decideSpeech(f, 20.0).noiseFloor, quelvo::kFeatureSilenceDb);
}

TEST(AutomaticDetector, AVoicedSoftSyllableJoinsItsWordButABreathDoesNot) {
    SpeechFeatures f = roomTone();
    paint(f, 1.55, 1.65, -48, 0.8f); // under T_on (-45), voiced: the word's soft start
    speak(f, 2.0, 4.0, -10);
    paint(f, 4.25, 4.45, -48, 0.2f); // as loud, unvoiced: a breath
    const AutomaticDecision d = decideSpeech(f, 10.0);
    ASSERT_EQ(d.segments.size(), 2u); // the hold joins them
    EXPECT_NEAR(d.segments[0].start, 1.55, 1e-9);
    EXPECT_NEAR(d.segments[1].end, 4.0, 1e-9);
}

TEST(AutomaticDetector, UnderMusicOnlyClearlyVoicedSoundJoinsAWord) {
    SpeechFeatures f = roomTone(2000);
    // Music: 0.3 s notes over T_off, voiced now and then as music is, 0.2 s between.
    for (double at = 0; at < 20; at += 0.5) {
        paint(f, at, at + 0.3, -18, 0.2f);
        paint(f, at + 0.3, at + 0.5, -28, 0.2f);
        paint(f, at + 0.1, at + 0.13, -18, 0.7f);
    }
    paint(f, 7.8, 10.8, -28, 0.2f); // quieter around the word but for one note before it
    speak(f, 8.1, 10.0, -10);
    paint(f, 10.2, 10.3, -24, 0.9f); // the word's last syllable, under the music's notes
    const AutomaticDecision d = decideSpeech(f, 20.0);
    EXPECT_TRUE(d.musicBleed);
    EXPECT_FLOAT_EQ(d.continueThreshold, -20);
    ASSERT_EQ(d.segments.size(), 1u);
    EXPECT_NEAR(d.segments[0].start, 8.1, 1e-9); // the note 0.3 s before stays out
    EXPECT_NEAR(d.segments[0].end, 10.3, 1e-9);
}
