// quelvo-cli render as scripts use it, and the loudness that duck reports and
// ducks by: default names, JSON fields, the three encodings, refusals that
// match duck's, usage errors, a render killed before its file is in place.
#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class RenderCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
        m_dialogue = (m_dir / "talk.wav").string();
        m_music = (m_dir / "bed.wav").string();
        // Speech-like bursts at 4-6 s and 14-16 s; music quieter for 10 s, then 18 dB louder.
        ASSERT_EQ(sox({"-n", "-r", "44100", "-c", "1", "-b", "16", (m_dir / "a.wav").string(),
                       "synth", "2", "sine", "300", "gain", "-12", "pad", "4", "4"}),
                  0);
        ASSERT_EQ(sox({(m_dir / "a.wav").string(), (m_dir / "a.wav").string(), m_dialogue}), 0);
        ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "2", (m_dir / "q.wav").string(), "synth", "10",
                       "pinknoise", "gain", "-20"}),
                  0);
        ASSERT_EQ(sox({"-n", "-r", "48000", "-c", "2", (m_dir / "l.wav").string(), "synth", "10",
                       "pinknoise", "gain", "-2"}),
                  0);
        ASSERT_EQ(sox({(m_dir / "q.wav").string(), (m_dir / "l.wav").string(), m_music}), 0);
    }
    int sox(std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/sox");
        return runProgram(args).exitCode;
    }
    CommandResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), m_cli.string());
        env.push_back("QUELVO_CONFIG_DIR=" + (m_dir / "config").string());
        return runProgram(args, env);
    }
    std::string probe(const fs::path& file) {
        return runProgram({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                           "stream=codec_name,sample_rate,channels", "-of", "csv=p=0",
                           file.string()})
            .out;
    }
    // The keyframe values of a 1.6 document, in order.
    std::vector<int> keyframeValues(const fs::path& project) {
        std::vector<int> out;
        const std::string doc = readFile(project);
        static const std::regex value("keyframe time='[^']*' value='(-?[0-9]+)dB'");
        for (auto it = std::sregex_iterator(doc.begin(), doc.end(), value);
             it != std::sregex_iterator(); ++it)
            out.push_back(std::stoi((*it)[1]));
        return out;
    }

    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
    std::string m_dialogue, m_music;
};

} // namespace

TEST_F(RenderCommand, WritesTheMixBesideTheDialogueAndSummarisesItInJson) {
    const CommandResult r =
        run({"render", "--dialogue", m_dialogue, "--music", m_music, "--stems", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    EXPECT_EQ(summary["output"], (m_dir / "talk_mix.wav").string());
    EXPECT_EQ(summary["stem"], (m_dir / "talk_mix_music.wav").string());
    EXPECT_EQ(summary["encoding"], "WAV 16-bit");
    EXPECT_EQ(summary["clusters"], 2);
    EXPECT_EQ(summary["keyframes"], 8);
    // The loud half of the bed and the dialogue together would clip: the
    // whole mix is lowered, and standard error says by how much.
    EXPECT_LT(summary["mixGain"].get<double>(), 0.0);
    EXPECT_NE(r.err.find("The mix would clip: lowered by"), std::string::npos) << r.err;
    EXPECT_LE(summary["loudness"]["mixTruePeak"].get<double>(), 0.0);
    for (const char* key : {"dialogue", "music", "mix", "mixTruePeak"})
        EXPECT_TRUE(summary["loudness"][key].is_number()) << key;
    EXPECT_NE(r.err.find("Rendering the Mix..."), std::string::npos);
    // The dialogue's rate and layout, whatever the music's.
    EXPECT_EQ(probe(m_dir / "talk_mix.wav"), "pcm_s16le,44100,1\n");
    EXPECT_EQ(probe(m_dir / "talk_mix_music.wav"), "pcm_s16le,44100,1\n");
}

TEST_F(RenderCommand, FlacAndM4aByTheOutputsExtension) {
    for (const auto& [name, codec] : {std::pair{"mix.FLAC", "flac"}, {"mix.m4a", "aac"}}) {
        const CommandResult r = run({"render", "--dialogue", m_dialogue, "--music", m_music,
                                     "--output", (m_dir / name).string(), "--stems"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(probe(m_dir / name), std::string(codec) + ",44100,1\n") << name;
    }
    EXPECT_TRUE(fs::exists(m_dir / "mix_music.FLAC"));
    EXPECT_TRUE(fs::exists(m_dir / "mix_music.m4a"));
}

TEST_F(RenderCommand, RefusesWhatDuckRefusesAndNamesTheExtensionsThatWork) {
    const CommandResult ext = run({"render", "--dialogue", m_dialogue, "--music", m_music,
                                   "--output", (m_dir / "mix.mp3").string()});
    EXPECT_EQ(ext.exitCode, 2);
    EXPECT_NE(ext.err.find(".wav, .flac or .m4a"), std::string::npos) << ext.err;
    EXPECT_FALSE(fs::exists(m_dir / "mix.mp3"));
    // A missing music file: the same one line as duck.
    const std::string missing = (m_dir / "gone.wav").string();
    const CommandResult render = run({"render", "--dialogue", m_dialogue, "--music", missing});
    const CommandResult duck =
        run({"duck", "--dialogue", m_dialogue, "--music", missing, "--format", "1.9"});
    EXPECT_EQ(render.exitCode, 1);
    EXPECT_EQ(duck.exitCode, 1);
    const auto lastLine = [](const std::string& err) {
        const size_t end = err.find_last_not_of('\n');
        return err.substr(err.rfind('\n', end) + 1, end - err.rfind('\n', end));
    };
    EXPECT_EQ(lastLine(render.err), lastLine(duck.err));
    EXPECT_FALSE(fs::exists(m_dir / "talk_mix.wav"));
    EXPECT_EQ(
        run({"render", "--dialogue", m_dialogue, "--music", m_music, "--under", "-3"}).exitCode, 2);
    // A mix is never written over one of its own recordings.
    const std::string before = readFile(m_music);
    const CommandResult over =
        run({"render", "--dialogue", m_dialogue, "--music", m_music, "--output", m_music});
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_NE(over.err.find("one of the recordings being mixed"), std::string::npos) << over.err;
    EXPECT_EQ(readFile(m_music), before);
}

TEST_F(RenderCommand, KilledBeforeTheFileIsInPlaceLeavesTheEarlierOne) {
    const fs::path out = m_dir / "talk_mix.wav";
    writeFile(out, "earlier mix");
    // An existing mix is replaced only when asked for.
    const CommandResult refused = run({"render", "--dialogue", m_dialogue, "--music", m_music});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("already exists; use --force"), std::string::npos) << refused.err;
    const CommandResult r = run({"render", "--dialogue", m_dialogue, "--music", m_music, "--force"},
                                {"QUELVO_KILL_DURING_WRITE=1"});
    EXPECT_EQ(r.exitCode, 128 + 9) << r.err;
    EXPECT_EQ(readFile(out), "earlier mix");
}

TEST_F(RenderCommand, DuckReportsLoudnessAndDucksByItPerInterval) {
    const fs::path project = m_dir / "p.fcpxml";
    const CommandResult fixed = run({"duck", "--dialogue", m_dialogue, "--music", m_music,
                                     "--format", "1.6", "--output", project.string(), "--json"});
    ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
    const auto summary = nlohmann::json::parse(fixed.out);
    EXPECT_NEAR(summary["loudness"]["dialogue"].get<double>(), -16.0,
                1.0); // a -12 dBFS sine, K-weighted
    EXPECT_TRUE(summary["loudness"]["music"].is_number());
    // The default depth stays the fixed cut.
    EXPECT_EQ(keyframeValues(project), (std::vector<int>{0, -12, -12, 0, 0, -12, -12, 0}));

    ASSERT_EQ(run({"duck", "--dialogue", m_dialogue, "--music", m_music, "--format", "1.6",
                   "--output", project.string(), "--under", "18", "--force"})
                  .exitCode,
              0);
    const std::vector<int> byLoudness = keyframeValues(project);
    ASSERT_EQ(byLoudness.size(), 8u);
    // Whole decibels, deeper under the loud half of the music by about its 18 dB.
    EXPECT_EQ(byLoudness[0], 0);
    EXPECT_EQ(byLoudness[1], byLoudness[2]);
    EXPECT_NEAR(byLoudness[1] - byLoudness[5], 18, 2);
    EXPECT_LT(byLoudness[1], 0);

    // The stored depth mode does the same without the option.
    fs::create_directories(m_dir / "config");
    writeFile(m_dir / "config" / "settings.json",
              R"({"duck.depthMode": "loudness", "duck.underLU": 18})");
    ASSERT_EQ(run({"duck", "--dialogue", m_dialogue, "--music", m_music, "--format", "1.6",
                   "--output", project.string(), "--force"})
                  .exitCode,
              0);
    EXPECT_EQ(keyframeValues(project), byLoudness);
}
