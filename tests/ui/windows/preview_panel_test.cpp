// The main window's preview, driven as a user drives it: files dropped start
// one background analysis at a time, the controls redraw the envelope from
// kept levels without a new analysis, zoom and hover work, and where no audio
// output exists the play button says why and Space does nothing harmful.
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "project/envelope_timing.h"
#include "project/volume_keyframes.h"
#include "speech/speech_clusters.h"
#include "support/ui_test_support.h"
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preview_analysis.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/preview_player.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;
using quelvo::ui::PreviewAnalysis;

class PreviewPanelTest : public UiTest {
  protected:
    void SetUp() override { UiTest::SetUp(); }
    static QString file(const char* relative) {
        return QString::fromStdString(recordingOrStandIn(relative).string());
    }
    static bool shown(MainWindow* vc) {
        const auto* model = vc->preview()->model();
        return model && model->dialogue() && model->music() &&
               !vc->preview()->analysis()->isRunning();
    }
};

TEST_F(PreviewPanelTest, ControlsRedrawTheEnvelopeFromKeptLevels) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    MainWindow* vc = showMainWindow();
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {file("dialogue/dev04_pauses_m4a.m4a")}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {file("music/dev_music_gaps.wav")}));
    ASSERT_TRUE(waitUntil([vc] { return shown(vc); }));
    const auto* model = vc->preview()->model();
    const auto& scene = vc->preview()->canvas()->scene();
    ASSERT_FALSE(scene.speech.empty());
    EXPECT_EQ(scene.keyframes,
              makeVolumeKeyframes(scene.speech, currentEnvelopeTiming(), false, -12, 0));

    // Depth, level and decrease-to-zero: the same model, a new envelope at once.
    vc->depthSlider()->setValue(-30);
    EXPECT_EQ(vc->preview()->model(), model);
    EXPECT_FALSE(vc->preview()->analysis()->isRunning());
    EXPECT_EQ(vc->preview()->canvas()->scene().keyframes[1].dbValue, -30);
    vc->musicLevelSlider()->setValue(-4);
    EXPECT_EQ(vc->preview()->canvas()->scene().keyframes[0].dbValue, -4);
    vc->decreaseToZeroBox()->click();
    EXPECT_EQ(vc->preview()->canvas()->scene().keyframes[1].dbValue, kSilenceDb);
    vc->decreaseToZeroBox()->click();

    // A preference changed elsewhere (the threshold) is picked up without a new analysis.
    const size_t before = vc->preview()->canvas()->scene().speech.size();
    const EnvelopeTiming saved = currentEnvelopeTiming();
    applyThreshold(currentEnvelopeTiming(), -6);
    ASSERT_TRUE(
        waitUntil([&] { return vc->preview()->canvas()->scene().speech.size() != before; }, 5000));
    EXPECT_EQ(vc->preview()->model(), model);
    currentEnvelopeTiming() = saved;
    ASSERT_TRUE(
        waitUntil([&] { return vc->preview()->canvas()->scene().speech.size() == before; }, 5000));

    // So is the detection mode: the automatic detector's speech, the job's, from the kept features.
    const quelvo::ClusterList fixed = vc->preview()->canvas()->scene().speech;
    applyDetection(currentEnvelopeTiming(), DetectionMode::automatic);
    ASSERT_TRUE(waitUntil([&] { return vc->preview()->canvas()->scene().speech != fixed; }, 5000));
    EXPECT_EQ(vc->preview()->model(), model);
    EXPECT_FALSE(vc->preview()->analysis()->isRunning());
    EXPECT_EQ(vc->preview()->canvas()->scene().speech,
              findSpeechClusters(file("dialogue/dev04_pauses_m4a.m4a").toStdString(),
                                 currentEnvelopeTiming())
                  .clusters);
    currentEnvelopeTiming() = saved;

    // A filler shows its clips where the music is silent.
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {file("music/dev_music_real.mp3")}));
    EXPECT_EQ(vc->preview()->model(), model);
    EXPECT_EQ(vc->preview()->canvas()->scene().fillers.size(), 2u);
}

TEST_F(PreviewPanelTest, ThresholdModeDrawsFirstAndTheFeaturesFollow) {
    const EnvelopeTiming saved = currentEnvelopeTiming();
    applyDetection(currentEnvelopeTiming(), DetectionMode::threshold);
    MainWindow* vc = showMainWindow();
    const std::string dialogue = file("dialogue/dev04_pauses_m4a.m4a").toStdString();
    // The first picture comes from levels alone, with the features still to come.
    bool firstWithoutFeatures = false, pendingAtFirst = false;
    QObject::connect(vc->preview()->analysis(), &PreviewAnalysis::finished, vc->preview(),
                     [&](PreviewAnalysis::Track d, PreviewAnalysis::Track, QString) {
                         firstWithoutFeatures = d && !d->speechFeatures();
                         pendingAtFirst = vc->preview()->analysis()->featuresPending();
                         // The editor switches before the features are there: the
                         // threshold picture stays, with a note, until they arrive.
                         applyDetection(currentEnvelopeTiming(), DetectionMode::automatic);
                     });
    ASSERT_TRUE(dropFiles(vc->musicArea(), {file("music/dev_music_gaps.wav")}));
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {file("dialogue/dev04_pauses_m4a.m4a")}));
    ASSERT_TRUE(waitUntil([vc] { return shown(vc); }));
    EXPECT_TRUE(firstWithoutFeatures);
    EXPECT_TRUE(pendingAtFirst);
    ASSERT_NE(vc->preview()->model()->dialogue()->speechFeatures(), nullptr);
    EXPECT_FALSE(vc->preview()->analysis()->featuresPending());
    EXPECT_FALSE(vc->preview()->progressLine()->isVisible());
    EXPECT_FALSE(vc->preview()->statusLabel()->text().contains("features"));
    // Automatic mode now gives the job's automatic speech, from the kept features.
    ASSERT_TRUE(waitUntil(
        [&] {
            return vc->preview()->canvas()->scene().speech ==
                   findSpeechClusters(dialogue, currentEnvelopeTiming()).clusters;
        },
        5000));
    currentEnvelopeTiming() = saved;
}

TEST_F(PreviewPanelTest, ChoosingAnotherFileCancelsTheRunningAnalysis) {
    MainWindow* vc = showMainWindow();
    ASSERT_TRUE(dropFiles(vc->musicArea(), {file("music/dev_music_real.mp3")}));
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {file("dialogue/dev14_long_conversation_mp3.mp3")}));
    EXPECT_TRUE(vc->preview()->progressLine()->isVisible());
    // Straight away another dialogue: the first analysis is stopped and its
    // threads gone; the new one may read both files, side by side.
    vc->removeDialogueButton()->click();
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {file("dialogue/dev01_clean_wav48k_stereo.wav")}));
    EXPECT_LE(quelvo::preview::BackgroundAnalysis::liveThreads(), 2);
    ASSERT_TRUE(waitUntil([vc] { return shown(vc); }));
    EXPECT_NEAR(vc->preview()->model()->dialogue()->duration(), 15.88, 0.01);
    EXPECT_EQ(quelvo::preview::BackgroundAnalysis::liveThreads(), 0);
    EXPECT_FALSE(vc->preview()->progressLine()->isVisible());

    // Closing the window in the middle of an analysis leaves nothing running.
    vc->removeDialogueButton()->click();
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {file("dialogue/dev14_long_conversation_mp3.mp3")}));
    delete window;
    window = nullptr;
    EXPECT_EQ(quelvo::preview::BackgroundAnalysis::liveThreads(), 0);
}

TEST_F(PreviewPanelTest, ZoomHoverAndPlaybackWithoutAnAudioDevice) {
    MainWindow* vc = showMainWindow();
    window->resize(1000, 800);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {file("dialogue/dev01_clean_wav48k_stereo.wav")}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {file("music/dev_music_gaps.wav")}));
    ASSERT_TRUE(waitUntil([vc] { return shown(vc); }));
    quelvo::ui::PreviewCanvas* canvas = vc->preview()->canvas();
    const double fitted = canvas->secondsPerPixel();
    canvas->zoomBy(2.0);
    EXPECT_DOUBLE_EQ(canvas->secondsPerPixel(), fitted / 2);
    QTest::keyClick(canvas, Qt::Key_Right);
    EXPECT_GT(canvas->start(), 0);
    for (int i = 0; i < 20; ++i)
        canvas->zoomBy(4.0);
    EXPECT_DOUBLE_EQ(canvas->secondsPerPixel(), preview::kFinestSecondsPerPixel);
    canvas->fit();
    EXPECT_DOUBLE_EQ(canvas->secondsPerPixel(), fitted);

    QTest::mouseMove(canvas, QPoint(canvas->width() / 2, canvas->height() / 2));
    ASSERT_TRUE(waitUntil([canvas] { return !canvas->hoverText().isEmpty(); }, 5000));
    EXPECT_TRUE(canvas->hoverText().contains("music")) << canvas->hoverText().toStdString();
    EXPECT_TRUE(canvas->hoverText().startsWith("00:00:")) << canvas->hoverText().toStdString();
    QTest::mouseClick(canvas, Qt::LeftButton, {},
                      QPoint(canvas->width() / 4, canvas->height() / 2));
    EXPECT_GT(canvas->playhead(), 0);

    const QString why = quelvo::ui::PreviewPlayer::unavailableReason();
    if (!why.isEmpty()) {
        EXPECT_FALSE(vc->preview()->playButton()->isEnabled());
        EXPECT_EQ(vc->preview()->playButton()->toolTip(), why);
    }
    // Space on the preview starts (or, with no device, quietly does not).
    QTest::keyClick(canvas, Qt::Key_Space);
    QTest::keyClick(canvas, Qt::Key_Space);
    EXPECT_EQ(vc->preview()->playButton()->text(), "Play");

    vc->preview()->setExpanded(false);
    EXPECT_FALSE(canvas->isVisible());
    vc->preview()->setExpanded(true);
    EXPECT_TRUE(canvas->isVisible());
}

} // namespace
} // namespace quelvo::test
