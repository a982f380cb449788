// The dialogue area with several microphones and video clips, used as an
// editor uses it: files dropped and removed, a ninth and a repeated file
// refused, a video's facts and poster shown, a silent video turned away, and
// the preview's lanes with a correction on their union reaching the job.
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "project/envelope_timing.h"
#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_field.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_microphones.h"
#include "ui/windows/preview_panel.h"

namespace quelvo::test {
namespace {

// Linux's, else Homebrew's.
std::string ffmpeg() {
    return fs::exists("/usr/bin/ffmpeg") ? "/usr/bin/ffmpeg" : "/opt/homebrew/bin/ffmpeg";
}

class DialogueFilesTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        saved = currentEnvelopeTiming();
        applyDetection(currentEnvelopeTiming(), DetectionMode::threshold);
        applyThreshold(currentEnvelopeTiming(), -24);
    }
    void TearDown() override {
        currentEnvelopeTiming() = saved;
        UiTest::TearDown();
    }
    // A microphone that speaks (a loud tone) from `from` to `from + 1` s of 12 s.
    QString microphone(const std::string& name, double from) {
        const std::string path = (dir / name).string();
        const std::string expr = "0.5*sin(2*PI*220*t)*between(t\\," + std::to_string(from) + "\\," +
                                 std::to_string(from + 1) + ")";
        const auto r = runProgram({ffmpeg(), "-v", "error", "-y", "-f", "lavfi", "-i",
                                   "aevalsrc=" + expr + ":d=12:s=48000", path});
        EXPECT_EQ(0, r.exitCode) << r.err;
        return QString::fromStdString(path);
    }
    QString video(const std::string& name, bool sound) {
        const std::string path = (dir / name).string();
        std::vector<std::string> args{
            ffmpeg(), "-v",    "error", "-y",
            "-f",     "lavfi", "-i",    "testsrc2=size=640x360:rate=25:d=3"};
        if (sound) args.insert(args.end(), {"-f", "lavfi", "-i", "sine=f=440:d=3", "-c:a", "aac"});
        args.insert(args.end(), {"-c:v", "mpeg4", "-shortest", path});
        const auto r = runProgram(args);
        EXPECT_EQ(0, r.exitCode) << r.err;
        return QString::fromStdString(path);
    }
    std::vector<std::string> paths(const QStringList& list) {
        std::vector<std::string> out;
        for (const QString& p : list)
            out.push_back(p.toStdString());
        return out;
    }
    std::string lastAlert() const {
        return alerts.shown.empty() ? "" : alerts.shown.back().informativeText;
    }

    EnvelopeTiming saved;
    TempDir dir;
};

TEST_F(DialogueFilesTest, SeveralFilesAreListedRemovedAndTheNinthOrARepeatRefused) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const QString host = microphone("Host.wav", 1), guest = microphone("Guest.wav", 5),
                  third = microphone("Third.wav", 9);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {host, guest}));
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {third}));
    EXPECT_EQ(paths({host, guest, third}), vc->dialoguePaths());
    EXPECT_EQ("3 Dialogue Files", vc->dialogueArea()->text().toStdString());
    EXPECT_EQ("Host", vc->projectNameField()->text().toStdString());
    ASSERT_EQ(3, vc->dialogueRows()->count());
    EXPECT_EQ("Guest.wav", vc->dialogueRows()->nameLabel(1)->text().toStdString());
    ASSERT_TRUE(waitUntil([vc] { return !vc->dialogueRows()->factsLabel(2)->text().isEmpty(); }));
    EXPECT_EQ("00:00:12.000", vc->dialogueRows()->factsLabel(2)->text().toStdString());
    EXPECT_EQ("Longest Dialogue File: 00:00:12.000", vc->dialogueDuration()->text().toStdString());

    // The same file again, even by another spelling of its path, is refused.
    const QString again = QString::fromStdString((dir / "." / "Host.wav").string());
    EXPECT_TRUE(dropFiles(vc->dialogueArea(), {again}));
    EXPECT_EQ(3u, vc->dialoguePaths().size());
    EXPECT_EQ("“Host.wav” is already in the dialogue list.", lastAlert());

    // Eight at most: of six more, five are taken.
    QStringList more;
    for (int i = 4; i <= 9; ++i) {
        const std::string copy = (dir / ("Mic " + std::to_string(i) + ".wav")).string();
        fs::copy_file(host.toStdString(), copy);
        more << QString::fromStdString(copy);
    }
    EXPECT_TRUE(dropFiles(vc->dialogueArea(), more));
    EXPECT_EQ(8u, vc->dialoguePaths().size());
    EXPECT_EQ("Quelvo takes up to 8 dialogue files, so “Mic 9.wav” was not added.", lastAlert());

    // Each row's button removes its file; the order of the rest stays.
    QTest::mouseClick(vc->dialogueRows()->removeButton(1), Qt::LeftButton);
    processEvents();
    ASSERT_EQ(7u, vc->dialoguePaths().size());
    EXPECT_EQ(third.toStdString(), vc->dialoguePaths()[1]);
    EXPECT_EQ(7, vc->dialogueRows()->count());
    EXPECT_EQ(vc->dialoguePaths(), vc->jobRequest("").inputs.dialogue);

    // Down to one audio file: the one-file look, with its Remove button.
    while (vc->dialoguePaths().size() > 1)
        vc->removeDialogueFile(1);
    processEvents();
    EXPECT_TRUE(vc->dialogueRows()->isHidden());
    EXPECT_FALSE(vc->removeDialogueButton()->isHidden());
    EXPECT_EQ("Host.wav", vc->dialogueArea()->text().toStdString());
    vc->removeDialogueButton()->click();
    EXPECT_TRUE(vc->dialoguePaths().empty());
    EXPECT_EQ("Drag Here", vc->dialogueArea()->text().toStdString());
}

TEST_F(DialogueFilesTest, AVideoRowShowsItsFactsAndASilentVideoIsRefused) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const QString clip = video("Interview.mp4", true), silent = video("B-roll.mov", false);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {clip}));
    ASSERT_EQ(1, vc->dialogueRows()->count());
    ASSERT_TRUE(waitUntil([vc] { return !vc->dialogueRows()->factsLabel(0)->text().isEmpty(); }));
    const std::string facts = vc->dialogueRows()->factsLabel(0)->text().toStdString();
    EXPECT_EQ(0u, facts.find("00:00:03.")) << facts;
    EXPECT_NE(std::string::npos, facts.find(" · 25 fps · 640×360")) << facts;
    EXPECT_FALSE(vc->dialogueRows()->posterLabel(0)->pixmap().isNull());
    EXPECT_TRUE(vc->dialogueRows()->isVisible());

    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {silent}));
    ASSERT_TRUE(waitUntil([vc] { return vc->dialoguePaths().size() == 1; }));
    EXPECT_EQ("The video “B-roll.mov” has no sound.", lastAlert());
    EXPECT_EQ(clip.toStdString(), vc->firstDialoguePath());
}

TEST_F(DialogueFilesTest, ThePreviewShowsALaneAMicrophoneAndCorrectsTheirUnion) {
    quelvo::ui::MainWindow* vc = showMainWindow();
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    ASSERT_TRUE(
        dropFiles(vc->dialogueArea(), {microphone("Host.wav", 1), microphone("Guest.wav", 5),
                                       microphone("Third.wav", 9)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    quelvo::ui::PreviewPanel* panel = vc->preview();
    quelvo::ui::PreviewCanvas* canvas = panel->canvas();
    ASSERT_TRUE(waitUntil([&] {
        const auto& mics = canvas->scene().microphones;
        return mics.size() == 3 &&
               std::all_of(mics.begin(), mics.end(), [](const auto& m) { return m.track; }) &&
               !panel->microphones()->isRunning();
    }));
    const auto& scene = canvas->scene();
    for (const auto& mic : scene.microphones)
        EXPECT_EQ(1u, mic.speech.size()) << mic.name;
    EXPECT_EQ("Guest.wav", scene.microphones[1].name);
    ASSERT_EQ(3u, scene.speech.size());
    EXPECT_NEAR(5, scene.speech[1].start, 0.5);

    // Click the union's middle interval on its row, Delete: the job gets the rest.
    const auto view = canvas->viewport();
    const auto row = preview::layoutPreview(scene, view).dialogueLane;
    const quelvo::ClusterList before = scene.speech;
    QTest::mouseClick(canvas, Qt::LeftButton, {},
                      QPoint(static_cast<int>(preview::xForTime(view, 5.5)),
                             static_cast<int>(row.y + row.h / 2)));
    QTest::keyClick(canvas, Qt::Key_Delete);
    const quelvo::ClusterList expected{before[0], before[2]};
    EXPECT_EQ(expected, canvas->scene().speech);
    EXPECT_EQ(expected, vc->jobRequest("").speech);
    EXPECT_EQ(3u, canvas->scene().microphones.size());
}

} // namespace
} // namespace quelvo::test
