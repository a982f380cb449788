// Pictures of the main window with its preview for three kinds of recording:
// clean speech, speech with long pauses, and a music bed with silent gaps
// that a filler fills. Taken by tests/ui/take_preview_screenshots.sh; without
// QUELVO_SCREENSHOT_DIR the test skips.
#include <QDir>
#include <QTest>

#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preview_analysis.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;

class PreviewScreenshots : public UiTest,
                           public ::testing::WithParamInterface<std::array<const char*, 4>> {};

TEST_P(PreviewScreenshots, MainWindowWithPreview) {
    const QString out = qEnvironmentVariable("QUELVO_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set QUELVO_SCREENSHOT_DIR (see tests/ui/take_preview_screenshots.sh)";
    QUELVO_REQUIRE_SHARED();
    QDir().mkpath(out);
    const auto [name, dialogue, music, filler] = GetParam();
    const QString data = QString::fromStdString((sharedDir() / "testdata").string()) + "/";
    MainWindow* vc = showMainWindow();
    window->resize(window->sizeHint().width() * 3 / 2, window->sizeHint().height() * 3 / 2);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {data + dialogue}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {data + music}));
    if (*filler) {
        ASSERT_TRUE(dropFiles(vc->fillerArea(), {data + filler}));
    }
    ASSERT_TRUE(waitUntil([vc] {
        const auto* m = vc->preview()->model();
        return m && m->dialogue() && m->music() && !vc->preview()->analysis()->isRunning();
    }));
    quelvo::ui::PreviewCanvas* canvas = vc->preview()->canvas();
    // Two moves: a pointer already at the spot (from the previous picture) gets no event.
    QTest::mouseMove(canvas, QPoint(10, 10));
    QTest::mouseMove(canvas, QPoint(canvas->width() * 2 / 5, canvas->height() * 3 / 4));
    for (int i = 0; i < 5; ++i) {
        processEvents();
        QTest::qWait(60);
    }
    EXPECT_TRUE(window->grab().save(out + "/" + name + ".png"));
    // Folded: the window gives the picture's height back.
    vc->preview()->setExpanded(false);
    for (int i = 0; i < 3; ++i) {
        processEvents();
        QTest::qWait(60);
    }
    EXPECT_TRUE(window->grab().save(out + "/" + name + "_folded.png"));
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, PreviewScreenshots,
    ::testing::Values(std::array<const char*, 4>{"clean", "dialogue/dev01_clean_wav48k_stereo.wav",
                                                 "music/dev_music_real.mp3", ""},
                      std::array<const char*, 4>{"long_pauses", "dialogue/dev04_pauses_m4a.m4a",
                                                 "music/dev_music_real.mp3", ""},
                      std::array<const char*, 4>{
                          "filler", "dialogue/dev06_synthetic_espeak_wav22k.wav",
                          "music/dev_music_gaps.wav", "music/dev_music_real.mp3"}),
    [](const auto& info) { return std::string(info.param[0]); });

} // namespace
} // namespace quelvo::test
