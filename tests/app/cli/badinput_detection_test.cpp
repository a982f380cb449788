// Recordings that could fool the automatic detection, analysed by quelvo-cli
// analyze --detect automatic --json: digital silence, pure noise, pure music,
// a 0.2 s file, speech clipped at 0 dBFS throughout, speech on a DC offset.
// None may crash or print a figure that is not a number; silence, noise and
// music hold no speech; a file that is all speech is all speech.
#include <cmath>

#include <nlohmann/json.hpp>

#include "badinput_support.h"
#include "base/cluster.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

class DetectionInputs : public ::testing::Test {
  protected:
    void SetUp() override { QUELVO_REQUIRE_CLI(); }

    bool make(const std::string& tool, std::vector<std::string> args) {
        args.insert(args.begin(), tool);
        const CommandResult r = runProgram(args);
        EXPECT_EQ(r.exitCode, 0) << tool << ": " << r.err;
        return r.exitCode == 0;
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    // Analyses automatically; checks the run and the JSON; returns the
    // clusters (and the file's duration in `duration`).
    quelvo::ClusterList analyze(const std::string& name, double* duration = nullptr) {
        SCOPED_TRACE(name);
        const CommandResult r =
            runProgram({cli().string(), "analyze", path(name), "--detect", "automatic", "--json"},
                       {"QUELVO_CONFIG_DIR=" + (m_dir / "config").string()});
        note("analyze --detect automatic", name, r);
        expectSuccess(r);
        quelvo::ClusterList clusters;
        if (r.exitCode != 0) return clusters;
        EXPECT_EQ(r.out.find("NaN"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("nan"), std::string::npos) << r.out;
        const auto j = nlohmann::json::parse(r.out);
        if (duration) *duration = j["duration"].get<double>();
        const auto& detection = j["detection"];
        EXPECT_EQ(detection["mode"], "automatic");
        for (const char* key : {"noiseFloor", "speechLevel", "threshold"}) {
            EXPECT_TRUE(detection.contains(key)) << key;
            EXPECT_TRUE(detection[key].is_null() || std::isfinite(detection[key].get<double>()))
                << key;
        }
        for (const auto& c : j["clusters"]) {
            const quelvo::Cluster k{c[0].get<double>(), c[1].get<double>()};
            EXPECT_TRUE(std::isfinite(k.start) && std::isfinite(k.end) && k.start <= k.end) << c;
            clusters.push_back(k);
        }
        return clusters;
    }

    static double total(const quelvo::ClusterList& list) {
        double sum = 0;
        for (const auto& c : list)
            sum += c.end - c.start;
        return sum;
    }

    TempDir m_dir;
};

} // namespace

TEST_F(DetectionInputs, NothingFoolsTheAutomaticDetection) {
    const std::string sox = "/usr/bin/sox", espeak = "/usr/bin/espeak-ng";
    ASSERT_TRUE(make(sox, {"-n", "-r", "48000", "-c", "2", path("silence.wav"), "trim", "0", "5"}));
    ASSERT_TRUE(make(sox, {"-n", "-r", "44100", "-c", "1", path("noise.wav"), "synth", "8",
                           "pinknoise", "gain", "-12"}));
    ASSERT_TRUE(make("/usr/bin/ffmpeg",
                     {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                      "anoisesrc=color=brown:amplitude=0.5:duration=8", path("brown.mp3")}));
    // Music: a progression of three held chords.
    ASSERT_TRUE(
        make(sox, {"-n",       "-r",       "44100",    "-c",       "1",        path("music.wav"),
                   "synth",    "3",        "triangle", "A2",       "triangle", "C4",
                   "triangle", "E4",       "fade",     "0.2",      "3",        "0.5",
                   ":",        "synth",    "3",        "triangle", "F2",       "triangle",
                   "A3",       "triangle", "C4",       "fade",     "0.2",      "3",
                   "0.5",      ":",        "synth",    "3",        "triangle", "G2",
                   "triangle", "B3",       "triangle", "D4",       "fade",     "0.2",
                   "3",        "0.5",      "gain",     "-6"}));
    ASSERT_TRUE(make(
        sox, {"-n", "-r", "22050", "-c", "1", path("short.wav"), "synth", "0.2", "sine", "220"}));
    // Speech that fills the file: one long sentence, its pauses shortened.
    ASSERT_TRUE(
        make(espeak,
             {"-w", path("said.wav"), "-s", "170",
              "Every word of this sentence is spoken without a pause between the words and it goes "
              "on for several seconds so that the whole file is speech"}));
    ASSERT_TRUE(make(sox, {path("said.wav"), path("speech.wav"), "silence", "1", "0.01", "-40d",
                           "reverse", "silence", "1", "0.01", "-40d", "reverse"}));
    ASSERT_TRUE(make(sox, {path("speech.wav"), path("clipped.wav"), "gain", "30"}));
    ASSERT_TRUE(make(sox, {path("speech.wav"), path("dc.wav"), "gain", "-6", "dcshift", "0.4"}));

    EXPECT_TRUE(analyze("silence.wav").empty());
    EXPECT_TRUE(analyze("noise.wav").empty());
    EXPECT_TRUE(analyze("brown.mp3").empty());
    EXPECT_TRUE(analyze("music.wav").empty());
    // Real music too, where the shared recordings are at hand.
    const fs::path realMusic = sharedDir() / "testdata" / "music" / "dev_music_real.mp3";
    if (fs::exists(realMusic)) {
        fs::copy_file(realMusic, m_dir / "real_music.mp3");
        EXPECT_TRUE(analyze("real_music.mp3").empty());
    }
    analyze("short.wav"); // 20 frames: any answer, but a clean one

    for (const char* name : {"speech.wav", "clipped.wav", "dc.wav"}) {
        double length = 0;
        const quelvo::ClusterList clusters = analyze(name, &length);
        ASSERT_GT(length, 3.0) << name;
        EXPECT_EQ(clusters.size(), 1u) << name;
        EXPECT_GE(total(clusters), 0.95 * length) << name;
    }
}
