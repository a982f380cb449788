// The progress sheet: its inputs arrive before it shows, its animation runs,
// the job runs off the GUI thread, and it closes with the right message.
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include "project/envelope_timing.h"
#include "ui/kit/im_anim.h"
#include "ui/kit/ky_windows.h"
#include "ui/windows/main_window.h"
#include "ui/windows/progress_vc.h"
#include "ui_test_support.h"

namespace quelvo::test {
namespace {

using kyui::ProgressVC;

class ProgressSheetTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        presenter = showMainWindow();
    }

    ProgressVC* open(const std::string& speaker, const std::string& music, const EnvelopeTiming& rolls = currentEnvelopeTiming()) {
        quelvo::DuckRequest request;
        request.inputs = {{speaker}, music, ""};
        request.rolls = rolls;
        request.eventName = "Talk_duck_event";
        request.projectName = "Talk_duck_project";
        ProgressVC::showProgress(presenter, request);
        return openProgressSheet();
    }

    kyui::MainWindow* presenter = nullptr;
    TempDir dir;
};

TEST_F(ProgressSheetTest, InputsArriveBeforeTheSheetShowsAndTheAnimationRuns) {
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    EnvelopeTiming rolls;
    rolls.preFadeIn = 0.25;
    rolls.threshold = -30;
    ProgressVC* sheet = open(talk, music, rolls);
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(sheet->request.has_value());
    const quelvo::DuckRequest& r = *sheet->request;
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
    QWidget* sheetWindow = sheet->window();
    EXPECT_EQ(Qt::WindowModal, sheetWindow->windowModality());
    EXPECT_EQ(sheetWindow->minimumSize(), sheetWindow->maximumSize());

    // Three layers stacked in one place, with loops of 60, 59 and 58 frames.
    ASSERT_TRUE(sheet->imA && sheet->imB && sheet->imC);
    EXPECT_EQ(sheet->wImageA->geometry(), sheet->wImageB->geometry());
    EXPECT_EQ(sheet->wImageA->geometry(), sheet->wImageC->geometry());
    EXPECT_EQ(60, sheet->imA->frameCount());
    EXPECT_EQ(59, sheet->imB->frameCount());
    EXPECT_EQ(58, sheet->imC->frameCount());
    EXPECT_EQ("quelvo_progressA_00059.png", sheet->imA->frameName(59).toStdString());
    EXPECT_EQ("quelvo_progressC_00057.png", sheet->imC->frameName(57).toStdString());
    EXPECT_TRUE(sheet->imA->isRunning() && sheet->imB->isRunning() && sheet->imC->isRunning());
    EXPECT_EQ(17, sheet->imA->intervalMs()) << "60 frames a second";
    EXPECT_FALSE(sheet->wImageC->pixmap().isNull());
}

TEST_F(ProgressSheetTest, AFailedJobWarnsWithItsSentenceInsteadOfReportingSuccess) {
    const std::string bogus = (dir / "talk.wav").string();
    writeFile(bogus, "this is not a recording");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    ProgressVC* sheet = open(bogus, music);
    ASSERT_NE(nullptr, sheet);
    QSignalSpy finished(sheet, &ProgressVC::jobFinished);
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
    ProgressVC* sheet = open(talk, music, before);
    ASSERT_NE(nullptr, sheet);
    // The preferences window changes the live record while the job runs.
    EnvelopeTiming& live = currentEnvelopeTiming();
    applyThreshold(live, before.threshold - 10);
    applyAttackWindow(live, 2.0);
    EXPECT_EQ(before, sheet->request->rolls);
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    live = before;
}

TEST_F(ProgressSheetTest, TheJobRunsOffTheGuiThreadAndAsksTheVersionOnThisSheet) {
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    ProgressVC* sheet = open(talk, music);
    ASSERT_NE(nullptr, sheet);
    // The job starts when the sheet has appeared, not before.
    EXPECT_FALSE(sheet->jobStarted());
    ASSERT_TRUE(waitUntil([sheet] { return sheet->jobStarted(); }));
    void* expected = static_cast<kyui::KyViewController*>(sheet);
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    if (versionSheet.asked > 0) {
        EXPECT_EQ(expected, versionSheet.presenter.load());
    }
}

} // namespace
} // namespace quelvo::test
