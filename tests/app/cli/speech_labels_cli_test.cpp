// Label files on the command line: analyze --labels follows the output
// rules, duck --speech of that file writes the very project detection
// writes, a corrected file gives its own, and mistakes are refused in one
// line with the right exit status.
#include <nlohmann/json.hpp>

#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class SpeechLabelsCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
        m_dialogue = (m_dir / "talk.wav").string();
        fs::copy_file(recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav"), m_dialogue);
        m_music = (m_dir / "bed.wav").string();
        ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "48000", "-c", "2", m_music, "synth",
                              "90", "sine", "220", "gain", "-12"})
                      .exitCode,
                  0);
    }
    CommandResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), m_cli.string());
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + (m_dir / "config").string()});
    }
    CommandResult duck(const std::string& out, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {
            "duck",     "--dialogue",           m_dialogue, "--music", m_music, "--format", "1.9",
            "--output", (m_dir / out).string(), "--json"};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
    std::string m_dialogue, m_music;
};

} // namespace

TEST_F(SpeechLabelsCli, AnalyzeLabelsAreTheClustersExactlyUnderTheOutputRules) {
    CommandResult r = cli({"analyze", m_dialogue, "--labels", path("speech.txt"), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected;
    const nlohmann::json analysis = nlohmann::json::parse(r.out);
    for (const auto& c : analysis["clusters"])
        expected += c[0].dump() + "\t" + c[1].dump() + "\tspeech\n";
    EXPECT_EQ(readFile(path("speech.txt")), expected);
    r = cli({"analyze", m_dialogue, "--labels", path("speech.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "quelvo-cli: " + path("speech.txt") + " already exists; use --force to replace it\n");
    EXPECT_EQ(cli({"analyze", m_dialogue, "--labels", path("speech.txt"), "--force"}).exitCode, 0);
    r = cli({"analyze", m_dialogue, "--music", "--labels", path("music.txt")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(fs::exists(path("music.txt")));
}

// The --speech cases are disabled until duck and render register the option
// (addSpeechOption) and hand speechFrom's intervals to the job as its
// request's speech (docs/label-files.md).
TEST_F(SpeechLabelsCli, LabelsReadBackGiveTheDetectedProjectAndCorrectionsTheirOwn) {
    CommandResult r = cli({"analyze", m_dialogue, "--labels", path("speech.txt")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string labels = readFile(path("speech.txt"));

    r = duck("detected.fcpxml");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const int clusters = nlohmann::json::parse(r.out)["clusters"];
    ASSERT_GE(clusters, 2);
    r = duck("given.fcpxml", {"--speech", path("speech.txt")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(path("given.fcpxml")), readFile(path("detected.fcpxml")));

    // The first interval dropped, one added in a comma-decimal line, another past the end.
    writeFile(path("corrected.txt"),
              labels.substr(labels.find('\n') + 1) + "0,2\t0,4\tcough\n9000\t9001\tx\n");
    r = duck("corrected.fcpxml", {"--speech", path("corrected.txt")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["clusters"], clusters);
    EXPECT_NE(r.err.find("went past the recording's end"), std::string::npos) << r.err;
    EXPECT_NE(readFile(path("corrected.fcpxml")), readFile(path("detected.fcpxml")));
    EXPECT_VALID_FCPXML(readFile(path("corrected.fcpxml")), "1.9");
}

TEST_F(SpeechLabelsCli, MistakesAreRefusedInOneLine) {
    writeFile(path("bad.txt"), "1\t2\tok\n3\tsoon\tx\n");
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"duck", "--dialogue", m_dialogue, "--music", m_music, "--speech", path("bad.txt"),
          "--threshold", "-30"},
         2},
        {{"render", "--dialogue", m_dialogue, "--music", m_music, "--speech", path("bad.txt"),
          "--detect", "automatic"},
         2},
        {{"duck", "--dialogue", m_dialogue, "--music", m_music, "--speech", path("bad.txt")}, 1},
        {{"render", "--dialogue", m_dialogue, "--music", m_music, "--speech", path("none.txt")}, 1},
    };
    for (const auto& [args, status] : cases) {
        const CommandResult r = cli(args);
        EXPECT_EQ(r.exitCode, status) << args[0] << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_NE(cli(cases[2].first).err.find("Line 2 of " + path("bad.txt") + " ends at \"soon\""),
              std::string::npos);
    EXPECT_FALSE(fs::exists(path("talk.fcpxml")));
}
