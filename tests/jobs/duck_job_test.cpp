// The ducking job end to end on real recordings: analysis, gap closing, the
// version choice, either writer, and the failure outcome when a file cannot
// be read or the project cannot be written.
#include <chrono>
#include <cmath>
#include <regex>
#include <thread>

#include "job_runner.h"
#include "jobs/duck_job.h"
#include "speech/speech_clusters.h"
#include "support/test_support.h"

using namespace quelvo;
using namespace quelvo::test;
using namespace std::chrono_literals;
using Version = quelvo::FcpxmlVersion;

namespace {

class RecordingStatus : public quelvo::StatusSink {
  public:
    void setStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        m_texts.push_back(text);
    }
    std::vector<std::string> texts() {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

  private:
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

// Answers from another thread a while after showSheet has returned, as the
// desktop sheet does once the user has clicked.
class LateSheet : public quelvo::VersionSheet {
  public:
    explicit LateSheet(Version v, std::function<void()> beforeAnswer = {})
        : m_version(v), m_beforeAnswer(std::move(beforeAnswer)) {}
    ~LateSheet() override {
        if (m_thread.joinable()) m_thread.join();
    }
    void showSheet(std::optional<Version> defaultSelected, Callback callback) override {
        EXPECT_FALSE(defaultSelected.has_value());
        ++shown;
        m_thread = std::thread([this, callback] {
            std::this_thread::sleep_for(150ms);
            if (m_beforeAnswer) m_beforeAnswer();
            callback(m_version);
        });
    }
    int shown = 0;

  private:
    Version m_version;
    std::function<void()> m_beforeAnswer;
    std::thread m_thread;
};

const EnvelopeTiming kDefaultRolls{0.3, 0.3, 0.3, 0.7, -24};

// The shared folder is read-only in CI, so each case copies its recordings
// next to where the project should land.
struct Case {
    TempDir dir;
    std::string dialogue, music, filler;
    Case(const std::string& dialogueName, const std::string& musicName, bool withFiller) {
        dialogue = (dir / ("talk " + fs::path(dialogueName).filename().string())).string();
        fs::copy_file(recordingOrStandIn("dialogue/" + dialogueName), dialogue);
        music = recordingOrStandIn("music/" + musicName).string();
        if (withFiller) filler = recordingOrStandIn("music/dev_music_real.mp3").string();
    }
    DuckOutcome run(quelvo::VersionSheet& sheet, quelvo::StatusSink* status = nullptr,
                    EnvelopeTiming rolls = kDefaultRolls,
                    const test::JobOptions& options = {}) const {
        return test::runJob(dialogue, music, filler, rolls, status, sheet, options);
    }
};

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(DuckJob, ProjectPathIsTheDialoguePathWithTheFormatsExtension) {
    EXPECT_EQ(projectPathFor("/a/b/talk.wav"), "/a/b/talk.fcpxml");
    EXPECT_EQ(projectPathFor("/a/b.c/take.2.m4a"), "/a/b.c/take.2.fcpxml");
    EXPECT_EQ(projectPathFor("/a/talk.wav", ProjectFormat::mlt), "/a/talk.mlt");
    EXPECT_EQ(projectPathFor("/a/talk.wav", ProjectFormat::xmeml), "/a/talk.xml");
}

TEST(DuckJob, BothVersionsLandNextToTheDialogueValidWithFourKeyframesPerCluster) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    for (const auto& [version, format] : {std::pair{Version::v1_9, std::string("1.9")},
                                          std::pair{Version::v1_6, std::string("1.6")}}) {
        Case c("dev04_pauses_m4a.m4a", "dev_music_gaps.wav", false);
        quelvo::FixedVersionSheet sheet(version);
        const DuckOutcome out = c.run(sheet);
        ASSERT_TRUE(out.success) << out.message;
        EXPECT_EQ(out.outputPath, projectPathFor(c.dialogue));
        EXPECT_EQ(std::string(formatOption(*out.format)), format);
        const std::string doc = readFile(out.outputPath);
        EXPECT_VALID_FCPXML(doc, format);
        const SpeechAnalysis expected = findSpeechClusters(c.dialogue, kDefaultRolls);
        EXPECT_EQ(out.clusters, static_cast<int>(expected.clusters.size()));
        EXPECT_GT(out.clusters, 1);
        EXPECT_EQ(out.keyframes, 4 * out.clusters);
        EXPECT_EQ(count(doc, "<keyframe "), 4 * out.clusters);
        EXPECT_EQ(out.fillerClips, 0);
    }
}

TEST(DuckJob, FillerClipsSitExactlyInTheMusicsSilentStretches) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    // The music sounds over [0, 8], [10, 19] and [22, 32]: two silences.
    for (const Version version : {Version::v1_9, Version::v1_6}) {
        Case c("dev01_clean_wav48k_stereo.wav", "dev_music_gaps.wav", true);
        quelvo::FixedVersionSheet sheet(version);
        const DuckOutcome out = c.run(sheet);
        ASSERT_TRUE(out.success) << out.message;
        EXPECT_EQ(out.fillerClips, 2);
        const std::string doc = readFile(out.outputPath);
        const std::regex clip(
            "lane='-2' offset='(-?\\d+)/10s' ref='(?:FILLER|QVFiller)' duration='(\\d+)/10s'");
        std::vector<std::pair<double, double>> clips;
        for (auto it = std::sregex_iterator(doc.begin(), doc.end(), clip);
             it != std::sregex_iterator(); ++it)
            clips.emplace_back(std::stod((*it)[1]) / 10, std::stod((*it)[2]) / 10);
        ASSERT_EQ(clips.size(), 2u);
        const std::pair<double, double> silences[] = {{8.0, 10.0}, {19.0, 22.0}};
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_GE(clips[i].first, silences[i].first - 0.05);
            EXPECT_LE(clips[i].first + clips[i].second, silences[i].second + 0.05);
            EXPECT_GT(clips[i].second, 1.0);
        }
    }
}

TEST(DuckJob, StageTextsInOrderWithOrWithoutAFiller) {
    {
        Case c("dev06_synthetic_espeak_wav22k.wav", "dev_music_real.mp3", false);
        RecordingStatus status;
        quelvo::FixedVersionSheet sheet(Version::v1_6);
        ASSERT_TRUE(c.run(sheet, &status).success);
        EXPECT_EQ(status.texts(),
                  (std::vector<std::string>{kStageInitializing, kStageMetadata, kStageAnalyzing,
                                            kStageFiltering, kStageWriting}));
    }
    {
        Case c("dev06_synthetic_espeak_wav22k.wav", "dev_music_gaps.wav", true);
        RecordingStatus status;
        quelvo::FixedVersionSheet sheet(Version::v1_6);
        ASSERT_TRUE(c.run(sheet, &status).success);
        EXPECT_EQ(status.texts(),
                  (std::vector<std::string>{kStageInitializing, kStageMetadata, kStageAnalyzing,
                                            kStageFiltering, kStageWriting}));
    }
}

TEST(DuckJob, ALateAnswerFromAnotherThreadIsWaitedForAndTheJobKeepsItsCopies) {
    Case c("dev02_pinknoise_wav44k_mono.wav", "dev_music_real.mp3", false);
    EnvelopeTiming shared = kDefaultRolls;
    // The preferences change while the sheet is open: the running job keeps its copy.
    LateSheet sheet(Version::v1_9, [&shared] {
        shared.preFadeIn = 2.0;
        shared.postFadeOut = 5.0;
    });
    const DuckOutcome out = c.run(sheet, nullptr, shared);
    ASSERT_TRUE(out.success) << out.message;
    EXPECT_EQ(sheet.shown, 1);
    // Returned only after the writer: the project is complete already.
    const std::string doc = readFile(out.outputPath);
    EXPECT_NE(doc.find("</fcpxml>"), std::string::npos);
    const SpeechAnalysis speech = findSpeechClusters(c.dialogue, kDefaultRolls);
    ASSERT_FALSE(speech.clusters.empty());
    const double firstKeyframe = speech.clusters[0].start - kDefaultRolls.preFadeIn;
    const std::string expected =
        "<keyframe time=\"" + std::to_string(std::llround(firstKeyframe * 3000)) + "/3000s\"";
    EXPECT_NE(doc.find(expected), std::string::npos) << expected;
}

TEST(DuckJob, ADialogueWithoutSpeechStillGivesAValidProject) {
    TempDir dir;
    const fs::path silence = dir / "silence.wav";
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", silence.string(), "trim",
                          "0", "3"})
                  .exitCode,
              0);
    quelvo::FixedVersionSheet sheet(Version::v1_9);
    const DuckOutcome out =
        test::runJob(silence.string(), silence.string(), "", kDefaultRolls, nullptr, sheet);
    ASSERT_TRUE(out.success) << out.message;
    EXPECT_EQ(out.clusters, 0);
    EXPECT_EQ(out.keyframes, 0);
    EXPECT_VALID_FCPXML(readFile(out.outputPath), "1.9");
}

TEST(DuckJob, UnreadableInputsFailWithOneSentenceAndWriteNothing) {
    TempDir dir;
    const fs::path good = dir / "good.wav";
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", good.string(), "synth",
                          "2", "sine", "440"})
                  .exitCode,
              0);
    writeFile(dir / "noise.wav", std::string(5000, '\x5a'));
    writeFile(dir / "empty.mp3", "");
    fs::create_directory(dir / "folder.m4a");
    const std::string goodText = readFile(good);
    writeFile(dir / "cut.wav", goodText.substr(0, goodText.size() / 3));

    struct Bad {
        std::string dialogue, music, filler, role;
    };
    const std::string g = good.string();
    const Bad cases[] = {
        {(dir / "missing.wav").string(), g, "", "dialogue"},
        {(dir / "noise.wav").string(), g, "", "dialogue"},
        {(dir / "cut.wav").string(), g, "", "dialogue"},
        {(dir / "folder.m4a").string(), g, "", "dialogue"},
        {g, (dir / "empty.mp3").string(), "", "music"},
        {g, g, (dir / "noise.wav").string(), "filler"},
    };
    for (const Bad& bad : cases) {
        for (const Version version : {Version::v1_9, Version::v1_6}) {
            quelvo::FixedVersionSheet sheet(version);
            const DuckOutcome out =
                test::runJob(bad.dialogue, bad.music, bad.filler, kDefaultRolls, nullptr, sheet);
            EXPECT_FALSE(out.success) << bad.dialogue;
            const std::string named = bad.role == "dialogue" ? bad.dialogue
                                      : bad.role == "music"  ? bad.music
                                                             : bad.filler;
            EXPECT_EQ(out.message.rfind("Cannot read the " + bad.role + " file " + named + ": ", 0),
                      0u)
                << out.message;
            EXPECT_EQ(out.message.find('\n'), std::string::npos);
            EXPECT_EQ(out.message.back(), '.');
            EXPECT_FALSE(fs::exists(projectPathFor(bad.dialogue)) && bad.dialogue != g)
                << bad.dialogue;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "good.fcpxml"));
}

TEST(DuckJob, AnOutputThatCannotBeWrittenFailsAndLeavesNothing) {
    TempDir dir;
    const fs::path good = dir / "good.wav";
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", good.string(), "synth",
                          "2", "sine", "440"})
                  .exitCode,
              0);
    writeFile(dir / "blocker", "a file where a folder should be");
    test::JobOptions options;
    options.outputPath = (dir / "blocker" / "out.fcpxml").string();
    for (const Version version : {Version::v1_9, Version::v1_6}) {
        quelvo::FixedVersionSheet sheet(version);
        const DuckOutcome out =
            test::runJob(good.string(), good.string(), "", kDefaultRolls, nullptr, sheet, options);
        EXPECT_FALSE(out.success);
        EXPECT_EQ(out.message.rfind("Cannot write " + options.outputPath + ": ", 0), 0u)
            << out.message;
        EXPECT_TRUE(out.outputPath.empty());
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2); // good.wav and the blocker, nothing partial
}

// The job once wrote a project for a music file (without a filler) or a
// filler file cut short: both are only probed, and the header still declared
// the whole length. Such a job must fail naming the file, and write nothing.

TEST(CutInputsRegression, MusicOrFillerCutShortStopsTheJob) {
    TempDir dir;
    const fs::path talk = dir / "talk.wav", bed = dir / "bed.wav";
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "1", talk.string(), "synth",
                          "1", "sine", "300", "pad", "1", "1"})
                  .exitCode,
              0);
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "2", bed.string(), "synth",
                          "4", "sine", "220", "gain", "-12"})
                  .exitCode,
              0);
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
            quelvo::FixedVersionSheet sheet(Version::v1_9);
            const DuckOutcome out =
                test::runJob(talk.string(), asFiller ? bed.string() : cut, asFiller ? cut : "",
                             kEnvelopeTiming, nullptr, sheet);
            EXPECT_FALSE(out.success);
            const std::string expected = std::string("Cannot read the ") +
                                         (asFiller ? "filler" : "music") + " file " + cut +
                                         ": the file ends early";
            EXPECT_EQ(out.message.rfind(expected, 0), 0u) << out.message;
            EXPECT_FALSE(fs::exists(dir / "talk.fcpxml"));
        }
    }
    // The whole files still make a project.
    quelvo::FixedVersionSheet sheet(Version::v1_9);
    const DuckOutcome out =
        test::runJob(talk.string(), bed.string(), bed.string(), kEnvelopeTiming, nullptr, sheet);
    EXPECT_TRUE(out.success) << out.message;
}
