// duck and render with one --dialogue per microphone: the project beside
// the first, every file in it; too many files, one file twice (also by a
// second path) and an unreadable one refused in one line with nothing written.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "support/test_support.h"

using namespace quelvo::test;

namespace {

class MultiDialogueCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(m_cli)) GTEST_SKIP() << "quelvo-cli is not built at " << m_cli;
        // Two speakers taking turns, at different rates; the second ends early.
        sox({"-n", "-r", "44100", "-c", "1", path("Host.wav"), "synth", "1", "sine", "300", "pad",
             "1", "4"});
        sox({"-n", "-r", "16000", "-c", "1", path("Guest.wav"), "synth", "1", "sine", "500", "pad",
             "4", "0.5"});
        sox({"-n", "-r", "44100", "-c", "2", path("bed.wav"), "synth", "6", "sine", "220", "gain",
             "-12"});
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    void sox(std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/sox");
        ASSERT_EQ(runProgram(args).exitCode, 0);
    }
    CommandResult run(const std::string& command, const std::vector<std::string>& dialogue,
                      std::vector<std::string> args = {}) {
        std::vector<std::string> argv{m_cli.string(), command, "--music", path("bed.wav")};
        for (const std::string& d : dialogue)
            argv.insert(argv.end(), {"--dialogue", d});
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv, {"QUELVO_CONFIG_DIR=" + path("config")});
    }

    fs::path m_cli = binDir() / "quelvo-cli";
    TempDir m_dir;
};

} // namespace

TEST_F(MultiDialogueCommand, TwoMicrophonesMakeOneProjectBesideTheFirstAndOneMix) {
    const CommandResult r =
        run("duck", {path("Host.wav"), path("Guest.wav")}, {"--format", "1.9", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    EXPECT_EQ(summary["output"], path("Host.fcpxml"));
    EXPECT_EQ(summary["clusters"], 2);
    const std::string doc = readFile(path("Host.fcpxml"));
    EXPECT_VALID_FCPXML(doc, "1.9");
    EXPECT_NE(doc.find("audioRole=\"dialogue.Guest\""), std::string::npos);
    EXPECT_NE(doc.find("Host_duck_event"), std::string::npos);

    const CommandResult mixed = run("render", {path("Host.wav"), path("Guest.wav")}, {"--json"});
    ASSERT_EQ(mixed.exitCode, 0) << mixed.err;
    EXPECT_EQ(nlohmann::json::parse(mixed.out)["output"], path("Host_mix.wav"));
}

TEST_F(MultiDialogueCommand, BadDialogueListsAreRefusedInOneLineAndNothingIsWritten) {
    fs::create_symlink(path("Host.wav"), path("Host link.wav"));
    std::vector<std::string> nine;
    for (int i = 0; i < 9; ++i) {
        nine.push_back(path("mic" + std::to_string(i) + ".wav"));
        fs::copy_file(path("Guest.wav"), nine.back());
    }
    writeFile(path("Third.wav"), "not a recording at all");
    struct Case {
        std::vector<std::string> dialogue;
        int exitCode;
        std::string says;
    };
    const std::vector<Case> cases = {
        {nine, 2, "at most 8"},
        {{path("Host.wav"), path("Guest.wav"), path("Host.wav")}, 2, "same file"},
        {{path("Host.wav"), path("Host link.wav")}, 2, "same file"},
        {{path("Host.wav"), path("Guest.wav"), path("Third.wav")},
         1,
         "Cannot read the dialogue file " + path("Third.wav")},
    };
    for (const std::string command : {"duck", "render"})
        for (const Case& c : cases) {
            SCOPED_TRACE(command + " " + c.says);
            const CommandResult r =
                run(command, c.dialogue,
                    command == std::string("duck") ? std::vector<std::string>{"--format", "1.9"}
                                                   : std::vector<std::string>{});
            EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            // A usage error is all that is said; a job's failure follows its stages.
            if (c.exitCode == 2) {
                EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            }
            EXPECT_FALSE(fs::exists(path("Host.fcpxml")));
            EXPECT_FALSE(fs::exists(path("Host_mix.wav")));
            EXPECT_FALSE(fs::exists(path("mic0.fcpxml")));
        }
}
