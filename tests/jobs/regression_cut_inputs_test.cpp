// The job once wrote a project for a music file (without a filler) or a
// filler file cut short: both are only probed, and the header still declared
// the whole length. Such a job must fail naming the file, and write nothing.
#include "job_runner.h"
#include "jobs/duck_job.h"
#include "support/test_support.h"

using namespace quelvo;
using namespace quelvo::test;
using Version = kymovie::FCP106ExportOptionsVC::Version;

namespace {
const QVRoll kRolls{0.3, 0.3, 0.3, 0.7, -24};
} // namespace

TEST(CutInputsRegression, MusicOrFillerCutShortStopsTheJob) {
    TempDir dir;
    const fs::path talk = dir / "talk.wav", bed = dir / "bed.wav";
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", talk.string(), "synth", "1", "sine",
                          "300", "pad", "1", "1"}).exitCode, 0);
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "2", bed.string(), "synth", "4", "sine", "220",
                          "gain", "-12"}).exitCode, 0);
    const std::string whole = readFile(bed);
    writeFile(dir / "cut.wav", whole.substr(0, whole.size() / 3));
    const std::string mp3 = readFile(testDataDir() / "media" / "tone_mono44k.mp3");
    writeFile(dir / "cut.mp3", mp3.substr(0, mp3.size() / 2));
    const std::string m4a = readFile(testDataDir() / "media" / "tone_stereo48k.m4a");
    writeFile(dir / "cut.m4a", m4a.substr(0, m4a.size() / 2));

    for (const std::string name : {"cut.wav", "cut.mp3", "cut.m4a"}) {
        const std::string cut = (dir / name).string();
        for (const bool asFiller : {false, true}) {
            SCOPED_TRACE(name + (asFiller ? " as filler" : " as music"));
            kymovie::FixedVersionSheet sheet(Version::fcp106);
            const DuckOutcome out = test::runJob(talk.string(), asFiller ? bed.string() : cut, asFiller ? cut : "", kRolls, nullptr, sheet);
            EXPECT_FALSE(out.success);
            const std::string expected =
                std::string("Cannot read the ") + (asFiller ? "filler" : "music") + " file " + cut + ": the file ends early";
            EXPECT_EQ(out.message.rfind(expected, 0), 0u) << out.message;
            EXPECT_FALSE(fs::exists(dir / "talk.fcpxml"));
        }
    }
    // The whole files still make a project.
    kymovie::FixedVersionSheet sheet(Version::fcp106);
    const DuckOutcome out = test::runJob(talk.string(), bed.string(), bed.string(), kRolls, nullptr, sheet);
    EXPECT_TRUE(out.success) << out.message;
}
