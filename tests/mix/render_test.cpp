// The renderer against real audio: the music follows the project's envelope
// to a tenth of a decibel, the dialogue passes untouched when the music is
// silent, a mix that would clip is lowered as a whole and says by how much,
// and an output that cannot be written leaves nothing behind.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "jobs/render_job.h"
#include "media/pcm_stream.h"
#include "mix/mixer.h"
#include "signal/loudness.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace mix = quelvo::mix;

namespace {

struct Decoded {
    quelvo::PcmFormat format;
    std::vector<std::vector<double>> channels;
    size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

Decoded decode(const fs::path& path) {
    Decoded out;
    quelvo::Status status = quelvo::Status::success();
    auto stream = quelvo::PcmStream::open(path.string(), {}, status);
    EXPECT_TRUE(stream) << status.message();
    if (!stream) return out;
    out.format = stream->format();
    out.channels.assign(out.format.channels, {});
    std::vector<std::vector<double>> block(out.format.channels, std::vector<double>(4096));
    std::vector<double*> planes;
    for (auto& b : block)
        planes.push_back(b.data());
    while (const int got = stream->read(planes.data(), 4096))
        for (int c = 0; c < out.format.channels; ++c)
            out.channels[c].insert(out.channels[c].end(), block[c].begin(), block[c].begin() + got);
    return out;
}

// Hidden temporary files left in a folder.
int leftovers(const fs::path& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".tmp-") != std::string::npos) ++n;
    return n;
}

class Render : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dialogue = recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav").string();
    }
    quelvo::RenderJobOutcome
    render(const std::string& music, const fs::path& out, const std::string& stem = "",
           quelvo::AudioContainer container = quelvo::AudioContainer::wav) {
        quelvo::RenderJobRequest request;
        request.dialoguePath = m_dialogue;
        request.musicPath = music;
        request.decrease = -20;
        request.overall = 0;
        request.rolls = {0.3, 0.3, 0.3, 0.7, -24};
        request.outputPath = out.string();
        request.stemPath = stem;
        request.container = container;
        return quelvo::renderDuckedMix(request, nullptr);
    }
    TempDir m_dir;
    std::string m_dialogue;
};

} // namespace

TEST_F(Render, MusicFollowsTheEnvelopeInTenMillisecondWindows) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    const std::string tone = (m_dir / "tone.wav").string();
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "2", "-b", "24", tone, "synth", "16", "sine", "1000",
                   "gain", "-6"}),
              0);
    const auto outcome = render(tone, m_dir / "mix.wav", (m_dir / "mix_music.wav").string());
    ASSERT_TRUE(outcome.success) << outcome.message;
    ASSERT_EQ(outcome.job.project.music.keyframes.size(), 12u);
    const Decoded stem = decode(m_dir / "mix_music.wav");
    ASSERT_EQ(stem.format.sampleRate, 48000);
    const mix::GainEnvelope envelope(outcome.job.project.music.keyframes, 0.0);
    const int window = 480; // 10 ms: ten periods of the tone
    const auto levelAt = [&](size_t first) {
        double sum = 0;
        for (size_t i = first; i < first + window; ++i)
            sum += stem.channels[0][i] * stem.channels[0][i];
        return 10.0 * std::log10(sum / window);
    };
    const double unity = levelAt(4800); // 0.1 s: before any fade
    double worstBetween = 0;
    for (size_t first = 0; first + window <= stem.frames() - 48000; first += window) {
        const double centre = (first + window / 2.0) / 48000.0;
        worstBetween =
            std::max(worstBetween, std::abs(levelAt(first) - unity - envelope.gainDbAt(centre)));
    }
    EXPECT_LT(worstBetween, 0.5);
    for (const auto& k : outcome.job.project.music.keyframes) {
        const size_t first = static_cast<size_t>(std::llround(k.time * 48000)) - window / 2;
        EXPECT_NEAR(levelAt(first) - unity, envelope.gainDbAt(k.time), 0.1)
            << "keyframe at " << k.time;
    }
}

TEST_F(Render, DialogueIsBitExactUnderSilentMusicInWavAndFlac) {
    const std::string silence = (m_dir / "silence.wav").string();
    ASSERT_EQ(sox({"-n", "-r", "44100", "-c", "1", silence, "trim", "0", "16"}), 0);
    const Decoded dialogue = decode(m_dialogue);
    for (const auto container : {quelvo::AudioContainer::wav, quelvo::AudioContainer::flac}) {
        const fs::path out = m_dir / (std::string("mix.") + quelvo::extensionOf(container));
        const auto outcome = render(silence, out, "", container);
        ASSERT_TRUE(outcome.success) << outcome.message;
        EXPECT_EQ(outcome.render.mixGainDb, 0.0);
        EXPECT_EQ(outcome.render.encoding,
                  container == quelvo::AudioContainer::wav ? "WAV 16-bit" : "FLAC 16-bit");
        const Decoded mixed = decode(out);
        ASSERT_EQ(mixed.format.sampleRate, dialogue.format.sampleRate);
        ASSERT_EQ(mixed.format.channels, dialogue.format.channels);
        ASSERT_GE(mixed.frames(), dialogue.frames());
        for (int c = 0; c < dialogue.format.channels; ++c) {
            for (size_t i = 0; i < dialogue.frames(); ++i)
                ASSERT_EQ(mixed.channels[c][i], dialogue.channels[c][i])
                    << "channel " << c << " sample " << i;
            for (size_t i = dialogue.frames(); i < mixed.frames(); ++i)
                ASSERT_EQ(mixed.channels[c][i], 0.0);
        }
    }
}

TEST_F(Render, AMixThatWouldClipIsLoweredAsAWholeAndSaysByHowMuch) {
    const std::string voice = (m_dir / "voice.wav").string(), bed = (m_dir / "bed.wav").string();
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "1", "-b", "24", voice, "synth", "3", "sine", "440",
                   "vol", "0.9"}),
              0);
    ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "1", "-b", "24", bed, "synth", "3", "sine", "440",
                   "vol", "0.9"}),
              0);
    mix::MixInputs inputs;
    inputs.dialoguePath = voice;
    inputs.musicPath = bed;
    mix::RenderRequest request;
    request.outputPath = (m_dir / "loud.wav").string();
    const mix::RenderOutcome r = mix::renderMix(inputs, request);
    ASSERT_TRUE(r.status) << r.status.message();
    ASSERT_TRUE(r.peakDbtp);
    EXPECT_NEAR(*r.peakDbtp, 20 * std::log10(1.8), 0.05);
    EXPECT_NEAR(r.mixGainDb, -*r.peakDbtp - 0.0087, 0.01);
    EXPECT_EQ(r.encoding, "WAV 24-bit");
    const Decoded written = decode(request.outputPath);
    quelvo::LoudnessMeter meter(written.format, quelvo::LoudnessMeter::truePeak);
    const double* plane = written.channels[0].data();
    meter.add(&plane, static_cast<int>(written.frames()));
    EXPECT_LE(meter.truePeakLinear(), 1.0);
    EXPECT_GT(meter.truePeakLinear(), 0.99); // lowered just enough, not more
}

TEST_F(Render, OutputThatCannotBeWrittenLeavesNothingBehind) {
    const std::string tone = (m_dir / "tone.wav").string();
    ASSERT_EQ(
        sox({"-n", "-r", "48000", "-c", "2", tone, "synth", "16", "sine", "1000", "gain", "-6"}),
        0);
    // A missing folder, and a folder standing where the file should go.
    const auto missing = render(tone, m_dir / "no such folder" / "mix.wav");
    EXPECT_FALSE(missing.success);
    EXPECT_NE(missing.message.find("no such folder"), std::string::npos) << missing.message;
    fs::create_directory(m_dir / "taken.wav");
    const auto taken = render(tone, m_dir / "taken.wav");
    EXPECT_FALSE(taken.success);
    EXPECT_TRUE(fs::is_directory(m_dir / "taken.wav"));
    EXPECT_EQ(leftovers(m_dir.path()), 0);
    // A writer given up half way leaves an earlier file as it was.
    writeFile(m_dir / "kept.wav", "earlier");
    {
        quelvo::EncodeSettings settings;
        settings.format = {48000, 2, 0};
        quelvo::Status status = quelvo::Status::success();
        auto writer =
            quelvo::AudioFileWriter::create((m_dir / "kept.wav").string(), settings, status);
        ASSERT_TRUE(writer) << status.message();
        std::vector<double> left(1000, 0.5), right(1000, -0.5);
        const double* planes[] = {left.data(), right.data()};
        ASSERT_TRUE(writer->write(planes, 1000));
    }
    EXPECT_EQ(readFile(m_dir / "kept.wav"), "earlier");
    EXPECT_EQ(leftovers(m_dir.path()), 0);
}
