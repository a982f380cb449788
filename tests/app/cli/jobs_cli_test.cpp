// --jobs on analyze, duck and render: a value that is not a whole number of
// at least one is a usage error in one sentence, and any number of jobs
// prints, writes and mixes byte for byte what one job does.
#include <nlohmann/json.hpp>

#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class JobsOption : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
    }
    CommandResult run(std::vector<std::string> args) {
        args.insert(args.begin(), m_cli.string());
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + (m_dir / "config").string()});
    }
    // The stand-ins have no speech to speak of; the corpus's dialogue does.
    std::string dialogue() const {
        return recordingOrStandIn("dialogue/dev01_clean_wav48k_stereo.wav").string();
    }
    std::string music() const { return recordingOrStandIn("music/dev_music_gaps.wav").string(); }
    std::string filler() const { return recordingOrStandIn("music/dev_music_real.mp3").string(); }

    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
};

} // namespace

TEST_F(JobsOption, AnythingButAWholeNumberOfOneOrMoreIsAUsageError) {
    const std::string out = (m_dir / "out.fcpxml").string(), mix = (m_dir / "mix.wav").string();
    const std::vector<std::vector<std::string>> commands = {
        {"analyze", dialogue()},
        {"duck", "--dialogue", dialogue(), "--music", music(), "--output", out},
        {"render", "--dialogue", dialogue(), "--music", music(), "--output", mix},
    };
    for (const auto& command : commands) {
        for (const std::string bad : {"0", "-2", "1.5", "many", "3x", ""}) {
            SCOPED_TRACE(command[0] + " --jobs '" + bad + "'");
            std::vector<std::string> args = command;
            args.insert(args.end(), {"--jobs", bad});
            const CommandResult r = run(args);
            EXPECT_EQ(r.exitCode, 2);
            EXPECT_TRUE(r.out.empty()) << r.out;
            EXPECT_EQ(r.err, "quelvo-cli: --jobs must be a whole number of 1 or more\n");
        }
        const CommandResult help = run({command[0], "--help"});
        EXPECT_NE(help.out.find("--jobs INT"), std::string::npos) << help.out;
    }
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(mix));
}

TEST_F(JobsOption, ManyJobsPrintAndWriteWhatOneJobDoes) {
    struct Outputs {
        std::string analyzed, music, summary, project, mixSummary, mix;
    };
    const std::string project = (m_dir / "talk.fcpxml").string(),
                      mix = (m_dir / "talk.wav").string();
    const auto outputs = [&](const std::string& jobs) {
        SCOPED_TRACE("--jobs " + jobs);
        Outputs o;
        // With the loudness, measured beside the analysis and decoded ahead with more jobs.
        const CommandResult analyzed =
            run({"analyze", dialogue(), "--json", "--loudness", "--jobs", jobs});
        EXPECT_EQ(analyzed.exitCode, 0) << analyzed.err;
        o.analyzed = analyzed.out;
        const CommandResult musicAnalyzed =
            run({"analyze", music(), "--music", "--json", "--jobs", jobs});
        EXPECT_EQ(musicAnalyzed.exitCode, 0) << musicAnalyzed.err;
        o.music = musicAnalyzed.out;
        const CommandResult ducked =
            run({"duck", "--dialogue", dialogue(), "--music", music(), "--filler", filler(),
                 "--format", "1.9", "--output", project, "--force", "--json", "--jobs", jobs});
        EXPECT_EQ(ducked.exitCode, 0) << ducked.err;
        o.summary = ducked.out;
        o.project = readFile(project);
        const CommandResult rendered =
            run({"render", "--dialogue", dialogue(), "--music", music(), "--filler", filler(),
                 "--output", mix, "--force", "--json", "--jobs", jobs});
        EXPECT_EQ(rendered.exitCode, 0) << rendered.err;
        o.mixSummary = rendered.out;
        o.mix = readFile(mix);
        return o;
    };
    const Outputs one = outputs("1");
    const Outputs three = outputs("3");
    // The filler is there to be placed: the music's own analysis ran.
    EXPECT_GT(nlohmann::json::parse(one.summary)["fillerClips"].get<int>(), 0) << one.summary;
    EXPECT_EQ(three.analyzed, one.analyzed);
    EXPECT_EQ(three.music, one.music);
    EXPECT_EQ(three.summary, one.summary);
    EXPECT_TRUE(three.project == one.project) << "the projects differ";
    EXPECT_EQ(three.mixSummary, one.mixSummary);
    EXPECT_TRUE(three.mix == one.mix) << "the mixes differ";
    EXPECT_FALSE(one.mix.empty());
}
