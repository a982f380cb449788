// The progress sheet: its inputs arrive before it shows, its animation runs,
// the job runs off the GUI thread, and it closes with the right message.
#include <future>
#include <thread>

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "project/envelope_timing.h"
#include "support/ui_test_support.h"
#include "ui/kit/frame_animation.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {
namespace {

using quelvo::ui::ProgressDialog;

class ProgressSheetTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        presenter = showMainWindow();
    }

    ProgressDialog* open(const std::string& speaker, const std::string& music,
                         const EnvelopeTiming& rolls = currentEnvelopeTiming()) {
        quelvo::DuckRequest request;
        request.inputs = {{speaker}, music, ""};
        request.rolls = rolls;
        request.eventName = "Talk_duck_event";
        request.projectName = "Talk_duck_project";
        ProgressDialog::showProgress(presenter, request);
        return openProgressSheet();
    }

    quelvo::ui::MainWindow* presenter = nullptr;
    TempDir dir;
};

TEST_F(ProgressSheetTest, InputsArriveBeforeTheSheetShowsAndTheAnimationRuns) {
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    EnvelopeTiming rolls;
    rolls.preFadeIn = 0.25;
    rolls.threshold = -30;
    ProgressDialog* sheet = open(talk, music, rolls);
    ASSERT_NE(nullptr, sheet);
    const quelvo::DuckRequest& r = sheet->request();
    EXPECT_EQ(std::vector<std::string>{talk}, r.inputs.dialogue);
    EXPECT_EQ(music, r.inputs.music);
    EXPECT_EQ("", r.inputs.filler);
    EXPECT_EQ(-12, r.depth.decrease);
    EXPECT_EQ(0, r.depth.overallMusicLevel);
    EXPECT_FALSE(r.depth.toZero);
    EXPECT_EQ("Talk_duck_event", r.eventName);
    EXPECT_EQ("Talk_duck_project", r.projectName);
    EXPECT_EQ(rolls, r.rolls);

    // A fixed-size, window-modal sheet on the main window.
    EXPECT_EQ(Qt::WindowModal, sheet->windowModality());
    EXPECT_EQ(window, sheet->parentWidget());
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize());

    // Three layers stacked in one place, with loops of 60, 59 and 58 frames.
    auto* layerA = child<QLabel>(sheet, "layerA");
    auto* layerB = child<QLabel>(sheet, "layerB");
    auto* layerC = child<QLabel>(sheet, "layerC");
    ASSERT_TRUE(layerA && layerB && layerC);
    auto* imA = layerA->findChild<quelvo::ui::FrameAnimation*>();
    auto* imB = layerB->findChild<quelvo::ui::FrameAnimation*>();
    auto* imC = layerC->findChild<quelvo::ui::FrameAnimation*>();
    ASSERT_TRUE(imA && imB && imC);
    EXPECT_EQ(layerA->geometry(), layerB->geometry());
    EXPECT_EQ(layerA->geometry(), layerC->geometry());
    EXPECT_EQ(60, imA->frameCount());
    EXPECT_EQ(59, imB->frameCount());
    EXPECT_EQ(58, imC->frameCount());
    EXPECT_EQ("quelvo_progressA_00059.png", imA->frameName(59).toStdString());
    EXPECT_EQ("quelvo_progressC_00057.png", imC->frameName(57).toStdString());
    EXPECT_TRUE(imA->isRunning() && imB->isRunning() && imC->isRunning());
    EXPECT_EQ(17, imA->intervalMs()) << "60 frames a second";
    EXPECT_FALSE(layerC->pixmap().isNull());
}

TEST_F(ProgressSheetTest, AFailedJobWarnsWithItsSentenceInsteadOfReportingSuccess) {
    const std::string bogus = (dir / "talk.wav").string();
    writeFile(bogus, "this is not a recording");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    ProgressDialog* sheet = open(bogus, music);
    ASSERT_NE(nullptr, sheet);
    QSignalSpy finished(sheet, &ProgressDialog::jobFinished);
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    ASSERT_EQ(1, finished.count());
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("Warning", alerts.shown[0].message);
    EXPECT_FALSE(alerts.shown[0].informativeText.empty());
    EXPECT_EQ((std::vector<std::string>{"OK"}), alerts.shown[0].buttons);
    EXPECT_TRUE(notifications.posted.empty()) << "a failed job must not say it succeeded";
    EXPECT_FALSE(fs::exists(dir / "talk.fcpxml")) << "nothing partial is left";
}

TEST_F(ProgressSheetTest, TheJobKeepsTheTimingItWasGiven) {
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    const EnvelopeTiming before = currentEnvelopeTiming();
    ProgressDialog* sheet = open(talk, music, before);
    ASSERT_NE(nullptr, sheet);
    // The preferences window changes the live record while the job runs.
    EnvelopeTiming& live = currentEnvelopeTiming();
    applyThreshold(live, before.threshold - 10);
    applyAttackWindow(live, 2.0);
    EXPECT_EQ(before, sheet->request().rolls);
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    live = before;
}

TEST_F(ProgressSheetTest, TheJobRunsOffTheGuiThreadOnceTheSheetHasAppeared) {
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    ProgressDialog* sheet = open(talk, music);
    ASSERT_NE(nullptr, sheet);
    QSignalSpy finished(sheet, &ProgressDialog::jobFinished);
    // The job starts when the sheet has appeared, not before.
    EXPECT_FALSE(sheet->jobStarted());
    ASSERT_TRUE(waitUntil([sheet] { return sheet->jobStarted(); }));
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    ASSERT_EQ(1, finished.count());
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    ASSERT_EQ(1, versionSheet.asked.load());
    EXPECT_NE(std::this_thread::get_id(), versionSheet.askedOn.load()) << "asked from the job";
    EXPECT_TRUE(fs::exists(dir / "dev01_clean_wav48k_stereo.fcpxml"));
}

// Holds the job at the version question until the test lets it go.
class HeldVersionSheet : public quelvo::VersionSheet {
  public:
    void showSheet(std::optional<quelvo::FcpxmlVersion>, Callback callback) override {
        asked = true;
        m_release.get_future().wait();
        callback(quelvo::FcpxmlVersion::v1_9);
    }
    void release() { m_release.set_value(); }
    std::atomic<bool> asked{false};

  private:
    std::promise<void> m_release;
};

// Cancel stops the job through its task, before it has started as while it
// runs; nothing is written and the main window hears that it was cancelled.
TEST_F(ProgressSheetTest, CancelStopsTheJobAndWritesNothing) {
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    HeldVersionSheet held;
    quelvo::VersionSheet* previous = ProgressDialog::setVersionSheet(&held);
    for (const bool early : {true, false}) {
        ProgressDialog* sheet = open(talk, music);
        ASSERT_NE(nullptr, sheet);
        QSignalSpy cancelled(sheet, &ProgressDialog::jobCancelled);
        QSignalSpy finished(sheet, &ProgressDialog::jobFinished);
        auto* cancel = child<QPushButton>(sheet, "cancel");
        ASSERT_NE(nullptr, cancel);
        // Late: while the job waits for its question, then let go.
        if (!early) {
            ASSERT_TRUE(waitUntil([&held] { return held.asked.load(); }, 120000));
        }
        cancel->click();
        EXPECT_FALSE(cancel->isEnabled());
        if (!early) held.release();
        ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
        EXPECT_EQ(1, cancelled.count()) << early;
        ASSERT_EQ(1, finished.count());
        EXPECT_FALSE(finished.at(0).at(0).toBool());
        EXPECT_TRUE(alerts.shown.empty()) << "a cancel is no failure";
        EXPECT_TRUE(notifications.posted.empty());
        EXPECT_FALSE(fs::exists(dir / "dev01_clean_wav48k_stereo.fcpxml")) << early;
    }
    ProgressDialog::setVersionSheet(previous);
}

} // namespace
} // namespace quelvo::test
