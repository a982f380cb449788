// Whole jobs on real recordings, from the main window's drops through the
// progress sheet to a written project and one notification.
//
// These need the real ducking job. Against the stand-in job (which fails
// every job with "the ducking job is not available yet") they fail, by design:
// they are the acceptance test for the job and the windows together.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "base/task_runner.h"
#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/window_title.h"
#include "ui/windows/editor_choice_dialog.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {
namespace {

using Version = quelvo::FcpxmlVersion;

class WholeJobTest : public UiTest {
  protected:
    void SetUp() override { UiTest::SetUp(); }

    // Drops the files, presses Duck and waits for the sheet to close.
    void runJob(quelvo::ui::MainWindow* vc, const std::string& talk, const std::string& music,
                const std::string& filler, const std::function<void()>& whileRunning = {}) {
        vc->clearDialogueFiles();
        ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
        ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
        if (!filler.empty()) {
            ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
        }
        vc->duckButton()->click();
        ASSERT_NE(nullptr, openProgressSheet()) << "the job did not start";
        if (whileRunning) whileRunning();
        ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000))
            << "the job never ended";
        processEvents();
    }

    void expectSuccess() {
        for (const auto& a : alerts.shown)
            ADD_FAILURE() << "alert: " << a.message << ": " << a.informativeText
                          << (a.informativeText.find("not available yet") != std::string::npos
                                  ? "  <- the ducking job is still the stand-in"
                                  : "");
        ASSERT_EQ(1u, notifications.posted.size()) << "exactly one notification per job";
        EXPECT_EQ("Quelvo Done", notifications.posted[0].first);
        // The title and first line as ever; the project's file name below.
        EXPECT_EQ(0u, notifications.posted[0].second.rfind("Successfully Ducked Audio Files.\n", 0))
            << notifications.posted[0].second;
    }

    TempDir dir;
};

TEST_F(WholeJobTest, DialogueAndMusicBecomeAValidProjectNextToTheDialogue) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav");
    const std::string music = copyRecording(dir, "music/dev_music_real.mp3");
    runJob(vc, talk, music, "");
    expectSuccess();
    EXPECT_EQ(1, versionSheet.asked.load());
    const fs::path project = dir / "interview.fcpxml";
    ASSERT_TRUE(fs::exists(project)) << "no project written next to the dialogue";
    const std::string xml = readFile(project);
    EXPECT_NE(std::string::npos, xml.find("interview_duck_project"));
    EXPECT_NE(std::string::npos, xml.find("interview_duck_event"));
    EXPECT_VALID_FCPXML(xml, "1.9");
}

TEST_F(WholeJobTest, OlderVersionsGetTheLegacyDocumentWithFillerClips) {
    versionSheet.answerWith(Version::v1_6);
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, "dialogue/dev04_pauses_m4a.m4a");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    const std::string filler = copyRecording(dir, "music/dev_music_real.mp3", "filler.mp3");
    runJob(vc, talk, music, filler);
    expectSuccess();
    const fs::path project = dir / "dev04_pauses_m4a.fcpxml";
    ASSERT_TRUE(fs::exists(project));
    const std::string xml = readFile(project);
    EXPECT_NE(std::string::npos, xml.find("filler.mp3"));
    EXPECT_VALID_FCPXML(xml, "1.6");
}

// The real desktop editor question, answered by clicking it: Shotcut's MLT
// project is written beside the dialogue.
TEST_F(WholeJobTest, TheVersionSheetAppearsOnTheProgressSheetAndItsAnswerIsUsed) {
    quelvo::ui::ProgressDialog::setVersionSheet(nullptr);
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev06_synthetic_espeak_wav22k.wav", "voice.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    runJob(vc, talk, music, "", [this] {
        quelvo::ui::EditorChoiceDialog* question = nullptr;
        ASSERT_TRUE(waitUntil(
            [&] {
                question = window->findChild<quelvo::ui::EditorChoiceDialog*>();
                return question && question->isVisible();
            },
            120000))
            << "the version sheet never showed";
        EXPECT_NE(nullptr, qobject_cast<quelvo::ui::ProgressDialog*>(question->parentWidget()))
            << "the version sheet belongs on the progress sheet";
        // Beside the progress, not over it: the stage stays readable.
        quelvo::ui::ProgressDialog* progress = openProgressSheet();
        ASSERT_NE(nullptr, progress);
        const QLabel* stage = child<QLabel>(progress, "status");
        ASSERT_NE(nullptr, stage);
        const QRect status(stage->mapToGlobal(QPoint(0, 0)), stage->size());
        EXPECT_FALSE(question->window()->frameGeometry().intersects(status))
            << "the question covers the status line";
        EXPECT_TRUE(question->choiceButton(ProjectFormat::fcpxml19)->isChecked());
        EXPECT_TRUE(question->choiceButton(ProjectFormat::xmeml)->isEnabled());
        question->choiceButton(ProjectFormat::mlt)->click();
        child<QPushButton>(question, "continue")->click();
    });
    quelvo::ui::ProgressDialog::setVersionSheet(&versionSheet);
    expectSuccess();
    EXPECT_FALSE(fs::exists(dir / "voice.fcpxml"));
    const fs::path project = dir / "voice.mlt";
    ASSERT_TRUE(fs::exists(project));
    EXPECT_NE(std::string::npos, readFile(project).find("<mlt "));
}

TEST_F(WholeJobTest, CancelInTheVersionQuestionWritesNothingAndThePanelSaysSo) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev06_synthetic_espeak_wav22k.wav", "voice.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    versionSheet.answerWith(std::nullopt);
    runJob(vc, talk, music, "");
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_TRUE(notifications.posted.empty());
    EXPECT_FALSE(fs::exists(dir / "voice.fcpxml"));
    EXPECT_TRUE(vc->resultPanel()->isVisible());
    EXPECT_EQ(vc->resultPanel()->headingLabel()->text().toStdString(), "Nothing written");
    EXPECT_FALSE(vc->resultPanel()->openButton()->isVisible());
}

TEST_F(WholeJobTest, AProjectThatCannotBeWrittenIsSavedElsewhereWithoutAnotherAnalysis) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev06_synthetic_espeak_wav22k.wav", "voice.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    // Even the superuser cannot put a file where a folder with files stands.
    fs::create_directories(dir / "voice.fcpxml");
    writeFile(dir / "voice.fcpxml" / "keep.txt", "x");
    const fs::path elsewhere = dir / "elsewhere";
    fs::create_directories(elsewhere);
    int asked = 0;
    std::string suggested;
    const auto previous =
        quelvo::ui::ProgressDialog::setSaveAsChooser([&](QWidget*, const std::string& s) {
            suggested = s;
            return ++asked == 1 ? (elsewhere / "saved.fcpxml").string() : std::string();
        });
    alerts.answers = {0, 1}; // Replace the "project" there; then Save As…
    runJob(vc, talk, music, "");
    quelvo::ui::ProgressDialog::setSaveAsChooser(previous);
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].buttons, (std::vector<std::string>{"OK", "Save As\u2026"}));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fs::path(suggested).filename(), "voice.fcpxml");
    ASSERT_TRUE(fs::exists(elsewhere / "saved.fcpxml"));
    EXPECT_VALID_FCPXML(readFile(elsewhere / "saved.fcpxml"), "1.9");
    EXPECT_EQ(notifications.posted.size(), 1u);
    EXPECT_EQ(vc->resultPanel()->fileLabel()->text().toStdString(), "saved.fcpxml");
}

// With "send to Final Cut Pro" on, the project goes to the opener a moment
// after the sheet has closed; a failed hand-over is told, not swallowed.
class HandOverTest : public WholeJobTest {
  protected:
    void SetUp() override {
        WholeJobTest::SetUp();
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    }
    void TearDown() override {
        WholeJobTest::TearDown();
        TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = false;
        unsetenv("QUELVO_FCP_OPENER");
        unsetenv("XDG_CACHE_HOME");
    }
    std::string opener(const std::string& body) {
        const std::string path = (dir / "opener.sh").string();
        writeFile(path, "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        setenv("QUELVO_FCP_OPENER", path.c_str(), 1);
        return path;
    }
};

TEST_F(HandOverTest, TheProjectGoesToTheOpenerInsteadOfNextToTheDialogue) {
    const std::string received = (dir / "received").string();
    opener("cp \"$1\" '" + received + "'");
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "talk.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    runJob(vc, talk, music, "");
    expectSuccess();
    quelvo::TaskRunner::shared().waitForAll();
    processEvents();
    EXPECT_FALSE(fs::exists(dir / "talk.fcpxml"));
    ASSERT_TRUE(fs::exists(received)) << "the opener was not called";
    EXPECT_VALID_FCPXML(readFile(received), "1.9");
    EXPECT_TRUE(alerts.shown.empty());
}

} // namespace
} // namespace quelvo::test
