// What quelvo-cli owes an editor beyond the document itself: an existing
// project is never replaced without --force, a project without speech is
// never passed off as ducked, and a filler that is the music file itself
// gets the same clips in both versions.
#include <nlohmann/json.hpp>

#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class ReplaceAndWarn : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
        // Speech-like bursts in the dialogue; the bed falls silent twice.
        ASSERT_EQ(sox({"-n", "-r", "22050", "-c", "1", m_talk, "synth", "1", "sine", "300", "pad",
                       "1", "2"}),
                  0);
        ASSERT_EQ(sox({"-n", "-r", "22050", "-c", "1", m_quiet, "synth", "4", "sine", "300", "gain",
                       "-40"}),
                  0);
        ASSERT_EQ(sox({"-n", "-r", "22050", "-c", "2", m_bed, "synth", "2", "sine", "220", "pad",
                       "0", "2", "repeat", "2"}),
                  0);
        writeFile(m_srt, "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    }
    int sox(std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/sox");
        return runProgram(args).exitCode;
    }
    CommandResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), m_cli.string());
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + (m_dir / "config").string()});
    }
    // Exit 1 with one line naming the file and --force; the file untouched.
    void expectRefused(const CommandResult& r, const fs::path& file) {
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(r.err,
                  "quelvo-cli: " + file.string() + " already exists; use --force to replace it\n");
        EXPECT_EQ(readFile(file), "the editor's own work");
    }

    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
    std::string m_talk = (m_dir / "talk.wav").string(), m_quiet = (m_dir / "quiet.wav").string();
    std::string m_bed = (m_dir / "bed.wav").string(), m_srt = (m_dir / "subs.srt").string();
};

} // namespace

TEST_F(ReplaceAndWarn, AnExistingProjectIsReplacedOnlyWithForce) {
    const fs::path beside = m_dir / "talk.fcpxml", elsewhere = m_dir / "mine.fcpxml",
                   titles = m_dir / "subs.fcpxml";
    for (const fs::path& p : {beside, elsewhere, titles})
        writeFile(p, "the editor's own work");
    expectRefused(cli({"duck", "--dialogue", m_talk, "--music", m_bed}), beside);
    expectRefused(cli({"duck", "--dialogue", m_talk, "--music", m_bed, "--format", "1.6",
                       "--output", elsewhere.string()}),
                  elsewhere);
    expectRefused(cli({"titles", m_srt}), titles);
    expectRefused(cli({"titles", m_srt, "--output", elsewhere.string()}), elsewhere);

    EXPECT_EQ(cli({"duck", "--dialogue", m_talk, "--music", m_bed, "--force"}).exitCode, 0);
    EXPECT_EQ(cli({"titles", m_srt, "--force"}).exitCode, 0);
    for (const fs::path& p : {beside, titles})
        EXPECT_NE(readFile(p).find("<fcpxml"), std::string::npos);
}

TEST_F(ReplaceAndWarn, NoSpeechIsSaidButTheValidProjectIsWritten) {
    const CommandResult r = cli({"duck", "--dialogue", m_quiet, "--music", m_bed, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string line = "quelvo-cli: warning: no speech found in quiet.wav above -24 dB; "
                             "lower the speech threshold or use automatic detection\n";
    EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    EXPECT_EQ(summary["keyframes"], 0);
    EXPECT_EQ(summary["warnings"], nlohmann::json::array({line.substr(21, line.size() - 22)}));
    EXPECT_VALID_FCPXML(readFile(m_dir / "quiet.fcpxml"), "1.9");

    const CommandResult speech = cli({"duck", "--dialogue", m_talk, "--music", m_bed, "--json"});
    ASSERT_EQ(speech.exitCode, 0) << speech.err;
    EXPECT_EQ(nlohmann::json::parse(speech.out)["warnings"], nlohmann::json::array());
    EXPECT_EQ(speech.err.find("warning"), std::string::npos) << speech.err;
}

TEST_F(ReplaceAndWarn, AFillerThatIsTheMusicFileGetsTheSameClipsInBothVersions) {
    int clips[2] = {-1, -2};
    for (int i = 0; i < 2; ++i) {
        const std::string out = (m_dir / ("p" + std::to_string(i) + ".fcpxml")).string();
        const CommandResult r =
            cli({"duck", "--dialogue", m_talk, "--music", m_bed, "--filler", m_bed, "--format",
                 i == 0 ? "1.9" : "1.6", "--output", out, "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        clips[i] = nlohmann::json::parse(r.out)["fillerClips"];
        EXPECT_VALID_FCPXML(readFile(out), i == 0 ? "1.9" : "1.6");
    }
    EXPECT_GE(clips[0], 1);
    EXPECT_EQ(clips[1], clips[0]);
}
