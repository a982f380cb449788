// Damaged recordings on the command line: damage passed over as silence is
// a warning in "warnings" and on standard error, too much of it one line and
// exit 1; a header that undercounts and timestamps that jump leave the
// projects and the mix the length of the audio that is there.
#include <nlohmann/json.hpp>

#include "support/damaged_media.h"
#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class DamagedAudioCli : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
    }
    void ffmpeg(std::vector<std::string> args) {
        args.insert(args.begin(), {"/usr/bin/ffmpeg", "-v", "error", "-y"});
        ASSERT_EQ(runProgram(args).exitCode, 0);
    }
    CommandResult run(std::vector<std::string> args) {
        args.insert(args.begin(), m_cli.string());
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + (m_dir / "config").string()});
    }
    double seconds(const fs::path& file) {
        return std::stod(runProgram({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                     "format=duration", "-of", "csv=p=0", file.string()})
                             .out);
    }
    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
};

} // namespace

TEST_F(DamagedAudioCli, DamageIsAWarningUpToFivePercentAndAnUndercountingHeaderIsOverruled) {
    const fs::path good = m_dir / "good.m4a", talk = m_dir / "talk.m4a",
                   heavy = m_dir / "heavy.m4a";
    const fs::path bed = m_dir / "bed.mp3", project = m_dir / "talk.fcpxml";
    ffmpeg({"-f", "lavfi", "-i", "sine=f=300:d=20", "-c:a", "aac", "-b:a", "64k", good.string()});
    damageMp4Samples(good, talk, 0.60, 0.61, 0.5);
    damageMp4Samples(good, heavy, 0, 1, 0.12);
    ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=24", "-af", "volume=0.2", "-c:a", "libmp3lame",
            bed.string()});
    ASSERT_TRUE(undercountXing(bed));

    const CommandResult r = run({"duck", "--dialogue", talk.string(), "--music", bed.string(),
                                 "--format", "1.9", "--output", project.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = nlohmann::json::parse(r.out);
    ASSERT_EQ(out["warnings"].size(), 2u) << r.out;
    const std::string damage = out["warnings"][0], length = out["warnings"][1];
    EXPECT_NE(damage.find("of the dialogue talk.m4a is damaged, first at 00:00:1"),
              std::string::npos)
        << damage;
    EXPECT_EQ(length.find("the header of bed.mp3 says it lasts 0.03 s, but its audio lasts 24.0"),
              0u)
        << length;
    EXPECT_NE(r.err.find(damage), std::string::npos);
    EXPECT_NE(r.err.find(length), std::string::npos);
    const std::string document = readFile(project);
    EXPECT_EQ(document.find("1152/44100s"), std::string::npos);

    const CommandResult refused =
        run({"duck", "--dialogue", heavy.string(), "--music", bed.string(), "--output",
             (m_dir / "heavy.fcpxml").string()});
    EXPECT_EQ(refused.exitCode, 1);
    // One line says why, after the stage lines.
    EXPECT_EQ(refused.err.find("quelvo-cli: "), refused.err.rfind("quelvo-cli: ")) << refused.err;
    EXPECT_NE(refused.err.find("of the audio is damaged, first at 00:00:"), std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(m_dir / "heavy.fcpxml"));
}

TEST_F(DamagedAudioCli, TimestampsThatJumpAreClosedUpInTheMix) {
    const fs::path talk = m_dir / "talk.flac", bed = m_dir / "bed.wav", mix = m_dir / "mix.wav";
    ffmpeg(
        {"-f", "lavfi", "-i", "sine=f=300:d=4.44", "-ar", "44100", "-c:a", "flac", talk.string()});
    ASSERT_TRUE(skipFlacFrames(talk, 10, 30));
    ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=2", "-ar", "44100", bed.string()});
    const CommandResult r = run({"render", "--dialogue", talk.string(), "--music", bed.string(),
                                 "--output", mix.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = nlohmann::json::parse(r.out);
    ASSERT_EQ(out["warnings"].size(), 1u) << r.out;
    EXPECT_EQ(std::string(out["warnings"][0])
                  .find("the timestamps of the dialogue talk.flac jump once, at 00:00:0"),
              0u);
    EXPECT_NEAR(seconds(mix), 4.44, 0.001);
    EXPECT_NEAR(double(out["duration"]), 4.44, 0.01);
}
