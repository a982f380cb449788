// quelvo-cli analyze as scripts see it: output formats, stored settings,
// exit codes and the one-line error for every kind of bad file.
#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::test::CommandResult;
using quelvo::test::runProgram;

namespace {

class AnalyzeCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        m_cli = quelvo::test::binDir() / "quelvo-cli";
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
    }
    // Runs with its own empty settings folder unless one is given.
    CommandResult analyze(std::vector<std::string> args, const fs::path& configDir = {}) {
        args.insert(args.begin(), {m_cli.string(), "analyze"});
        const fs::path config = configDir.empty() ? m_settings.path() : configDir;
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + config.string()});
    }
    static std::string tone() {
        return (quelvo::test::testDataDir() / "media" / "tone_mono44k.mp3").string();
    }

    // Fails with exit 1, nothing on stdout and one line on stderr that names the file.
    void expectFailure(const std::string& file, const std::string& reasonPart = "") {
        SCOPED_TRACE(file);
        for (const bool json : {false, true}) {
            const CommandResult r = json ? analyze({file, "--json"}) : analyze({file});
            EXPECT_EQ(r.exitCode, 1) << r.err;
            EXPECT_EQ(r.out, "");
            ASSERT_FALSE(r.err.empty());
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
            EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
            if (!reasonPart.empty()) {
                EXPECT_NE(r.err.find(reasonPart), std::string::npos) << r.err;
            }
        }
    }

    fs::path m_cli;
    quelvo::test::TempDir m_settings;
    quelvo::test::TempDir m_tmp;
};

} // namespace

TEST_F(AnalyzeCommand, JsonCarriesFileDurationRateAndTheGapClosedSpeechClusters) {
    const CommandResult r = analyze({tone(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The two bursts 0.6 s apart are one interval once gaps under 0.3 + 0.7 s close.
    EXPECT_EQ(r.out, "{\"file\":\"" + tone() +
                         "\",\"duration\":3.0,\"sampleRate\":44100,\"clusters\":[[0.4,2.7]],"
                         "\"detection\":{\"mode\":\"threshold\",\"threshold\":-24.0}}\n");
}

TEST_F(AnalyzeCommand, DetectionComesFromTheOptionsOrTheStoredChoiceAndIsReported) {
    const auto detection = [&](std::vector<std::string> args, const fs::path& config = {}) {
        args.insert(args.begin(), {tone(), "--json"});
        const CommandResult r = analyze(args, config);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.exitCode == 0 ? nlohmann::json::parse(r.out)["detection"] : nlohmann::json();
    };
    const auto automatic = detection({"--detect", "automatic"});
    EXPECT_EQ(automatic["mode"], "automatic");
    // The keys in order; the bursts' own levels: silence between them, -6 dBFS peaks.
    ASSERT_EQ(automatic.size(), 4u);
    EXPECT_EQ(automatic.begin().key(), "mode");
    EXPECT_TRUE(automatic["noiseFloor"].is_number()) << automatic;
    EXPECT_NEAR(automatic["speechLevel"].get<double>(), -6.0, 1.5) << automatic;
    EXPECT_NEAR(automatic["threshold"].get<double>(), automatic["speechLevel"].get<double>() - 35,
                0.02);
    EXPECT_EQ(detection({"--detect", "threshold"}),
              nlohmann::json::parse(R"({"mode":"threshold","threshold":-24.0})"));
    // A threshold alone means the threshold mode.
    EXPECT_EQ(detection({"--threshold", "-30"}),
              nlohmann::json::parse(R"({"mode":"threshold","threshold":-30.0})"));

    quelvo::test::TempDir config;
    quelvo::test::writeFile(config / "settings.json", R"({"duck.detection": "automatic"})");
    EXPECT_EQ(detection({}, config.path())["mode"], "automatic");
    EXPECT_EQ(detection({"--threshold", "-30"}, config.path())["mode"], "threshold");
    // Anything else stored reads as the threshold mode.
    for (const char* stored : {R"("Automatic")", "true", "1", R"("")"}) {
        quelvo::test::writeFile(config / "settings.json",
                                std::string(R"({"duck.detection": )") + stored + "}");
        EXPECT_EQ(detection({}, config.path())["mode"], "threshold") << stored;
    }
    // The music analysis is a fixed -60 dB.
    EXPECT_EQ(nlohmann::json::parse(analyze({tone(), "--json", "--music"}).out)["detection"],
              nlohmann::json::parse(R"({"mode":"threshold","threshold":-60.0})"));
}

TEST_F(AnalyzeCommand, MusicFindsWhereTheMusicSoundsAtMinusSixtyWithoutGapClosing) {
    const CommandResult r = analyze({tone(), "--music", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["clusters"], nlohmann::json::parse("[[0.4,1.3],[1.9,2.7]]"));
}

TEST_F(AnalyzeCommand, PlainOutputIsOneTabSeparatedClusterPerLine) {
    const CommandResult r = analyze({tone(), "--music"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0.4\t1.3\n1.9\t2.7\n");
}

TEST_F(AnalyzeCommand, ThresholdComesFromTheStoredSettingsUnlessGiven) {
    // Above the -6 dB burst: nothing is speech.
    EXPECT_EQ(
        nlohmann::json::parse(analyze({tone(), "--json", "--threshold", "-5"}).out)["clusters"],
        nlohmann::json::array());
    quelvo::test::TempDir config;
    quelvo::test::writeFile(config / "settings.json", R"({"duck.threshold": -10.0})");
    // At -10 dB only the -6 dB burst counts: no gap to close.
    const CommandResult stored = analyze({tone(), "--json"}, config.path());
    ASSERT_EQ(stored.exitCode, 0) << stored.err;
    EXPECT_EQ(nlohmann::json::parse(stored.out)["clusters"], nlohmann::json::parse("[[0.4,1.3]]"));
    // The stored gap-closing timings count too: with a 0.2 s release the gap stays open.
    quelvo::test::writeFile(
        config / "settings.json",
        R"({"duck.releaseWindow": 0.5, "duck.releasePreRoll": 0.3, "duck.attackPreRoll": 0.1})");
    const CommandResult timings = analyze({tone(), "--json"}, config.path());
    EXPECT_EQ(nlohmann::json::parse(timings.out)["clusters"],
              nlohmann::json::parse("[[0.4,1.3],[1.9,2.7]]"));
}

TEST_F(AnalyzeCommand, UsageErrorsExitTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {tone(), "--threshold", "loud"},
             {tone(), "--threshold", "nan"},
             {tone(), "--bogus"},
             {tone(), "--detect", "sometimes"},
             {tone(), "--detect", "automatic", "--threshold", "-30"},
             {tone(), "--detect", "automatic", "--music"},
             {tone(), "--detect", "threshold", "--music"}}) {
        const CommandResult r = analyze(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.empty());
    }
}

TEST_F(AnalyzeCommand, EveryKindOfBadFileExitsOneWithOneLineNamingIt) {
    const fs::path dir = m_tmp.path();
    quelvo::test::writeFile(dir / "empty.wav", "");
    expectFailure((dir / "empty.wav").string(), "empty");
    fs::create_directory(dir / "x.mp3");
    expectFailure((dir / "x.mp3").string(), "folder");
    std::string noise(32768, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    quelvo::test::writeFile(dir / "noise.wav", noise);
    expectFailure((dir / "noise.wav").string());
    const std::string bytes = quelvo::test::readFile(tone());
    quelvo::test::writeFile(dir / "cut.mp3", bytes.substr(0, bytes.size() / 2));
    expectFailure((dir / "cut.mp3").string(), "ends early");
    expectFailure((quelvo::test::testDataDir() / "media" / "video_only_2997.mp4").string(),
                  "no audio stream");
    expectFailure((dir / "missing.wav").string(), "does not exist");
    ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    expectFailure((dir / "pipe.wav").string());
}

TEST_F(AnalyzeCommand, AwkwardPathsAreAnalysedAndEchoedExactly) {
    const fs::path file = m_tmp / "Grüße & \"quotes\" 'n' spaces 日本.mp3";
    fs::copy_file(tone(), file);
    const CommandResult r = analyze({file.string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["file"], file.string());
    EXPECT_EQ(j["clusters"], nlohmann::json::parse("[[0.4,2.7]]"));
    // A failing awkward path is named on one line too, line breaks and all.
    const fs::path broken = m_tmp / "two\nlines & ü.wav";
    quelvo::test::writeFile(broken, "not audio");
    const CommandResult bad = analyze({broken.string()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
    EXPECT_NE(bad.err.find("two\\nlines & ü.wav"), std::string::npos) << bad.err;
}
