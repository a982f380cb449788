// Export Mix from the main window as a user does it: drop the files, press
// the button, name the file, wait for the progress to end and read what the
// result says; and the depth mode chosen in the preferences.
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>

#include "mix/depth_mode.h"
#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/windows/depth_mode_chooser.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/mix_export.h"

namespace quelvo::test {
namespace {

class ExportMixTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        m_previous =
            quelvo::ui::MixExport::setPathChooser([this](QWidget*, const std::string& suggested) {
                suggestedPath = suggested;
                return chosenPath;
            });
    }
    void TearDown() override {
        quelvo::ui::MixExport::setPathChooser(m_previous);
        UiTest::TearDown();
    }
    // Presses Export Mix and waits for the render to end.
    bool exportMix(quelvo::ui::MainWindow* vc) {
        QSignalSpy done(vc->mixExport(), &quelvo::ui::MixExport::finished);
        vc->exportMixButton()->click();
        return waitUntil([&] { return !done.isEmpty(); }, 120000) && done.first().first().toBool();
    }

    TempDir dir;
    std::string suggestedPath, chosenPath;
    quelvo::ui::MixExport::PathChooser m_previous;
};

TEST_F(ExportMixTest, TheMixIsWrittenWhereTheUserSaysAndItsLoudnessIsTold) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav");
    const std::string music = copyRecording(dir, "music/dev_music_real.mp3");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    chosenPath = (dir / "episode.flac").string();
    ASSERT_TRUE(exportMix(vc));
    EXPECT_EQ(suggestedPath, (dir / "interview_mix.wav").string());
    EXPECT_TRUE(fs::exists(chosenPath));
    // A result, not a warning: no alert; the panel shows it as it shows a project.
    EXPECT_TRUE(alerts.shown.empty());
    const quelvo::ui::JobResultPanel* panel = vc->resultPanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->headingLabel()->text().toStdString(), "Mix exported");
    EXPECT_EQ(panel->fileLabel()->text().toStdString(), "episode.flac");
    EXPECT_EQ(panel->file().toStdString(), chosenPath);
    const std::string said = panel->contentsLabel()->text().toStdString();
    EXPECT_NE(said.find("· mix -"), std::string::npos) << said;
    EXPECT_NE(said.find("(dialogue -22."), std::string::npos) << said;
    EXPECT_NE(said.find("FLAC 16-bit"), std::string::npos) << said;
    EXPECT_TRUE(said.find(':') == 1 || said.find(':') == 2)
        << "the length comes first, as m:ss: " << said;
    EXPECT_TRUE(panel->showInFolderButton()->isVisible() && panel->openButton()->isEnabled());
}

TEST_F(ExportMixTest, MissingInputsAndAFailedRenderAreWarnings) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    vc->exportMixButton()->click();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].informativeText, "Speaker File Not Specified.");
    const std::string talk =
        copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav");
    const std::string music = copyRecording(dir, "music/dev_music_real.mp3");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    chosenPath = (dir / "no folder" / "mix.wav").string();
    EXPECT_FALSE(exportMix(vc));
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].message, "Warning");
    EXPECT_NE(alerts.shown[1].informativeText.find("no folder"), std::string::npos);
}

TEST_F(ExportMixTest, StopEndsTheRenderAndWritesNothing) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav");
    const std::string music = copyRecording(dir, "music/dev_music_real.mp3");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    chosenPath = (dir / "stopped.wav").string();
    QSignalSpy done(vc->mixExport(), &quelvo::ui::MixExport::finished);
    vc->exportMixButton()->click();
    ASSERT_TRUE(vc->mixExport()->running());
    auto* progress = vc->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    QPushButton* stop = nullptr;
    for (QPushButton* b : progress->findChildren<QPushButton*>())
        if (b->text() == "Stop") stop = b;
    ASSERT_NE(stop, nullptr);
    stop->click();
    ASSERT_TRUE(waitUntil([&] { return !done.isEmpty(); }, 120000));
    EXPECT_FALSE(done.first().first().toBool());
    EXPECT_FALSE(vc->mixExport()->running());
    EXPECT_FALSE(fs::exists(chosenPath));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].informativeText, "The render was stopped.");
    EXPECT_FALSE(vc->resultPanel()->isVisible());
    // The window is free for the next export.
    chosenPath = (dir / "again.wav").string();
    ASSERT_TRUE(exportMix(vc));
    EXPECT_TRUE(fs::exists(chosenPath));
}

TEST_F(UiTest, TheDepthChooserStoresTheModeAndItsPresets) {
    quelvo::ui::DepthModeChooser chooser;
    EXPECT_EQ(chooser.currentIndex(), 0); // fixed: today's behaviour
    EXPECT_FALSE(mix::storedUnderLU());
    EXPECT_EQ(chooser.count(), 4);
    EXPECT_EQ(chooser.itemText(2).toStdString(), "Podcast (18 LU)");
    chooser.setCurrentIndex(1);
    EXPECT_EQ(mix::storedUnderLU(), 20.0);
    chooser.setCurrentIndex(3);
    EXPECT_EQ(mix::storedUnderLU(), 12.0);
    chooser.setCurrentIndex(0);
    EXPECT_FALSE(mix::storedUnderLU());
    // A distance set on the command line's settings gets its own entry.
    ASSERT_TRUE(mix::storeDepthMode(15.0));
    chooser.reload();
    EXPECT_EQ(chooser.currentText().toStdString(), "Music 15 LU under speech");
}

} // namespace
} // namespace quelvo::test
