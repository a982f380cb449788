// Every kind of file quelvo-cli writes, killed half-way through the write:
// the ducking project in both versions, the titles project, the settings
// file and the hand-over document. QUELVO_KILL_DURING_WRITE=1 makes the
// program kill itself (SIGKILL, no clean-up) after half of a file's bytes.
// The file that was there before must be exactly as it was; the half-written
// bytes may only ever be in the hidden temporary file beside it, whose name
// also proves which file was being written.
#include "badinput_support.h"
#include "support/opener_recorder.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

constexpr int kKilled = 128 + 9;
const std::string kKill = "QUELVO_KILL_DURING_WRITE=1";

// The hidden temporary files of `target` in its folder.
std::vector<fs::path> temporaries(const fs::path& target) {
    std::vector<fs::path> out;
    const std::string prefix = "." + target.filename().string() + ".tmp-";
    for (const auto& e : fs::directory_iterator(target.parent_path()))
        if (e.path().filename().string().rfind(prefix, 0) == 0) out.push_back(e.path());
    return out;
}

// Killed while writing `target`, which still holds `old`; the half-written
// copy is the temporary file, shorter than the whole.
void expectKilledWriting(const CommandResult& r, const fs::path& target, const std::string& old) {
    SCOPED_TRACE(target.string());
    EXPECT_EQ(r.exitCode, kKilled) << r.err;
    EXPECT_EQ(readFile(target), old);
    const auto tmp = temporaries(target);
    ASSERT_EQ(tmp.size(), 1u) << "the kill did not come while this file was written";
    EXPECT_GT(fs::file_size(tmp[0]), 0u);
}

class KilledMidWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
        fs::create_directory(m_config);
    }
    CommandResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        // These cases write over earlier projects on purpose.
        if (args[0] == "duck" || args[0] == "titles") args.push_back("--force");
        args.insert(args.begin(), cli().string());
        env.push_back("QUELVO_CONFIG_DIR=" + m_config.string());
        return runProgram(args, env);
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
    fs::path m_config = m_dir / "config";
};

} // namespace

TEST_F(KilledMidWrite, DuckProjectInBothVersions) {
    const fs::path project = m_dir / "talk.fcpxml";
    for (const std::string format : {"1.9", "1.6"}) {
        SCOPED_TRACE(format);
        // A good project from an earlier run.
        ASSERT_EQ(run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--format", format})
                      .exitCode,
                  0);
        const std::string old = readFile(project);
        EXPECT_VALID_FCPXML(old, format);
        const CommandResult r = run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed,
                                     "--format", format, "--decrease", "-30"},
                                    {kKill});
        expectKilledWriting(r, project, old);
        note("duck (killed mid-write)", "FCPXML " + format + " project", r);
        for (const auto& t : temporaries(project))
            fs::remove(t);
    }
}

TEST_F(KilledMidWrite, TitlesProject) {
    const fs::path project = m_dir / "talk.fcpxml";
    ASSERT_EQ(run({"titles", m_rec.srt}).exitCode, 0);
    const std::string old = readFile(project);
    EXPECT_VALID_FCPXML(old, "1.9");
    const CommandResult r = run({"titles", m_rec.srt, "--format", "1.6"}, {kKill});
    expectKilledWriting(r, project, old);
    note("titles (killed mid-write)", "titles project", r);
}

TEST_F(KilledMidWrite, SettingsFile) {
    // Stored title settings are decoded and saved back, complete, on first
    // use: that save is the first write of a titles run.
    const fs::path settings = m_config / "settings.json";
    const std::string old =
        "{\n  \"FCPXML_Titles_Settings\": \"{\\\"font\\\": \\\"Futura\\\", \\\"size\\\": 72}\",\n"
        "  \"duck.threshold\": -30.0\n}\n";
    writeFile(settings, old);
    const fs::path project = m_dir / "talk.fcpxml";
    const CommandResult r = run({"titles", m_rec.srt}, {kKill});
    expectKilledWriting(r, settings, old);
    note("titles (killed mid-write)", "settings file", r);
    EXPECT_FALSE(fs::exists(project));
    // The next run reads the intact file and completes it.
    for (const auto& t : temporaries(settings))
        fs::remove(t);
    const CommandResult again = run({"titles", m_rec.srt});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(readFile(project).find("font=\"Futura\""), std::string::npos);
    EXPECT_NE(readFile(settings).find("duck.threshold"), std::string::npos);
}

TEST_F(KilledMidWrite, HandOverDocument) {
    OpenerRecorder opener;
    const CommandResult r =
        run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--send-to-fcp"}, {kKill});
    EXPECT_EQ(r.exitCode, kKilled) << r.err;
    note("duck --send-to-fcp (killed mid-write)", "hand-over document", r);
    // Nothing by a name Final Cut Pro would be given, and nothing handed over.
    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind(".talk_duck_project-", 0), 0u) << files[0];
    EXPECT_NE(files[0].filename().string().find(".fcpxml.tmp-"), std::string::npos) << files[0];
    EXPECT_TRUE(opener.calls().empty());
}
