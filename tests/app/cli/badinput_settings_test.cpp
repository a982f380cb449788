// A settings folder in a bad state ($QUELVO_CONFIG_DIR): settings.json
// damaged, empty, not an object, a folder, a named pipe, or holding absurd
// values; the folder itself a file. The stored settings are the desktop
// program's as well, so a bad file never stops a command: it runs on the
// defaults, a damaged file is kept aside for the user (never overwritten),
// and one warning line names the file and the reason. Title settings given
// with --settings are the user's explicit choice: those stop the command.
#include <sys/stat.h>

#include "badinput_support.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

class BadSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
        fs::create_directory(m_config);
    }
    // The three commands, each writing into its own output folder.
    std::vector<std::pair<std::string, CommandResult>> runAll(const fs::path& config) {
        const std::string env = "QUELVO_CONFIG_DIR=" + config.string();
        const fs::path out = m_dir / "out";
        fs::create_directories(out);
        std::vector<std::pair<std::string, CommandResult>> results;
        results.emplace_back("analyze", runProgram({cli().string(), "analyze", m_rec.talk}, {env}));
        results.emplace_back("duck",
                             runProgram({cli().string(), "duck", "--dialogue", m_rec.talk,
                                         "--music", m_rec.bed, "--filler", m_rec.bed, "--output",
                                         (out / "duck.fcpxml").string(), "--force"},
                                        {env}));
        results.emplace_back("titles", runProgram({cli().string(), "titles", m_rec.srt, "--force",
                                                   "--output", (out / "titles.fcpxml").string()},
                                                  {env}));
        return results;
    }
    // Every command succeeded, saying only `warning` (or nothing), and wrote a valid document.
    // A threshold far above any level finds no speech, and duck says so.
    void expectRunsOnDefaults(const std::string& what, const std::string& warning,
                              bool noSpeech = false) {
        for (const auto& [command, r] : runAll(m_config)) {
            SCOPED_TRACE(command + " with " + what);
            EXPECT_EQ(r.exitCode, 0) << r.err;
            auto lines = messages(r.err);
            if (noSpeech && command == "duck") {
                ASSERT_FALSE(lines.empty());
                EXPECT_NE(lines.back().find("warning: no speech found in talk.wav above"),
                          std::string::npos);
                lines.pop_back();
            }
            if (warning.empty()) {
                EXPECT_TRUE(lines.empty()) << r.err;
            } else {
                ASSERT_EQ(lines.size(), 1u) << r.err;
                EXPECT_EQ(lines[0].rfind("quelvo-cli: warning: ", 0), 0u) << lines[0];
                EXPECT_NE(lines[0].find(settingsFile()), std::string::npos) << lines[0];
                EXPECT_NE(lines[0].find(warning), std::string::npos) << lines[0];
            }
            note(command, "settings: " + what, r);
        }
        EXPECT_VALID_FCPXML(readFile(m_dir / "out" / "duck.fcpxml"), "1.9");
        EXPECT_VALID_FCPXML(readFile(m_dir / "out" / "titles.fcpxml"), "1.9");
    }
    // Every command succeeded, each saying only its `warnings` count of
    // lines about unusable stored values, and wrote a valid document.
    void expectRunsOnDefaultsWarningOfValues(const std::string& what,
                                             const std::map<std::string, size_t>& warnings) {
        for (const auto& [command, r] : runAll(m_config)) {
            SCOPED_TRACE(command + " with " + what);
            EXPECT_EQ(r.exitCode, 0) << r.err;
            const auto lines = messages(r.err);
            ASSERT_EQ(lines.size(), warnings.at(command)) << r.err;
            for (const std::string& line : lines) {
                EXPECT_EQ(
                    line.rfind("quelvo-cli: warning: settings file " + settingsFile() + ": duck.",
                               0),
                    0u)
                    << line;
                EXPECT_NE(line.find("; using its default "), std::string::npos) << line;
            }
            note(command, "settings: " + what, r);
        }
        EXPECT_VALID_FCPXML(readFile(m_dir / "out" / "duck.fcpxml"), "1.9");
        EXPECT_VALID_FCPXML(readFile(m_dir / "out" / "titles.fcpxml"), "1.9");
    }
    std::string settingsFile() const { return (m_config / "settings.json").string(); }
    // Files kept aside as settings.json.corrupt-<time>.
    std::vector<fs::path> keptAside() const {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(m_config))
            if (e.path().filename().string().rfind("settings.json.corrupt-", 0) == 0)
                out.push_back(e.path());
        return out;
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
    fs::path m_config = m_dir / "config";
};

} // namespace

TEST_F(BadSettings, DamagedFilesAreKeptAsideOnceAndDefaultsUsed) {
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"not JSON", "{\"duck.threshold\": -30,"},
        {"empty", ""},
        {"not an object", "[1, 2, 3]"},
        {"invalid UTF-8", "{\"duck.filler\": \"\xC3\x28\xFF\"}"},
        {"random bytes", noise(3000, 5)},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        fs::remove_all(m_config);
        fs::create_directory(m_config);
        writeFile(settingsFile(), bytes);
        // The first command keeps it aside and warns; the others find no file.
        const auto results = runAll(m_config);
        const auto& [first, r] = results.front();
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const auto lines = messages(r.err);
        ASSERT_EQ(lines.size(), 1u) << r.err;
        EXPECT_NE(lines[0].find("warning: settings file " + settingsFile() +
                                " was damaged; kept as " + settingsFile() + ".corrupt-"),
                  std::string::npos)
            << lines[0];
        note(first, "settings: " + what, r);
        for (size_t i = 1; i < results.size(); ++i) {
            EXPECT_EQ(results[i].second.exitCode, 0) << results[i].second.err;
            EXPECT_TRUE(messages(results[i].second.err).empty()) << results[i].second.err;
        }
        const auto aside = keptAside();
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(readFile(aside[0]), bytes);
        EXPECT_FALSE(fs::exists(settingsFile()));
        EXPECT_VALID_FCPXML(readFile(m_dir / "out" / "duck.fcpxml"), "1.9");
    }
}

TEST_F(BadSettings, AFolderInTheSettingsFilesPlace) {
    fs::create_directory(settingsFile());
    writeFile(fs::path(settingsFile()) / "inside", "x");
    expectRunsOnDefaults("settings.json is a folder",
                         "cannot read settings file " + settingsFile() + ": it is a folder");
    EXPECT_EQ(readFile(fs::path(settingsFile()) / "inside"), "x");
}

TEST_F(BadSettings, ANamedPipeInTheSettingsFilesPlace) {
    ASSERT_EQ(::mkfifo(settingsFile().c_str(), 0600), 0);
    expectRunsOnDefaults("settings.json is a named pipe",
                         "cannot read settings file " + settingsFile() + ": not a regular file");
}

TEST_F(BadSettings, TheSettingsFolderIsAFile) {
    fs::remove_all(m_config);
    writeFile(m_config, "not a folder");
    expectRunsOnDefaults("the settings folder is a file",
                         "cannot read settings file " + settingsFile() + ": " + m_config.string() +
                             " is not a folder");
    EXPECT_EQ(readFile(m_config), "not a folder");
}

TEST_F(BadSettings, AbsurdValuesOfTheRightAndWrongTypes) {
    writeFile(settingsFile(), R"({
        "duck.threshold": 1e308, "duck.decrease": 1e308, "duck.overallMusicLevel": -1e308,
        "duck.attackWindow": 1e308, "duck.attackPreRoll": -1e300, "duck.releaseWindow": 1e300,
        "duck.releasePreRoll": -1e308, "decreaseToZero": "yes", "KyFCP106Prefs.preferFCP106": 7,
        "FCPXML_Titles_Settings": "{\"timeLineFPS\": 1e308, \"size\": 9000000000000000000, \"extendAfter\": 1e308, \"minDuration\": -1e308, \"frameSize\": [1e300, -1e300], \"baselinePerc\": 1e38, \"strokeWidth\": 1e308, \"color\": {\"red\": 1e308, \"green\": -1e308, \"blue\": 0, \"alpha\": 1}, \"splitText\": {\"split\": true, \"length\": -5}, \"shadow\": {\"enable\": true, \"blur\": 1e308, \"angle\": -1e308}, \"font\": \"A \\u0001 & <b>\"}"
    })");
    // Each number outside its control's range reads as its default, with one
    // warning line per value a command reads (the five timings, and for duck
    // the two levels); the titles command reads none of them.
    expectRunsOnDefaultsWarningOfValues("absurd numbers and wrong types",
                                        {{"analyze", 5}, {"duck", 7}, {"titles", 0}});
    writeFile(settingsFile(),
              R"({"duck.threshold": "loud", "duck.decrease": null, "FCPXML_Titles_Settings": [1, 2],
                                 "duck.attackWindow": {"a": 1}, "decreaseToZero": 1})");
    expectRunsOnDefaultsWarningOfValues("values of the wrong types",
                                        {{"analyze", 2}, {"duck", 2}, {"titles", 0}});
}

TEST_F(BadSettings, TitleSettingsGivenOnTheCommandLineMustBeReadable) {
    const fs::path dir = m_dir / "given";
    fs::create_directory(dir);
    fs::create_directory(dir / "folder.json");
    ASSERT_EQ(::mkfifo((dir / "pipe.json").c_str(), 0600), 0);
    writeFile(dir / "bad_utf8.json", "{\"font\": \"\xC3\x28\"}");
    writeFile(dir / "noise.json", noise(2000, 8));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"folder.json", "cannot read it: it is a folder"},
        {"pipe.json", "cannot read it: not a regular file"},
        {"bad_utf8.json", "not a JSON object of title settings"},
        {"noise.json", "not a JSON object of title settings"},
    };
    const Tree before = snapshot(m_dir.path());
    for (const auto& [name, reason] : cases) {
        const std::string path = (dir / name).string();
        const CommandResult r =
            runProgram({cli().string(), "titles", m_rec.srt, "--settings", path},
                       {"QUELVO_CONFIG_DIR=" + m_config.string()});
        expectFailure(r, 1, path, "settings " + path + ": ", reason);
        EXPECT_EQ(r.out, "");
        note("titles --settings", name, r);
    }
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}
