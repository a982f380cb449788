// Pictures of the main window in loudness depth mode with its preview (the
// pointer over a speech interval) and of Export Mix's result, as a user sees
// them: run tests/ui/take_screenshots.sh. Without QUELVO_SCREENSHOT_DIR the
// test skips.
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "mix/depth_mode.h"
#include "preview/preview_geometry.h"
#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/window_title.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/mix_export.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"

namespace quelvo::test {
namespace {

TEST_F(UiTest, LoudnessScreenshots) {
    const QString out = qEnvironmentVariable("QUELVO_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set QUELVO_SCREENSHOT_DIR (see tests/ui/take_screenshots.sh)";
    QUELVO_REQUIRE_SHARED();
    QDir().mkpath(out);
    const auto shoot = [&](const QString& name) {
        for (int i = 0; i < 5; ++i) {
            processEvents();
            QTest::qWait(100);
        }
        EXPECT_EQ(0, QProcess::execute("import", {"-window", "root", out + "/" + name + ".png"}));
    };
    ASSERT_TRUE(mix::storeDepthMode(18.0));
    quelvo::ui::MainWindow* vc = showMainWindow();
    window->move(40, 40);
    vc->checkFilesAndDepthMode();
    const QString data = QString::fromStdString((sharedDir() / "testdata").string()) + "/";
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {data + "dialogue/dev04_pauses_m4a.m4a"}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {data + "music/dev_music_real.mp3"}));
    quelvo::ui::PreviewCanvas* canvas = vc->preview()->canvas();
    ASSERT_TRUE(waitUntil([&] { return !canvas->scene().duckedLevels.empty(); }, 120000));
    const auto& speech = canvas->scene().speech;
    const auto& interval = speech[speech.size() / 2];
    const double x = preview::xForTime(canvas->viewport(), (interval.start + interval.end) / 2);
    QTest::mouseMove(canvas, QPoint(10, 10));
    QTest::mouseMove(canvas, QPoint(static_cast<int>(x), canvas->height() * 3 / 4));
    shoot("main_window_loudness");

    TempDir dir;
    const auto previous = quelvo::ui::MixExport::setPathChooser(
        [&](QWidget*, const std::string&) { return (dir / "episode_mix.m4a").string(); });
    vc->exportMixButton()->click();
    ASSERT_TRUE(waitUntil([&] { return vc->resultPanel()->isVisible(); }, 120000));
    quelvo::ui::MixExport::setPathChooser(previous);
    shoot("export_mix_result");
    ASSERT_TRUE(mix::storeDepthMode(std::nullopt));
}

} // namespace
} // namespace quelvo::test
