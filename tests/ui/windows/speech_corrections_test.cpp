// Corrections to the speech in the preview, made as an editor makes them:
// a band clicked and deleted, an interval dragged across the waveform, an
// edge dragged, undo and redo from the keyboard, label files in and out
// through the Labels menu, and the question when the detection changes.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "preview/speech_editing.h"
#include "project/envelope_timing.h"
#include "project/volume_keyframes.h"
#include "speech/speech_corrections.h"
#include "speech/speech_labels.h"
#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preview_analysis.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"

namespace quelvo::test {
namespace {

using quelvo::ClusterList;
using quelvo::ui::PreviewCanvas;
using quelvo::ui::PreviewPanel;

class SpeechCorrectionsTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        saved = currentEnvelopeTiming();
        applyDetection(currentEnvelopeTiming(), DetectionMode::threshold);
        applyThreshold(currentEnvelopeTiming(), -24);
    }
    void TearDown() override {
        PreviewPanel::setLabelFileChooser(nullptr);
        currentEnvelopeTiming() = saved;
        UiTest::TearDown();
    }

    // Drops the recordings and waits for the picture.
    PreviewPanel* showPreview() {
        vc = showMainWindow();
        talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav");
        music = copyRecording(dir, "music/dev_music_gaps.wav");
        EXPECT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
        EXPECT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
        EXPECT_TRUE(waitUntil([this] {
            const auto* m = vc->preview()->model();
            return m && m->dialogue() && m->music() && !vc->preview()->analysis()->isRunning();
        }));
        return vc->preview();
    }
    // A point on the dialogue lane, `seconds` across.
    static QPoint at(const PreviewCanvas* canvas, double seconds) {
        const auto view = canvas->viewport();
        const auto lane = preview::layoutPreview(preview::PreviewScene{}, view).dialogueLane;
        return QPoint(static_cast<int>(std::lround(preview::xForTime(view, seconds))),
                      static_cast<int>(lane.y + lane.h / 2));
    }
    static double snapped(const PreviewCanvas* canvas, QPoint p) {
        return preview::editTime(canvas->viewport(), p.x(), canvas->scene().duration());
    }
    static void drag(PreviewCanvas* canvas, QPoint from, QPoint to) {
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas, (from + to) / 2);
        QTest::mouseMove(canvas, to);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    }
    static void chooseLabelFile(const std::string& path) {
        PreviewPanel::setLabelFileChooser(
            [path](QWidget*, bool) { return QString::fromStdString(path); });
    }
    static void labelsMenu(PreviewPanel* panel, int item) {
        panel->labelsButton()->menu()->actions()[item]->trigger();
    }

    EnvelopeTiming saved;
    quelvo::ui::MainWindow* vc = nullptr;
    TempDir dir;
    std::string talk, music;
};

TEST_F(SpeechCorrectionsTest, RemoveAddMoveUndoRedoAndExportAsTheEditorDoes) {
    PreviewPanel* panel = showPreview();
    PreviewCanvas* canvas = panel->canvas();
    const ClusterList detected = panel->detectedSpeech();
    ASSERT_GE(detected.size(), 3u);
    EXPECT_FALSE(panel->revertButton()->isVisible());
    EXPECT_EQ(panel->speechCountLabel()->text(),
              QString("%1 speech intervals").arg(detected.size()));

    // Click the second band, Delete: it goes, the envelope follows at once.
    QTest::mouseClick(canvas, Qt::LeftButton, {},
                      at(canvas, (detected[1].start + detected[1].end) / 2));
    EXPECT_EQ(canvas->selectedSpeech(), 1);
    QTest::keyClick(canvas, Qt::Key_Delete);
    ClusterList expected = detected;
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(canvas->scene().speech, expected);
    EXPECT_EQ(canvas->scene().keyframes,
              makeVolumeKeyframes(expected, currentEnvelopeTiming(), false, -12, 0));
    EXPECT_TRUE(panel->revertButton()->isVisible());
    EXPECT_TRUE(panel->speechCountLabel()->text().contains("corrected"));

    // Drag across the middle of the gap: a new interval, on the 10 ms grid.
    const double gapStart = detected[0].end, gapEnd = detected[2].start;
    const QPoint from = at(canvas, gapStart + (gapEnd - gapStart) / 3),
                 to = at(canvas, gapStart + (gapEnd - gapStart) * 2 / 3);
    drag(canvas, from, to);
    expected.insert(expected.begin() + 1, {snapped(canvas, from), snapped(canvas, to)});
    EXPECT_EQ(canvas->scene().speech, expected);
    const ClusterList added = expected;

    // Drag the first band's end a few pixels to the left.
    const QPoint edge = at(canvas, detected[0].end), moved = edge - QPoint(4, 0);
    drag(canvas, edge, moved);
    expected[0].end = snapped(canvas, moved);
    EXPECT_EQ(canvas->scene().speech, expected);

    // Ctrl+Z, then Ctrl+Shift+Z.
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(canvas->scene().speech, added);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(canvas->scene().speech, expected);
    EXPECT_EQ(panel->correctedSpeech(), expected);

    // Export writes them exactly; Revert brings the detection back.
    const std::string labels = (dir / "corrected.txt").string();
    chooseLabelFile(labels);
    labelsMenu(panel, 1);
    EXPECT_EQ(readFile(labels), labelText(expected));
    panel->revertButton()->click();
    EXPECT_EQ(canvas->scene().speech, detected);
    EXPECT_FALSE(panel->correctedSpeech());
    labelsMenu(panel, 0); // and the file brings the corrections back
    EXPECT_EQ(panel->correctedSpeech(), expected);
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(SpeechCorrectionsTest, BadLabelFilesAndADetectionChangeAreAskedAbout) {
    PreviewPanel* panel = showPreview();
    const ClusterList detected = panel->detectedSpeech();
    const std::string bad = (dir / "bad.txt").string();
    writeFile(bad, "1\t2\tok\n3,5\tlater\tbad\n");
    chooseLabelFile(bad);
    labelsMenu(panel, 0);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].informativeText,
              "Line 2 of " + bad + " ends at \"later\", which is not a time in seconds.");
    EXPECT_FALSE(panel->correctedSpeech());

    // A file with mends is taken, and says what was mended.
    writeFile(bad, "5\t6\tb\n1\t2\ta\n4\t4\tpoint\n");
    labelsMenu(panel, 0);
    EXPECT_EQ(panel->correctedSpeech(), (ClusterList{{1, 2}, {5, 6}}));
    EXPECT_TRUE(panel->statusLabel()->text().contains("sorted and joined"))
        << panel->statusLabel()->text().toStdString();
    EXPECT_TRUE(panel->statusLabel()->text().contains("marked a point"));

    // The threshold changes: kept when the editor says so, cleared otherwise.
    alerts.answers = {1};
    applyThreshold(currentEnvelopeTiming(), -30);
    ASSERT_TRUE(waitUntil([&] { return alerts.shown.size() == 2; }, 5000));
    EXPECT_EQ(alerts.shown[1].buttons,
              (std::vector<std::string>{"Clear Corrections", "Keep Corrections"}));
    EXPECT_EQ(panel->correctedSpeech(), (ClusterList{{1, 2}, {5, 6}}));
    applyThreshold(currentEnvelopeTiming(), -24);
    ASSERT_TRUE(waitUntil([&] { return alerts.shown.size() == 3; }, 5000));
    EXPECT_FALSE(panel->correctedSpeech());
    EXPECT_EQ(panel->canvas()->scene().speech, detected);
}

// Duck with corrected speech writes, byte for byte, the project the command
// line writes with --speech of the exported label file. Disabled until Duck
// hands PreviewPanel::correctedSpeech() to the job as its request's speech
// and duck registers --speech (docs/label-files.md).
TEST_F(SpeechCorrectionsTest, DuckWithCorrectionsEqualsDuckWithTheirLabelFile) {
    PreviewPanel* panel = showPreview();
    PreviewCanvas* canvas = panel->canvas();
    const ClusterList detected = panel->detectedSpeech();
    ASSERT_GE(detected.size(), 3u);
    QTest::mouseClick(canvas, Qt::LeftButton, {},
                      at(canvas, (detected[1].start + detected[1].end) / 2));
    QTest::keyClick(canvas, Qt::Key_Delete);
    drag(canvas, at(canvas, detected[0].end + 0.3), at(canvas, detected[1].end));
    drag(canvas, at(canvas, detected[2].start), at(canvas, detected[2].start + 0.5));
    const std::string labels = (dir / "corrected.txt").string();
    chooseLabelFile(labels);
    labelsMenu(panel, 1);
    vc->duckButton()->click();
    ASSERT_NE(nullptr, openProgressSheet());
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    const std::string cli = (dir / "cli.fcpxml").string();
    const CommandResult r =
        runProgram({(binDir() / "quelvo-cli").string(), "duck", "--dialogue", talk, "--music",
                    music, "--speech", labels, "--format", "1.9", "--output", cli});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(dir / "interview.fcpxml"), readFile(cli));
}

// Pictures of the preview before and after a correction (a band removed, one
// added and picked), for tests/ui/take_correction_screenshots.sh.
TEST_F(SpeechCorrectionsTest, Screenshots) {
    const QString out = qEnvironmentVariable("QUELVO_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set QUELVO_SCREENSHOT_DIR (see tests/ui/take_correction_screenshots.sh)";
    PreviewPanel* panel = showPreview();
    window->resize(window->sizeHint().width() * 3 / 2, window->sizeHint().height() * 3 / 2);
    const auto settle = [] {
        for (int i = 0; i < 5; ++i) {
            processEvents();
            QTest::qWait(60);
        }
    };
    settle();
    PreviewCanvas* canvas = panel->canvas();
    const ClusterList detected = panel->detectedSpeech();
    ASSERT_GE(detected.size(), 3u);
    EXPECT_TRUE(window->grab().save(out + "/before.png"));
    QTest::mouseClick(canvas, Qt::LeftButton, {},
                      at(canvas, (detected[1].start + detected[1].end) / 2));
    QTest::keyClick(canvas, Qt::Key_Delete);
    drag(canvas, at(canvas, detected[2].end + 0.6), at(canvas, detected[2].end + 1.4));
    settle();
    EXPECT_TRUE(window->grab().save(out + "/after.png"));
}

} // namespace
} // namespace quelvo::test
