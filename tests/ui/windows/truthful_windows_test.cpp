// What the windows show is what is so: the preview in loudness depth mode
// draws the levels the project will hold, a file that cannot be read is told
// in the user's words in every window, and small dialogs show their titles.
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "jobs/duck_job.h"
#include "mix/depth_mode.h"
#include "preview/preview_geometry.h"
#include "project/volume_keyframes.h"
#include "support/ui_test_support.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/preview_analysis.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/titles_presets_bar.h"
#include "ui/windows/titles_window.h"

namespace quelvo::test {
namespace {

QString file(const char* relative) {
    return QString::fromStdString(recordingOrStandIn(relative).string());
}

TEST_F(UiTest, InLoudnessModeThePreviewDrawsTheLevelsTheProjectHolds) {
    QUELVO_REQUIRE_CORPUS_SPEECH();
    ASSERT_TRUE(mix::storeDepthMode(18.0));
    quelvo::ui::MainWindow* vc = showMainWindow();
    vc->checkFilesAndDepthMode(); // the half-second look at the stored mode
    EXPECT_FALSE(vc->depthSlider()->isEnabled());
    EXPECT_TRUE(vc->depthModeNote()->isVisible());
    EXPECT_EQ(vc->depthModeNote()->text().toStdString(), "set by loudness: 18 LU under speech");

    const QString talk = file("dialogue/dev04_pauses_m4a.m4a"),
                  music = file("music/dev_music_gaps.wav");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {talk}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {music}));
    quelvo::ui::PreviewCanvas* canvas = vc->preview()->canvas();
    ASSERT_TRUE(waitUntil([&] { return !canvas->scene().duckedLevels.empty(); }, 120000));
    const preview::PreviewScene scene = canvas->scene();

    // The job's own keyframes for the same files and settings.
    DuckRequest request;
    request.inputs = {{talk.toStdString()}, music.toStdString(), ""};
    request.rolls = currentEnvelopeTiming();
    request.depth.underLU = 18.0;
    const DuckOutcome job = describeDuck(request);
    ASSERT_TRUE(job.success) << job.message;
    EXPECT_EQ(scene.speech, job.project.speech);
    EXPECT_EQ(scene.duckedLevels, job.project.duckedLevels);
    EXPECT_EQ(scene.keyframes, job.project.music.keyframes);
    EXPECT_NE(scene.keyframes,
              makeVolumeKeyframes(scene.speech, currentEnvelopeTiming(), false, -12, 0));

    // The hover readout gives the interval's own level.
    const auto& first = scene.speech.front();
    const double x = preview::xForTime(canvas->viewport(), (first.start + first.end) / 2);
    QTest::mouseMove(canvas, QPoint(static_cast<int>(x), canvas->height() / 2));
    ASSERT_TRUE(waitUntil([&] { return !canvas->hoverText().isEmpty(); }, 5000));
    EXPECT_TRUE(canvas->hoverText().endsWith(
        QStringLiteral("this interval %1 dB").arg(job.project.duckedLevels.front())))
        << canvas->hoverText().toStdString();

    // The music level is a control the levels depend on: measured again, then drawn.
    vc->musicLevelSlider()->setValue(-30);
    ASSERT_TRUE(waitUntil([&] { return canvas->scene().overallDb == -30; }, 120000));
    EXPECT_EQ(canvas->scene().duckedLevels.size(), scene.speech.size());

    // Back to the fixed depth: the slider again, and its envelope at once.
    ASSERT_TRUE(mix::storeDepthMode(std::nullopt));
    vc->checkFilesAndDepthMode();
    EXPECT_TRUE(vc->depthSlider()->isEnabled());
    EXPECT_FALSE(vc->depthModeNote()->isVisible());
    EXPECT_TRUE(canvas->scene().duckedLevels.empty());
}

TEST_F(UiTest, DecoderFailuresAreToldInTheUsersWordsInEveryWindow) {
    TempDir dir;
    // Bytes that are no audio, and an MP4 whose index never came.
    writeFile(dir / "corrupt.wav", std::string(4096, '\x5a'));
    std::string mp4("\x00\x00\x00\x18"
                    "ftypisom\x00\x00\x02\x00isomiso2\x00\x00\x10\x08mdat",
                    32);
    writeFile(dir / "damaged.mp4", mp4 + std::string(4096, '\0'));

    quelvo::ui::MainWindow* vc = showMainWindow();
    ASSERT_TRUE(
        dropFiles(vc->dialogueArea(), {QString::fromStdString((dir / "corrupt.wav").string())}));
    QLabel* status = vc->preview()->statusLabel();
    ASSERT_TRUE(waitUntil([&] {
        return !vc->preview()->analysis()->isRunning() && status->text().contains("corrupt");
    }));
    EXPECT_EQ(
        status->text().toStdString(),
        "\u201Ccorrupt.wav\u201D is not audio that Quelvo can read. Use WAV, MP3, M4A or AIFF.");

    auto delegate = std::make_unique<quelvo::ui::DesktopApp>();
    delegate->launch();
    delegate->newTitlesAction()->trigger();
    auto* titles = delegate->titlesWindows().last();
    ASSERT_TRUE(
        dropFiles(titles->videoDrop(), {QString::fromStdString((dir / "damaged.mp4").string())}));
    ASSERT_TRUE(waitUntil([&] { return !titles->videoInfo()->text().isEmpty(); }));
    EXPECT_EQ(titles->videoInfo()->text().toStdString(), "Not video Quelvo can read");
    EXPECT_TRUE(titles->videoInfo()->toolTip().contains("Export it again as MOV or MP4."));
    EXPECT_TRUE(titles->videoMarker()->isVisible());
    EXPECT_EQ(titles->videoMarker()->kind(), quelvo::ui::MissingFileMarker::kUnreadable);

    // The Save Preset dialog is as wide as its title in the title bar.
    int wide = 0, needed = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            wide = dialog->width();
            needed = quelvo::ui::titleWidth(dialog);
            dialog->reject();
        }
    });
    poll.start(50);
    for (QAction* action : titles->presetsBar()->menuButton()->menu()->actions())
        if (action->text().startsWith("Save Settings as Preset")) action->trigger();
    EXPECT_GT(needed, 0);
    EXPECT_GE(wide, needed);
    delegate.reset();
}

} // namespace
} // namespace quelvo::test
