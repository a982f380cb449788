// quelvo-cli duck as scripts use it: exit codes, a clean standard output, the
// JSON summary, one-line errors, and the hand-over to Final Cut Pro.
#include <nlohmann/json.hpp>

#include "support/opener_recorder.h"
#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class DuckCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
        m_dialogue = (m_dir / "my talk & 'notes'.wav").string();
        m_music = (m_dir / "bed.wav").string();
        ASSERT_EQ(sox({"-n", "-r", "44100", "-c", "1", m_dialogue, "synth", "1", "sine", "300",
                       "pad", "1", "2"}),
                  0);
        ASSERT_EQ(sox({"-n", "-r", "44100", "-c", "2", m_music, "synth", "6", "sine", "220", "gain",
                       "-12"}),
                  0);
    }
    int sox(std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/sox");
        return runProgram(args).exitCode;
    }
    CommandResult duck(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), {m_cli.string(), "duck"});
        env.push_back("QUELVO_CONFIG_DIR=" + (m_dir / "config").string());
        return runProgram(args, env);
    }
    std::string projectPath() const { return (m_dir / "my talk & 'notes'.fcpxml").string(); }

    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
    std::string m_dialogue, m_music;
};

} // namespace

TEST_F(DuckCommand, JsonSummaryIsTheOnlyThingOnStandardOutputInBothFormats) {
    for (const std::string format : {"1.9", "1.6"}) {
        const CommandResult r = duck({"--dialogue", m_dialogue, "--music", m_music, "--format",
                                      format, "--json", "--force"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto summary = nlohmann::json::parse(r.out);
        EXPECT_EQ(summary["output"], projectPath());
        EXPECT_EQ(summary["format"], format);
        EXPECT_EQ(summary["clusters"], 1);
        EXPECT_EQ(summary["keyframes"], 4);
        EXPECT_EQ(summary["fillerClips"], 0);
        EXPECT_NE(r.err.find("Analyzing Speaker Clusters..."), std::string::npos);
        const std::string doc = readFile(projectPath());
        EXPECT_VALID_FCPXML(doc, format);
        // The name defaults to the dialogue's, escaped where it lands.
        EXPECT_NE(doc.find("my talk &amp; &apos;notes&apos;_duck_event"), std::string::npos);
    }
}

TEST_F(DuckCommand, LevelsAndOutputComeFromTheOptions) {
    const std::string out = (m_dir / "elsewhere.fcpxml").string();
    const CommandResult r =
        duck({"--dialogue", m_dialogue, "--music", m_music, "--format", "1.6", "--decrease", "-20",
              "--overall", "-3", "--name", "Show", "--output", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(out), std::string::npos);
    EXPECT_FALSE(fs::exists(projectPath()));
    const std::string doc = readFile(out);
    EXPECT_NE(doc.find("value='-20dB'"), std::string::npos);
    EXPECT_NE(doc.find("value='-3dB'"), std::string::npos);
    EXPECT_NE(doc.find("<event name='Show_duck_event'>"), std::string::npos);
    const CommandResult zero = duck({"--dialogue", m_dialogue, "--music", m_music, "--format",
                                     "1.6", "--to-zero", "--output", out, "--force"});
    ASSERT_EQ(zero.exitCode, 0);
    EXPECT_NE(readFile(out).find("value='-96dB'"), std::string::npos);
}

TEST_F(DuckCommand, UsageErrorsExitTwo) {
    EXPECT_EQ(duck({"--dialogue", m_dialogue}).exitCode, 2);
    EXPECT_EQ(duck({"--dialogue", m_dialogue, "--music", m_music, "--format", "2.0"}).exitCode, 2);
    EXPECT_EQ(duck({"--dialogue", m_dialogue, "--music", m_music, "--decrease", "loud"}).exitCode,
              2);
    const CommandResult r =
        duck({"--dialogue", m_dialogue, "--music", m_music, "--format", "1.6", "--send-to-fcp"});
    EXPECT_EQ(r.exitCode, 2);
    // An unknown word names the formats; hand-over is Final Cut Pro's alone.
    const CommandResult unknown =
        duck({"--dialogue", m_dialogue, "--music", m_music, "--format", "fcp7"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("1.9|1.6|xmeml|mlt"), std::string::npos) << unknown.err;
    for (const std::string other : {"xmeml", "mlt"}) {
        const CommandResult sent = duck(
            {"--dialogue", m_dialogue, "--music", m_music, "--format", other, "--send-to-fcp"});
        EXPECT_EQ(sent.exitCode, 2) << other;
        EXPECT_NE(sent.err.find("--send-to-fcp"), std::string::npos) << sent.err;
    }
    for (const std::vector<std::string>& detect :
         std::vector<std::vector<std::string>>{{"--detect", "automatic", "--threshold", "-30"},
                                               {"--detect", "loudness"},
                                               {"--threshold", "x"}}) {
        std::vector<std::string> args = {"--dialogue", m_dialogue, "--music", m_music};
        args.insert(args.end(), detect.begin(), detect.end());
        EXPECT_EQ(duck(args).exitCode, 2) << detect[1];
    }
    EXPECT_FALSE(fs::exists(projectPath()));
}

// Every format word is accepted; each project is named after the dialogue
// with its format's extension. Kdenlive is not offered (it did not open our
// projects), so its word is a usage error.
TEST_F(DuckCommand, EveryFormatWordIsAcceptedAndNamesItsFile) {
    const std::vector<std::pair<std::string, std::string>> formats = {
        {"1.6", "fcpxml"}, {"1.9", "fcpxml"}, {"xmeml", "xml"}, {"mlt", "mlt"}};
    for (const auto& [word, extension] : formats) {
        const fs::path project = m_dir / ("my talk & 'notes'." + extension);
        const CommandResult r =
            duck({"--dialogue", m_dialogue, "--music", m_music, "--format", word, "--force"});
        ASSERT_EQ(r.exitCode, 0) << word << ": " << r.err;
        EXPECT_NE(r.out.find(project.string()), std::string::npos) << r.out;
        EXPECT_TRUE(fs::exists(project)) << word;
        fs::remove(project);
    }
    EXPECT_EQ(duck({"--dialogue", m_dialogue, "--music", m_music, "--format", "kdenlive"}).exitCode,
              2);
}

TEST_F(DuckCommand, DetectionModeAndThresholdComeFromTheOptions) {
    // The automatic detection finds one sentence between silences (a steady
    // tone would be a held note to it, not speech).
    const std::string said = (m_dir / "said.wav").string(), talk = (m_dir / "talk.wav").string();
    ASSERT_EQ(runProgram(
                  {"/usr/bin/espeak-ng", "-w", said, "This sentence is all the dialogue there is."})
                  .exitCode,
              0);
    ASSERT_EQ(sox({said, talk, "pad", "1", "2"}), 0);
    const CommandResult automatic = duck({"--dialogue", talk, "--music", m_music, "--format", "1.9",
                                          "--json", "--detect", "automatic"});
    ASSERT_EQ(automatic.exitCode, 0) << automatic.err;
    EXPECT_EQ(nlohmann::json::parse(automatic.out)["clusters"], 1);
    EXPECT_VALID_FCPXML(readFile((m_dir / "talk.fcpxml").string()), "1.9");
    // The same sentence at a threshold above its level: nothing.
    const CommandResult none = duck({"--dialogue", talk, "--music", m_music, "--format", "1.9",
                                     "--json", "--threshold", "0", "--force"});
    ASSERT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(nlohmann::json::parse(none.out)["clusters"], 0);
}

TEST_F(DuckCommand, BadInputsExitOneWithOneLineNamingTheFileAndWriteNothing) {
    writeFile(m_dir / "noise.mp3", std::string(3000, '\x11'));
    fs::create_directory(m_dir / "dir.wav");
    writeFile(m_dir / "blocker", "x");
    const std::string noise = (m_dir / "noise.mp3").string();
    const std::string folder = (m_dir / "dir.wav").string();
    const std::string missing = (m_dir / "gone\nnow.wav").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--dialogue", missing, "--music", m_music}, "gone\\nnow.wav"},
        {{"--dialogue", noise, "--music", m_music}, noise},
        {{"--dialogue", m_dialogue, "--music", folder}, folder},
        {{"--dialogue", m_dialogue, "--music", m_music, "--filler", noise}, noise},
        {{"--dialogue", m_dialogue, "--music", m_music, "--output",
          (m_dir / "blocker" / "x.fcpxml").string()},
         "blocker"},
    };
    for (const auto& [args, named] : cases) {
        const CommandResult r = duck(args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        const auto errLines = quelvo::lines(r.err);
        ASSERT_FALSE(errLines.empty());
        const std::string& last = errLines.back();
        EXPECT_EQ(last.rfind("quelvo-cli: ", 0), 0u) << last;
        EXPECT_NE(last.find(named), std::string::npos) << last;
        EXPECT_FALSE(fs::exists(projectPath()));
    }
}

TEST_F(DuckCommand, SendToFinalCutProHandsOverOneDocumentAndWritesNoFile) {
    OpenerRecorder opener;
    const CommandResult r =
        duck({"--dialogue", m_dialogue, "--music", m_music, "--send-to-fcp", "--json"},
             {"QUELVO_FCP_OPENER=" + opener.script().string(),
              "XDG_CACHE_HOME=" + opener.cacheHome().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(nlohmann::json::parse(r.out)["output"].is_null());
    EXPECT_FALSE(fs::exists(projectPath()));
    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_VALID_FCPXML(readFile(files[0]), "1.9");
    ASSERT_EQ(opener.calls().size(), 1u);
    EXPECT_NE(opener.calls()[0].find(files[0].string()), std::string::npos);
}

TEST_F(DuckCommand, AFailedHandOverIsReportedWithExitOne) {
    OpenerRecorder opener(3);
    const CommandResult r = duck({"--dialogue", m_dialogue, "--music", m_music, "--send-to-fcp"},
                                 {"QUELVO_FCP_OPENER=" + opener.script().string(),
                                  "XDG_CACHE_HOME=" + opener.cacheHome().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Final Cut Pro"), std::string::npos) << r.err;
}
