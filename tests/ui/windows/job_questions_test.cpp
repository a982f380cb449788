// The two questions Duck may ask before a project is written: Replace / Keep
// Both / Cancel when the project is already beside the dialogue, and Write
// Anyway / Cancel, before the version sheet, when no speech was found.
#include <QPushButton>

#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/windows/main_window.h"

namespace quelvo::test {
namespace {

class JobQuestionsTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        // A tone burst that counts as speech, a near-silent "dialogue", a bed.
        ASSERT_EQ(sox({"-n", "-r", "22050", "-c", "1", m_talk, "synth", "1", "sine", "300", "pad",
                       "1", "1"}),
                  0);
        ASSERT_EQ(sox({"-n", "-r", "22050", "-c", "1", m_quiet, "synth", "3", "sine", "300", "gain",
                       "-40"}),
                  0);
        ASSERT_EQ(sox({"-n", "-r", "22050", "-c", "2", m_bed, "synth", "3", "sine", "220"}), 0);
    }
    static int sox(std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/sox");
        return runProgram(args).exitCode;
    }
    // Drops the files and presses Duck; waits for any job it started.
    void duck(const std::string& dialogue) {
        if (!m_vc) m_vc = showMainWindow();
        m_vc->clearDialogueFiles();
        ASSERT_TRUE(dropFiles(m_vc->dialogueArea(), {QString::fromStdString(dialogue)}));
        ASSERT_TRUE(dropFiles(m_vc->musicArea(), {QString::fromStdString(m_bed)}));
        m_vc->duckButton()->click();
        ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 60000))
            << "the job never ended";
        processEvents();
    }
    std::vector<std::string> lastButtons() const {
        return alerts.shown.empty() ? std::vector<std::string>{} : alerts.shown.back().buttons;
    }

    TempDir m_dir;
    quelvo::ui::MainWindow* m_vc = nullptr;
    std::string m_talk = (m_dir / "talk.wav").string(), m_quiet = (m_dir / "quiet.wav").string();
    std::string m_bed = (m_dir / "bed.wav").string();
};

TEST_F(JobQuestionsTest, AnExistingProjectIsReplacedKeptBesideOrLeftAlone) {
    const fs::path mine = m_dir / "talk.fcpxml";
    writeFile(mine, "the editor's own work");
    const std::vector<std::string> question = {"Replace", "Keep Both", "Cancel"};

    alerts.answers = {2}; // Cancel: nothing written
    duck(m_talk);
    EXPECT_EQ(lastButtons(), question);
    EXPECT_NE(alerts.shown.back().informativeText.find("talk 2.fcpxml"), std::string::npos);
    // The file's name follows the editor chosen, so it is asked about after that.
    EXPECT_EQ(versionSheet.asked.load(), 1);
    EXPECT_EQ(readFile(mine), "the editor's own work");
    EXPECT_TRUE(notifications.posted.empty());

    alerts.answers = {1}; // Keep Both, twice: numbered copies beside it
    duck(m_talk);
    alerts.answers = {1};
    duck(m_talk);
    EXPECT_EQ(readFile(mine), "the editor's own work");
    EXPECT_VALID_FCPXML(readFile(m_dir / "talk 2.fcpxml"), "1.9");
    EXPECT_TRUE(fs::exists(m_dir / "talk 3.fcpxml"));

    alerts.answers = {0}; // Replace
    duck(m_talk);
    EXPECT_NE(readFile(mine).find("<fcpxml"), std::string::npos);
    EXPECT_EQ(alerts.shown.size(), 4u);
    EXPECT_EQ(notifications.posted.size(), 3u);
}

TEST_F(JobQuestionsTest, NoSpeechIsAskedAboutBeforeTheVersionSheet) {
    alerts.answers = {1}; // Cancel: nothing written, no version asked, no failure told
    duck(m_quiet);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(lastButtons(), (std::vector<std::string>{"Write Anyway", "Cancel"}));
    EXPECT_NE(alerts.shown[0].informativeText.find("No speech found in quiet.wav above -24 dB"),
              std::string::npos)
        << alerts.shown[0].informativeText;
    EXPECT_EQ(versionSheet.asked.load(), 0);
    EXPECT_FALSE(fs::exists(m_dir / "quiet.fcpxml"));
    EXPECT_TRUE(notifications.posted.empty());

    alerts.answers = {0}; // Write Anyway
    duck(m_quiet);
    EXPECT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(versionSheet.asked.load(), 1);
    EXPECT_VALID_FCPXML(readFile(m_dir / "quiet.fcpxml"), "1.9");
    EXPECT_EQ(notifications.posted.size(), 1u);
}

} // namespace
} // namespace quelvo::test
