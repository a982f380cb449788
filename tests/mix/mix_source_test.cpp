// What the player hears: the music under the envelope within 0.1 dB at every
// keyframe and halfway between them, also when playback starts mid-file.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "media/pcm_stream.h"
#include "mix/mix_source.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace mix = quelvo::mix;

namespace {

std::vector<float> readAll(mix::MixSource& source) {
    std::vector<float> out;
    std::vector<float> block(1000 * source.format().channels);
    while (const int got = source.read(block.data(), 1000))
        out.insert(out.end(), block.begin(), block.begin() + got);
    return out;
}

} // namespace

TEST(MixSource, MusicGainFollowsTheEnvelopeAtKeyframesAndBetweenThem) {
    TempDir dir;
    const std::string tone = (dir / "tone.wav").string(), quiet = (dir / "quiet.wav").string();
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "48000", "-c", "1", "-b", "32", "-e",
                          "floating-point", tone, "synth", "6", "sine", "1000", "vol", "0.5"})
                  .exitCode,
              0);
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "48000", "-c", "1", "-b", "32", "-e",
                          "floating-point", quiet, "trim", "0", "6"})
                  .exitCode,
              0);
    mix::MixInputs inputs;
    inputs.dialoguePath = quiet;
    inputs.musicPath = tone;
    const quelvo::EnvelopeTiming rolls{0.3, 0.3, 0.3, 0.7, -24};
    inputs.envelope =
        mix::GainEnvelope(quelvo::makeVolumeKeyframes({{1.3, 3.5}}, rolls, false, -18, -4), -4);

    for (double start : {0.0, 2.0}) {
        quelvo::Status status = quelvo::Status::success();
        auto source = mix::MixSource::open(inputs, start, {}, status);
        ASSERT_TRUE(source) << status.message();
        EXPECT_DOUBLE_EQ(source->position(), start);
        const std::vector<float> out = readAll(*source);
        EXPECT_TRUE(source->status());
        const auto& k = inputs.envelope.keyframes();
        std::vector<double> times{0.5, 5.5};
        for (size_t i = 0; i < k.size(); ++i) {
            times.push_back(k[i].time);
            if (i + 1 < k.size()) times.push_back((k[i].time + k[i + 1].time) / 2);
        }
        for (double t : times) {
            if (t < start) continue;
            // The tone's own sample at its crest nearest t, against the mix's.
            const auto at = static_cast<size_t>(
                std::llround((std::round(t * 1000 - 0.25) + 0.25) / 1000 * 48000));
            const double music = 0.5 * std::sin(2 * M_PI * 1000 * static_cast<double>(at) / 48000);
            const size_t index = at - static_cast<size_t>(std::llround(start * 48000));
            ASSERT_LT(index, out.size());
            const double db = 20 * std::log10(std::abs(out[index] / music));
            EXPECT_NEAR(db, inputs.envelope.gainDbAt(static_cast<double>(at) / 48000), 0.1)
                << "t=" << t;
        }
    }
}

TEST(MixSource, UnreadableInputsSayWhich) {
    mix::MixInputs inputs;
    inputs.dialoguePath = "/nonexistent/dialogue.wav";
    inputs.musicPath = "/nonexistent/music.wav";
    quelvo::Status status = quelvo::Status::success();
    EXPECT_FALSE(mix::MixSource::open(inputs, 0, {}, status));
    EXPECT_NE(status.message().find("dialogue"), std::string::npos);
}
